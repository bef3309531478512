// The already-running notice: centred, with the tray picture of the chip's technology,
// shown to every later start.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "Canvas.h"
#include <memory>
#include <shlobj.h>
#include "resource.h"

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";
const int kIconSize = 32;

// The chip's tray picture as the notice's icon control draws it: its large image at the
// control's top left, on the dialog's face.
CCanvas* NoticeIcon(UINT nIconID)
{
    CCanvas* pIcon = new CCanvas(kIconSize, kIconSize);
    pIcon->Fill(::GetSysColor(COLOR_BTNFACE));
    pIcon->DrawIcon(ProgramResources(), nIconID, 0, 0, kIconSize);
    return pIcon;
}

class NoticeTest : public ::testing::Test
{
protected:
    CAurelonProgram m_program;
};

// Each later start shows the notice again once the last one was dismissed, a plain one as
// one with "-install", which writes no shortcut, each time.
TEST_F(NoticeTest, EachLaterStartShowsTheCentredNoticeWithTheTechnologysTrayPicture)
{
    std::unique_ptr<CCanvas> pSrs(NoticeIcon(IDI_SRS_ON)), pQSound(NoticeIcon(IDI_QSOUND_ON));
    ASSERT_FALSE(pSrs->SameAs(*pQSound));
    char szStartup[MAX_PATH] = "";
    ASSERT_TRUE(SUCCEEDED(::SHGetFolderPathA(nullptr, CSIDL_STARTUP, nullptr, SHGFP_TYPE_CURRENT, szStartup)));
    const std::string startupLink = std::string(szStartup) + "\\" + kProduct + ".lnk";
    ::DeleteFileA(startupLink.c_str());
    for (DWORD nLayout : { CHIPSIM_LAYOUT_SRS, CHIPSIM_LAYOUT_QSOUND })
    {
        ASSERT_TRUE(m_program.SetLayout(nLayout));
        ASSERT_TRUE(m_program.StartResident());
        for (const char* pszArgs : { "", "", "-install", "-install" })
        {
            CProcess later;
            ASSERT_TRUE(later.Start("\"" + BinPath("Aurelon3D.exe") + "\" " + pszArgs));
            HWND hNotice = WaitForDialog(kProduct, m_program.Process().GetId());
            ASSERT_NE(hNotice, nullptr) << nLayout << " '" << pszArgs << "'";
            // In front, with a task-bar button of its own: its owner, the panel, is hidden.
            EXPECT_TRUE(WaitUntil([&] { return ::GetForegroundWindow() == hNotice; }, 5000));
            EXPECT_NE(::GetWindowLongA(hNotice, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);

            RECT rc, rcWork;
            ::GetWindowRect(hNotice, &rc);
            ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
            EXPECT_LE(abs((rc.left + rc.right) - (rcWork.left + rcWork.right)), 1) << rc.left << "," << rc.right;
            EXPECT_LE(abs((rc.top + rc.bottom) - (rcWork.top + rcWork.bottom)), 1) << rc.top << "," << rc.bottom;

            POINT pt = { 0, 0 };
            ::ClientToScreen(::GetDlgItem(hNotice, IDC_TRAY_ICON), &pt);
            ::RedrawWindow(hNotice, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
            EXPECT_TRUE(ScreenShows({ pt.x, pt.y, pt.x, pt.y }, nLayout == CHIPSIM_LAYOUT_SRS ? *pSrs : *pQSound,
                                    std::string("notice icon ") + (nLayout == CHIPSIM_LAYOUT_SRS ? "SRS" : "QSound")));

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
