// The tray icon class in this process: which mouse messages reach its handler, handler
// installation, and the shared receiver window's life (the tip across a picture change,
// as the shell shows it: the picture suite).
#include <gtest/gtest.h>
#include "Harness.h"
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
}
