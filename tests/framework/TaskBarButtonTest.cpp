// The tray icon class in this process: which mouse messages reach its handler, handler
// installation, and the shared receiver window's life (the tip across a picture change,
// as the shell shows it: the picture suite).
#include <gtest/gtest.h>
#include <cstdlib>
#include "Harness.h"
#include "LogPixels.h"
#include "app/TaskBarButton.h"
#include "resource.h"

namespace
{
const char kReceiverClass[] = "TaskBarButtonWindowClass";

// Counts the calls of each of the six operations.
class CRecordingNotify : public CTaskBarButtonNotify
{
public:
    void OnLButtonDown() override { m_calls.push_back(WM_LBUTTONDOWN); }
    void OnLButtonDblClk() override { m_calls.push_back(WM_LBUTTONDBLCLK); }
    void OnLButtonUp() override { m_calls.push_back(WM_LBUTTONUP); }
    void OnRButtonDown() override { m_calls.push_back(WM_RBUTTONDOWN); }
    void OnRButtonUp() override { m_calls.push_back(WM_RBUTTONUP); }
    void OnMouseMove() override { m_calls.push_back(WM_MOUSEMOVE); }

    std::vector<UINT> m_calls;     // the mouse message each call stands for
};

TEST(TaskBarButtonTest, OnlyTheSixMouseMessagesReachTheHandler)
{
    CTaskBarButton icon(IDI_SRS_ON, "mouse messages");
    CRecordingNotify notify;
    icon.SetNotify(&notify);
    for (UINT nMessage = 0x1F0; nMessage <= 0x20F; ++nMessage)
    {
        notify.m_calls.clear();
        icon.OnTrayNotify(nMessage);
        if (nMessage >= WM_MOUSEMOVE && nMessage <= WM_RBUTTONUP)
            EXPECT_EQ(notify.m_calls, std::vector<UINT>{ nMessage }) << std::hex << nMessage;
        else
            EXPECT_TRUE(notify.m_calls.empty()) << std::hex << nMessage;   // middle button among them
    }
    icon.SetNotify(nullptr);
}

TEST(TaskBarButtonTest, NoHandlerMeansNothingHappensAndThePreviousOneComesBack)
{
    CTaskBarButton icon(IDI_SRS_ON, "handlers");
    CRecordingNotify first, second;
    CTaskBarButtonNotify* pDefault = icon.SetNotify(&first);
    ASSERT_NE(pDefault, nullptr);
    EXPECT_NE(pDefault, &first);
    EXPECT_EQ(icon.SetNotify(&second), &first);
    EXPECT_EQ(icon.SetNotify(nullptr), &second);
    for (UINT nMessage = WM_MOUSEMOVE; nMessage <= WM_RBUTTONUP; ++nMessage)
        icon.OnTrayNotify(nMessage);
    EXPECT_TRUE(first.m_calls.empty());
    EXPECT_TRUE(second.m_calls.empty());
    EXPECT_EQ(icon.SetNotify(&first), pDefault);    // NULL installed the do-nothing handler
    icon.SetNotify(nullptr);
}

TEST(TaskBarButtonTest, LastIconTakesTheReceiverWindowButNotItsClass)
{
    ASSERT_EQ(CTaskBarButton::m_nIconCount, 0);
    CTaskBarButton* pFirst = new CTaskBarButton(IDI_SRS_ON, "first");
    CTaskBarButton* pSecond = new CTaskBarButton(IDI_SRS_OFF, "second");
    HWND hReceiver = CTaskBarButton::m_hReceiverWnd;
    ASSERT_TRUE(::IsWindow(hReceiver));
    delete pFirst;
    EXPECT_TRUE(::IsWindow(hReceiver));
    EXPECT_EQ(CTaskBarButton::m_hReceiverWnd, hReceiver);
    delete pSecond;
    EXPECT_FALSE(::IsWindow(hReceiver));
    EXPECT_EQ(CTaskBarButton::m_hReceiverWnd, nullptr);
    EXPECT_EQ(CTaskBarButton::m_nIconCount, 0);
    WNDCLASSA wc = {};
    EXPECT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), kReceiverClass, &wc));
}

// The picture is the icon's own image of the shell's small icon size; a copy of this
// program that starts at another DPI is told the size to expect.
TEST(TaskBarButtonTest, PictureHasTheShellsSmallIconSize)
{
    const int nSize = ::GetSystemMetrics(SM_CXSMICON);
    char szExpected[16] = "";
    if (::GetEnvironmentVariableA("AURELON_EXPECT_SMALL_ICON", szExpected, sizeof(szExpected)) > 0)
    {
        EXPECT_EQ(nSize, atoi(szExpected));
    }
    for (UINT nIconID : { IDI_SRS_ON, IDI_SRS_OFF, IDI_QSOUND_ON, IDI_QSOUND_OFF })
    {
        HICON hIcon = LoadTrayPicture(nIconID);
        ASSERT_NE(hIcon, nullptr);
        ICONINFO info = {};
        ASSERT_TRUE(::GetIconInfo(hIcon, &info));
        BITMAP bm = {};
        ::GetObjectA(info.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, nSize) << "icon " << nIconID;
        EXPECT_EQ(bm.bmHeight, nSize) << "icon " << nIconID;
        ::DeleteObject(info.hbmColor);
        ::DeleteObject(info.hbmMask);
        ::DestroyIcon(hIcon);
    }
}

TEST(TaskBarButtonTest, PictureFollowsTheDpi)
{
    char szXml[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, szXml);
    const std::string xml = std::string(szXml) + "aurelon-tray-dpi.xml";
    for (int nDpi : { 120, 144, 192 })
    {
        CLogPixels dpi(static_cast<DWORD>(nDpi));
        ::DeleteFileA(xml.c_str());
        CProcess copy;
        ASSERT_TRUE(copy.Start("\"" + BinPath("test_framework.exe") +
                               "\" --gtest_filter=TaskBarButtonTest.PictureHasTheShellsSmallIconSize"
                               " --gtest_output=xml:" + xml,
                               { { "AURELON_EXPECT_SMALL_ICON", std::to_string(16 * nDpi / 96) } }));
        DWORD dwCode = 1;
        ASSERT_TRUE(copy.WaitForExit(60000, &dwCode)) << nDpi << " DPI";
        EXPECT_EQ(dwCode, 0u) << nDpi << " DPI";
        // The copy ran the test (a filter that matches nothing passes as well).
        std::string report;
        HANDLE hFile = ::CreateFileA(xml.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, 0, nullptr);
        char buffer[4096];
        DWORD cb = 0;
        while (hFile != INVALID_HANDLE_VALUE &&
               ::ReadFile(hFile, buffer, sizeof(buffer), &cb, nullptr) && cb > 0)
            report.append(buffer, cb);
        if (hFile != INVALID_HANDLE_VALUE)
            ::CloseHandle(hFile);
        EXPECT_NE(report.find("tests=\"1\" failures=\"0\""), std::string::npos) << nDpi << " DPI";
    }
    ::DeleteFileA(xml.c_str());
}
}
