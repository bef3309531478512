// The already-running notice: centred, with the tray picture of the chip's technology,
// shown to every later start.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "ScreenShot.h"
#include <shlobj.h>
#include "resource.h"

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";
const int kIconSize = 32;

// An icon of this executable's resources (the program's own) drawn as a static control
// draws it: at its top left, on the dialog's face colour.
std::vector<COLORREF> DrawnIcon(UINT nIconID)
{
    std::vector<COLORREF> pixels;
    HICON hIcon = ::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nIconID));
    HDC hdcScreen = ::GetDC(nullptr);
    HDC hdc = ::CreateCompatibleDC(hdcScreen);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hdcScreen, kIconSize, kIconSize);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    RECT rc = { 0, 0, kIconSize, kIconSize };
    HBRUSH hFace = ::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE));
    ::FillRect(hdc, &rc, hFace);
    ::DrawIconEx(hdc, 0, 0, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            pixels.push_back(::GetPixel(hdc, x, y));
    ::DeleteObject(hFace);
    ::SelectObject(hdc, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hdc);
    ::ReleaseDC(nullptr, hdcScreen);
    return pixels;
}

// How many pixels of the icon control on screen equal the drawn icon.
int MatchingPixels(HWND hControl, const std::vector<COLORREF>& icon)
{
    POINT pt = { 0, 0 };
    ::ClientToScreen(hControl, &pt);
    RECT rc = { pt.x, pt.y, pt.x + kIconSize, pt.y + kIconSize };
    CScreenShot screen(rc);
    int nSame = 0;
    for (int y = 0; y < kIconSize; ++y)
        for (int x = 0; x < kIconSize; ++x)
            nSame += screen.At(pt.x + x, pt.y + y) == icon[static_cast<size_t>(y * kIconSize + x)];
    return nSame;
}

class NoticeTest : public ::testing::Test
{
protected:
    CAurelonProgram m_program;
};

// Each later start shows the notice again once the last one was dismissed; one with
// "-install" too, which then writes no shortcut.
TEST_F(NoticeTest, EachLaterStartShowsTheCentredNoticeWithTheTechnologysTrayPicture)
{
    const std::vector<COLORREF> srs = DrawnIcon(IDI_SRS_ON);
    const std::vector<COLORREF> qsound = DrawnIcon(IDI_QSOUND_ON);
    ASSERT_NE(srs, qsound);
    const int nAll = kIconSize * kIconSize;
    char szStartup[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, szStartup)));
    const std::string startupLink = std::string(szStartup) + "\\" + kProduct + ".lnk";
    ::DeleteFileA(startupLink.c_str());
    for (DWORD nLayout : { CHIPSIM_LAYOUT_SRS, CHIPSIM_LAYOUT_QSOUND })
    {
        ASSERT_TRUE(m_program.SetLayout(nLayout));
        ASSERT_TRUE(m_program.StartResident());
        for (const char* pszArgs : { "", "-install", "" })
        {
            CProcess later;
            ASSERT_TRUE(later.Start("\"" + BinPath("Aurelon3D.exe") + "\" " + pszArgs));
            HWND hNotice = WaitForDialog(kProduct, m_program.Process().GetId());
            ASSERT_NE(hNotice, nullptr) << nLayout << " '" << pszArgs << "'";

            RECT rc, rcWork;
            ::GetWindowRect(hNotice, &rc);
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
            EXPECT_LE(abs((rc.left + rc.right) - (rcWork.left + rcWork.right)), 1) << rc.left << "," << rc.right;
            EXPECT_LE(abs((rc.top + rc.bottom) - (rcWork.top + rcWork.bottom)), 1) << rc.top << "," << rc.bottom;

            const std::vector<COLORREF>& expected = nLayout == CHIPSIM_LAYOUT_SRS ? srs : qsound;
            const std::vector<COLORREF>& other = nLayout == CHIPSIM_LAYOUT_SRS ? qsound : srs;
            HWND hIcon = ::GetDlgItem(hNotice, IDC_TRAY_ICON);
            ::RedrawWindow(hNotice, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            EXPECT_TRUE(WaitUntil([&] { return MatchingPixels(hIcon, expected) == nAll; }, 5000))
                << nLayout << ": " << MatchingPixels(hIcon, expected) << " of " << nAll;
            EXPECT_LT(MatchingPixels(hIcon, other), nAll * 9 / 10) << nLayout;

            PressDialogButton(hNotice, IDOK);
            EXPECT_TRUE(later.WaitForExit(10000));
            EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(hNotice); }, 5000));
        }
        EXPECT_FALSE(::GetFileAttributesA(startupLink.c_str()) != INVALID_FILE_ATTRIBUTES)
            << "a start while resident wrote " << startupLink;
        ASSERT_TRUE(m_program.Exit());
    }
}
}
