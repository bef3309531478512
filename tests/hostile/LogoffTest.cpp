// Logoff while a modal dialog runs: the session-end messages are answered at once and
// the presets reach the registry.
#include "FaultKit.h"
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
const char kPreset3[] = "Software\\Aurelon\\Morvane\\Preset3";

class LogoffTest : public ::testing::Test
{
protected:
    // Preset 3 becomes 4, 9, and is written at once.
    void ChangePreset3()
    {
        const int nStep = MixerStepSize(CHIPSIM_DEFAULT_MAXIMUM, CHIPSIM_DEFAULT_STEPS);
        m_program.SetChipValue(MIXER3D_CENTER_ID, 4 * nStep);
        m_program.SetChipValue(MIXER3D_SPACE_ID, 9 * nStep);
        ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_SPACE) == 9; }));
        ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET3, 1));   // "&Save Settings"
        m_program.Sync();
        ASSERT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset3, "Space"), 9u);
    }

    // The session ends: both messages answered without hanging, presets stored.
    void EndSession()
    {
        DWORD_PTR nAnswer = 0;
        for (HWND hWnd : { m_program.MainWnd(), m_program.Panel() })
        {
            EXPECT_NE(::SendMessageTimeoutA(hWnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                            SMTO_ABORTIFHUNG, 5000, &nAnswer), 0);
            EXPECT_NE(nAnswer, 0u);
        }
        for (HWND hWnd : { m_program.MainWnd(), m_program.Panel() })
            EXPECT_NE(::SendMessageTimeoutA(hWnd, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF,
                                            SMTO_ABORTIFHUNG, 5000, &nAnswer), 0);
        DWORD dwType = 0;
        std::vector<BYTE> data;
        ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, kPreset3, "Space", &dwType, data));
        ASSERT_EQ(data.size(), 4u);
        EXPECT_EQ(*reinterpret_cast<DWORD*>(data.data()), 9u);
    }

    void Finish(HWND hDialog)
    {
        PressDialogButton(hDialog, IDCANCEL);
        PressDialogButton(hDialog, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(hDialog); }));
        EXPECT_TRUE(m_program.Exit());
    }

    CAurelonProgram m_program;
};

TEST_F(LogoffTest, DuringTheAboutBox)
{
    ASSERT_TRUE(m_program.StartResident());
    ChangePreset3();
    ::PostMessageA(m_program.Panel(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    HWND hAbout = WaitForDialog("About Aurelon 3D Audio", m_program.Process().GetId());
    ASSERT_NE(hAbout, nullptr);
    EndSession();
    Finish(hAbout);
}

TEST_F(LogoffTest, DuringChangeDescription)
{
    ASSERT_TRUE(m_program.StartResident());
    ChangePreset3();
    RECT rc;
    ::GetWindowRect(m_program.Control(IDC_PRESET2), &rc);
    ::PostMessageA(m_program.Panel(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_program.Control(IDC_PRESET2)),
                   MAKELPARAM(rc.left + 2, rc.top + 2));
    HWND hMenu = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hMenu = FindVisibleMenu()) != nullptr; }, 5000));
    ChooseMenuItem(hMenu, 3);   // "&Change Description..."
    HWND hDialog = WaitForDialog("Change Description", m_program.Process().GetId());
    ASSERT_NE(hDialog, nullptr);
    EndSession();
    Finish(hDialog);
}

TEST_F(LogoffTest, DuringTheAlreadyRunningNotice)
{
    ASSERT_TRUE(m_program.StartResident());
    ChangePreset3();
    CProcess second;
    ASSERT_TRUE(second.Start("\"" + BinPath("Aurelon3D.exe") + "\""));
    HWND hNotice = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
    ASSERT_NE(hNotice, nullptr);
    EndSession();
    Finish(hNotice);
    EXPECT_TRUE(second.WaitForExit(10000));
}
}
