// One resident instance: how the program answers its command line and a second start.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "WindowWitness.h"
#include "resource.h"

namespace
{
const char kProduct[] = "Aurelon 3D Audio Control";

class InstanceTest : public ::testing::Test
{
protected:
    CAurelonProgram m_program;
};

TEST_F(InstanceTest, NoArgumentBecomesResidentWithHiddenWindow)
{
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(witness.MainWindowsCreated(), 1u);
    HWND hMain = m_program.MainWnd();
    EXPECT_EQ(WindowText(hMain), kProduct);
    EXPECT_FALSE(::IsWindowVisible(hMain));
    EXPECT_FALSE(::IsWindowVisible(m_program.Panel()));
    EXPECT_TRUE(m_program.Process().IsRunning());
}

TEST_F(InstanceTest, BlanksOnlyCountAsNoArgument)
{
    ASSERT_TRUE(m_program.Start("   \t "));
    EXPECT_TRUE(WaitUntil([&] { return m_program.Panel() != nullptr; }, 15000));
}

TEST_F(InstanceTest, OtherArgumentsEndAtOnceWithoutWindow)
{
    // A window made and destroyed again before the end could not be found from outside:
    // the witness in the program counts every one made.
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    for (const char* pszArgs : { "-foo", "-INSTALL", "/install", "x" })
    {
        CProcess process;
        ASSERT_TRUE(process.Start("\"" + BinPath("Aurelon3D.exe") + "\" " + pszArgs));
        DWORD dwCode = 1;
        EXPECT_TRUE(process.WaitForExit(10000, &dwCode)) << pszArgs;
        EXPECT_EQ(dwCode, 0u) << pszArgs;
        EXPECT_EQ(witness.MainWindowsCreated(), 0u) << pszArgs;
    }
}

TEST_F(InstanceTest, SecondStartShowsNoticeAndWaitsForIt)
{
    ASSERT_TRUE(m_program.StartResident());
    m_program.Command(ID_SETTINGS);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_program.Panel()) != FALSE; }));

    CProcess second;
    ASSERT_TRUE(second.Start("\"" + BinPath("Aurelon3D.exe") + "\""));
    HWND hNotice = WaitForDialog(kProduct, m_program.Process().GetId());
    ASSERT_NE(hNotice, nullptr);
    EXPECT_FALSE(::IsWindowVisible(m_program.Panel()));
    EXPECT_NE(SendTo(::GetDlgItem(hNotice, IDC_TRAY_ICON), STM_GETICON), 0);
    EXPECT_NE(SendTo(::GetDlgItem(hNotice, IDC_INFO_ICON), STM_GETICON), 0);

    // A third start while the notice is up changes nothing and ends at once,
    // even with the installer switch.
    CProcess third;
    ASSERT_TRUE(third.Start("\"" + BinPath("Aurelon3D.exe") + "\" -install"));
    EXPECT_TRUE(third.WaitForExit(10000));
    EXPECT_EQ(FindTopWindows("#32770", kProduct, m_program.Process().GetId()).size(), 1u);
    EXPECT_TRUE(second.IsRunning());

    PressDialogButton(hNotice, IDOK);
    DWORD dwCode = 1;
    EXPECT_TRUE(second.WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
    EXPECT_FALSE(::IsWindowVisible(m_program.Panel()));
    EXPECT_TRUE(m_program.Process().IsRunning());
}

TEST_F(InstanceTest, ShowRequestShowsPanelWithoutNotice)
{
    ASSERT_TRUE(m_program.StartResident());
    // The request is sent: a notice would be up (and the send held) before it returned.
    SendTo(m_program.MainWnd(), WM_USER + 0x28F, 1, 0, 5000);
    EXPECT_TRUE(::IsWindowVisible(m_program.Panel()));
    EXPECT_TRUE(FindTopWindows("#32770", kProduct, m_program.Process().GetId()).empty());
}

TEST_F(InstanceTest, QuitMessageEndsCleanly)
{
    ASSERT_TRUE(m_program.StartResident());
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    HWND hMain = m_program.MainWnd();
    ::PostThreadMessageA(::GetWindowThreadProcessId(hMain, nullptr), WM_QUIT, 0, 0);
    DWORD dwCode = 1;
    ASSERT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
    // The windows were destroyed on the way out, not merely lost with the process: the
    // panel's destruction removed the icon before its receiver went.
    EXPECT_EQ(witness.IconAtReceiverEnd(), 0);
    // Nothing changed, nothing written.
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Aurelon\\Morvane\\Preset1"));
}
}
