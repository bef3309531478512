// The tray icon and its menu, the About box that locks it, and shell restarts.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "ScratchExecutable.h"
#include "WindowWitness.h"
#include <shellapi.h>
#include "resource.h"

namespace
{
class TrayTest : public ::testing::Test
{
protected:
    // Whether the shell holds the icon: modifying it succeeds only then.
    bool IconPresent()
    {
        NOTIFYICONDATAA nid = {};
        nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
        nid.hWnd = m_program.TrayReceiver();
        nid.uID = 1;
        return nid.hWnd != nullptr && ::Shell_NotifyIconA(NIM_MODIFY, &nid) != FALSE;
    }

    HWND WaitForAbout()
    {
        return WaitForDialog("About Aurelon 3D Audio", m_program.Process().GetId());
    }

    CAurelonProgram m_program;
};

// A click shows the panel at the pointer (the picture suite), a release alone does not.
TEST_F(TrayTest, ReleaseWithoutPressShowsNothing)
{
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_TRUE(IconPresent());
    m_program.Tray(WM_LBUTTONUP);
    m_program.Tray(WM_MOUSEMOVE);
    m_program.Sync();
    EXPECT_FALSE(m_program.PanelVisible());
}

TEST_F(TrayTest, DoubleClickShowsPanel)
{
    ASSERT_TRUE(m_program.StartResident());
    m_program.Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return m_program.PanelVisible(); }, 5000));
}

TEST_F(TrayTest, RightPressHidesPanelAndOpensTrayMenu)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(m_program.ShowPanel());
    m_program.Tray(WM_RBUTTONDOWN);
    HWND hMenu = WaitForVisibleMenu();
    ASSERT_NE(hMenu, nullptr);
    EXPECT_FALSE(m_program.PanelVisible());
    // "&Settings..." is the first item.
    ChooseMenuItem(hMenu, 1);
    EXPECT_TRUE(WaitUntil([&] { return m_program.PanelVisible(); }, 5000));
}

TEST_F(TrayTest, ExitFromTrayMenuEndsAndSaves)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(IconPresent());
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    m_program.Tray(WM_RBUTTONDOWN);
    HWND hMenu = WaitForVisibleMenu();
    ASSERT_NE(hMenu, nullptr);
    ChooseMenuItem(hMenu, 3);   // "E&xit"
    DWORD dwCode = 1;
    ASSERT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
    // Nothing changed, nothing written.
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Aurelon\\Morvane\\Preset1"));
    // The shell had let the icon go before the program began to destroy its receiver
    // window (afterwards the shell drops the icons of a destroyed window by itself).
    EXPECT_EQ(witness.IconAtReceiverEnd(), 0);
}

TEST_F(TrayTest, AboutBoxLocksEveryTrayClick)
{
    ASSERT_TRUE(m_program.StartResident());
    m_program.Tray(WM_RBUTTONDOWN);
    HWND hMenu = WaitForVisibleMenu();
    ASSERT_NE(hMenu, nullptr);
    ChooseMenuItem(hMenu, 2);   // "&About"
    HWND hAbout = WaitForAbout();
    ASSERT_NE(hAbout, nullptr);

    m_program.Tray(WM_LBUTTONDOWN);
    m_program.Tray(WM_LBUTTONUP);
    m_program.Tray(WM_RBUTTONDOWN);
    m_program.Sync();   // the three callbacks have been handled
    EXPECT_FALSE(m_program.PanelVisible());
    EXPECT_EQ(FindVisibleMenu(), nullptr);

    m_program.Tray(WM_LBUTTONDBLCLK);
    m_program.Sync();
    EXPECT_FALSE(m_program.PanelVisible());

    PressDialogButton(hAbout, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hAbout); }, 5000));
    m_program.Tray(WM_RBUTTONDOWN);
    ASSERT_TRUE(WaitUntil([&] { return (hMenu = FindVisibleMenu()) != nullptr; }, 5000));
    ::PostMessageA(hMenu, WM_KEYDOWN, VK_ESCAPE, 0);
}

TEST_F(TrayTest, CallbacksForUnknownIconsAreIgnored)
{
    ASSERT_TRUE(m_program.StartResident());
    for (UINT nID : { 0u, 2u, 0xFFFFFFFFu })
    {
        m_program.Tray(WM_LBUTTONDBLCLK, nID);
        m_program.Tray(WM_RBUTTONDOWN, nID);
    }
    m_program.Sync();
    EXPECT_FALSE(m_program.PanelVisible());
    EXPECT_EQ(FindVisibleMenu(), nullptr);
    EXPECT_TRUE(m_program.Process().IsRunning());
}

TEST_F(TrayTest, ShellRestartAddsTheIconAgain)
{
    ASSERT_TRUE(m_program.StartResident());
    NOTIFYICONDATAA nid = {};
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = m_program.TrayReceiver();
    nid.uID = 1;
    ASSERT_TRUE(::Shell_NotifyIconA(NIM_DELETE, &nid));   // the shell forgot it
    ASSERT_FALSE(IconPresent());
    SendTo(m_program.TrayReceiver(), ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(IconPresent());
    m_program.Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return m_program.PanelVisible(); }, 5000));
}

TEST_F(TrayTest, AboutBoxShowsVersionLinesAndTheTechnologysNotice)
{
    for (DWORD nLayout : { CHIPSIM_LAYOUT_SRS, CHIPSIM_LAYOUT_QSOUND })
    {
        ASSERT_TRUE(m_program.SetLayout(nLayout));
        ASSERT_TRUE(m_program.StartResident());
        m_program.Command(IDM_ABOUTBOX);
        HWND hAbout = WaitForAbout();
        ASSERT_NE(hAbout, nullptr);
        EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_RELEASE_LINE)), "Kestrix Release 1.80");
        EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_VERSION_LINE)),
                  "Aurelon 3D Audio Control Version 1.01.001");
        EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_NOTICE)),
                  nLayout == CHIPSIM_LAYOUT_SRS
                      ? "SRS and the SRS symbol are trademarks of SRS Labs, Inc."
                      : "QSound and the Q logo are trademarks of QSound Labs, Inc.");
        PressDialogButton(hAbout, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hAbout); }, 5000));
        ASSERT_TRUE(m_program.Exit());
    }
}

// Texts that appear nowhere in the dialog's template, so that each one seen shows that the
// box wrote it: a scratch copy of the program with its own version block and SRS notice.
TEST_F(TrayTest, AboutBoxWritesEveryLineFromTheVersionResource)
{
    CScratchExecutable copy(BinPath("Aurelon3D.exe").c_str(), TRUE);
    std::vector<BYTE> block = MakeVersionBlock(
        { MAKELONG(0x0409, 0x04E4) },
        { { L"ProductName", L"Quill" }, { L"ProductVersion", L"4.2" },
          { L"FileDescription", L"Scratch Control" }, { L"FileVersion", L"9.8.7" },
          { L"LegalCopyright", L"Copyright scratch" }, { L"LegalTrademarks", L"Marks of the copy" } });
    ASSERT_TRUE(copy.SetResource(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), block));
    ASSERT_TRUE(copy.SetString(IDS_NOTICE_SRS, L"Notice of the copy"));
    m_program.UseExecutable(copy.GetPath());
    ASSERT_TRUE(m_program.StartResident());
    m_program.Command(IDM_ABOUTBOX);
    HWND hAbout = WaitForAbout();
    ASSERT_NE(hAbout, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_RELEASE_LINE)), "Quill Release 4.2");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_VERSION_LINE)), "Scratch Control Version 9.8.7");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_COPYRIGHT)), "Copyright scratch");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_TRADEMARKS)), "Marks of the copy");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_NOTICE)), "Notice of the copy");
    PressDialogButton(hAbout, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hAbout); }, 5000));
    EXPECT_TRUE(m_program.Exit());
}

// Without readable version information (a block with no translation) the box keeps its
// template, the SRS notice even on QSound.
TEST_F(TrayTest, AboutBoxWithoutReadableVersionKeepsTheTemplateTexts)
{
    CScratchExecutable copy(BinPath("Aurelon3D.exe").c_str(), TRUE);
    std::vector<BYTE> block = MakeVersionBlock({}, { { L"LegalTrademarks", L"Marks of the copy" } });
    ASSERT_TRUE(copy.SetResource(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), block));
    m_program.UseExecutable(copy.GetPath());
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_QSOUND));
    ASSERT_TRUE(m_program.StartResident());
    m_program.Command(IDM_ABOUTBOX);
    HWND hAbout = WaitForAbout();
    ASSERT_NE(hAbout, nullptr);
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_RELEASE_LINE)), "Kestrix Release 1.70");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_VERSION_LINE)), "Aurelon 3D Audio Control Version 1.0");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_TRADEMARKS)), "All Rights Reserved");
    EXPECT_EQ(WindowText(::GetDlgItem(hAbout, IDC_NOTICE)),
              "SRS and the SRS symbol are trademarks of SRS Labs, Inc.");
    PressDialogButton(hAbout, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(hAbout); }, 5000));
    EXPECT_TRUE(m_program.Exit());
}
}
