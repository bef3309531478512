// Polite close requests from other programs (a close message to any of the program's
// windows, the Restart Manager's session end, taskkill) arriving while the program sits
// idle or inside any of its modal states. Each ends the program as "E&xit" does: exit
// code 0, the icon removed, and no crash on the way out; presets that did not change are
// not written.
#include <gtest/gtest.h>
#include <tuple>
#include "CloseRequests.h"
#include "RegistrySandbox.h"
#include "WindowWitness.h"
#include "chipsim/ChipSim.h"
#include "mixer/Mixer3D.h"
#include "resource.h"

namespace
{
// The same paths below both hives.
const char kPreset1[] = "Software\\Aurelon\\Morvane\\Preset1";
const char kPreset3[] = "Software\\Aurelon\\Morvane\\Preset3";

// What the program is doing when the request arrives.
enum ModalState
{
    STATE_IDLE,
    STATE_ABOUT_BOX,
    STATE_CHANGE_DESCRIPTION,
    STATE_RESTORE_MESSAGE,      // "There are no default settings for this preset."
    STATE_PRESET_MENU,
    STATE_TRAY_MENU,
    STATE_RUNNING_NOTICE,
    STATE_COUNT
};

const char* StateName(ModalState state)
{
    static const char* const s_names[STATE_COUNT] = {
        "Idle", "AboutBox", "ChangeDescription", "RestoreMessage", "PresetMenu", "TrayMenu",
        "RunningNotice"};
    return s_names[state];
}

class ShutdownTest : public ::testing::TestWithParam<std::tuple<CloseRequest, ModalState>>
{
protected:
    // Preset 1 has factory levels 7 and 3 (no user key yet); preset 3 has none, so that
    // "&Restore to Default" on it shows the message box.
    void SetUp() override
    {
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset1, "Center", "7"));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset1, "Space", "3"));
        ASSERT_TRUE(m_program.StartResident());
        ASSERT_TRUE(TrayIconPresent(m_program.TrayReceiver()));
    }

    // The panel is a dialog with the program's title too, and may be shown: it never counts.
    HWND WaitForOwnDialog(const char* pszCaption)
    {
        HWND hFound = nullptr;
        WaitUntil([&] {
            for (HWND hWnd : FindTopWindows("#32770", pszCaption, m_program.Process().GetId()))
                if (hWnd != m_program.Panel() && ::IsWindowVisible(hWnd))
                    hFound = hWnd;
            return hFound != nullptr;
        });
        return hFound;
    }

    HWND WaitForMenu()
    {
        HWND hMenu = nullptr;
        WaitUntil([&] { return (hMenu = FindVisibleMenu()) != nullptr; }, 5000);
        return hMenu;
    }

    // Opens the state; returns the window that shows it (NULL when idle).
    HWND Enter(ModalState state)
    {
        HWND hPanel = m_program.Panel();
        HWND hPreset = m_program.Control(IDC_PRESET2);
        RECT rc = {};
        ::GetWindowRect(hPreset, &rc);
        switch (state)
        {
        case STATE_ABOUT_BOX:
            ::PostMessageA(hPanel, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            return WaitForOwnDialog("About Aurelon 3D Audio");
        case STATE_CHANGE_DESCRIPTION:
            ::PostMessageA(hPanel, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hPreset),
                           MAKELPARAM(rc.left + 2, rc.top + 2));
            ChooseMenuItem(WaitForMenu(), 3);
            return WaitForOwnDialog("Change Description");
        case STATE_RESTORE_MESSAGE:
            if (!m_program.PresetMenu(IDC_PRESET3, 2))
                return nullptr;
            return WaitForOwnDialog("Aurelon SRS 3D Audio");
        case STATE_PRESET_MENU:
            ::PostMessageA(hPanel, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hPreset),
                           MAKELPARAM(rc.left + 2, rc.top + 2));
            return WaitForMenu();
        case STATE_TRAY_MENU:
            m_program.Tray(WM_RBUTTONDOWN);
            return WaitForMenu();
        case STATE_RUNNING_NOTICE:
            if (!m_second.Start("\"" + BinPath("Aurelon3D.exe") + "\""))
                return nullptr;
            return WaitForOwnDialog("Aurelon 3D Audio Control");
        default:
            return nullptr;
        }
    }

    CAurelonProgram m_program;
    CProcess m_second;
};

TEST_P(ShutdownTest, EndsLikeExit)
{
    const CloseRequest request = std::get<0>(GetParam());
    const ModalState state = std::get<1>(GetParam());
    if (state != STATE_IDLE)
    {
        ASSERT_NE(Enter(state), nullptr) << StateName(state);
    }
    ASSERT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset1));

    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    ASSERT_TRUE(RequestClose(m_program, request)) << CloseRequestName(request);
    DWORD dwCode = 0xFFFFFFFF;
    ASSERT_TRUE(m_program.Process().WaitForExit(15000, &dwCode)) << "still running";
    EXPECT_EQ(dwCode, 0u) << std::hex << dwCode;
    // The program let its icon go before it destroyed the icon's receiver window (the
    // shell drops the icons of a destroyed window by itself, so only that moment tells).
    EXPECT_EQ(witness.IconAtReceiverEnd(), 0);
    // The factory's preset 1 is not made the user's own.
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset1));
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset3));
    if (state == STATE_RUNNING_NOTICE)
    {
        EXPECT_TRUE(m_second.WaitForExit(10000)) << "the second start still waits";
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<CloseRequest, ModalState>>& info)
{
    return std::string(CloseRequestName(std::get<0>(info.param))) + "_" +
           StateName(std::get<1>(info.param));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRequestInEveryState, ShutdownTest,
    ::testing::Combine(::testing::Values(CLOSE_MAIN_WINDOW, CLOSE_TRAY_RECEIVER, CLOSE_PANEL,
                                         CLOSE_SESSION_CLOSEAPP, CLOSE_TASKKILL),
                       ::testing::Values(STATE_IDLE, STATE_ABOUT_BOX, STATE_CHANGE_DESCRIPTION,
                                         STATE_RESTORE_MESSAGE, STATE_PRESET_MENU, STATE_TRAY_MENU,
                                         STATE_RUNNING_NOTICE)),
    CaseName);

// While a dialog, message box or menu of the program is open, the tray's clicks and a
// later start open nothing on top of it and leave the panel as it is; the later start's
// notice comes once that has ended (the notice's own later start gets none: a third start).
class ModalStateTest : public ShutdownTest
{
protected:
    size_t VisibleDialogs()
    {
        size_t n = 0;
        for (HWND hWnd : FindTopWindows("#32770", nullptr, m_program.Process().GetId()))
            n += ::IsWindowVisible(hWnd) ? 1 : 0;
        return n;
    }
};

TEST_P(ModalStateTest, TrayClicksAndLaterStartsOpenNothingOnTop)
{
    const ModalState state = std::get<1>(GetParam());
    const bool bMenu = state == STATE_PRESET_MENU || state == STATE_TRAY_MENU;
    ASSERT_TRUE(m_program.ShowPanel());
    HWND hState = Enter(state);
    ASSERT_NE(hState, nullptr) << StateName(state);
    RECT rcPanel = {}, rcAfter = {};
    ::GetWindowRect(m_program.Panel(), &rcPanel);
    const bool bPanelVisible = m_program.PanelVisible();
    const size_t nDialogs = VisibleDialogs();
    CWindowWitness witness;
    ASSERT_TRUE(witness.IsInstalled());
    for (UINT nMouse : { WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN })
        m_program.Tray(nMouse);
    CProcess later;
    ASSERT_TRUE(later.Start("\"" + BinPath("Aurelon3D.exe") + "\""));
    EXPECT_TRUE(later.WaitForExit(10000)) << "the later start still waits";
    m_program.Sync();
    ::GetWindowRect(m_program.Panel(), &rcAfter);
    EXPECT_EQ(m_program.PanelVisible(), bPanelVisible);
    EXPECT_TRUE(::EqualRect(&rcPanel, &rcAfter)) << rcAfter.left << "," << rcAfter.top;
    EXPECT_EQ(VisibleDialogs(), nDialogs);
    EXPECT_EQ(witness.NoticesCreated(), 0u);
    EXPECT_EQ(FindVisibleMenu() != nullptr, bMenu);

    if (bMenu)
        ::PostMessageA(hState, WM_KEYDOWN, VK_ESCAPE, 0);
    PressDialogButton(hState, IDCANCEL);
    PressDialogButton(hState, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(hState); }, 5000));
    if (state == STATE_RUNNING_NOTICE)
        EXPECT_TRUE(m_second.WaitForExit(10000));
    else
        EXPECT_NE(WaitForOwnDialog("Aurelon 3D Audio Control"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    EveryModalState, ModalStateTest,
    ::testing::Combine(::testing::Values(CLOSE_MAIN_WINDOW),
                       ::testing::Values(STATE_ABOUT_BOX, STATE_CHANGE_DESCRIPTION, STATE_RESTORE_MESSAGE,
                                         STATE_PRESET_MENU, STATE_TRAY_MENU, STATE_RUNNING_NOTICE)),
    CaseName);
}

namespace
{
// The report of a missing mixer runs while the hidden window is still being created.
class NoMixerShutdownTest : public ::testing::TestWithParam<CloseRequest>
{
protected:
    CAurelonProgram m_program;
};

TEST_P(NoMixerShutdownTest, EndsWhileTheMissingMixerIsReported)
{
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_NONE));
    ASSERT_TRUE(m_program.Start());
    ASSERT_NE(WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId()), nullptr);
    ASSERT_TRUE(RequestClose(m_program, GetParam())) << CloseRequestName(GetParam());
    DWORD dwCode = 0xFFFFFFFF;
    ASSERT_TRUE(m_program.Process().WaitForExit(15000, &dwCode)) << "still running";
    EXPECT_EQ(dwCode, 0u) << std::hex << dwCode;
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPreset3)) << "a start without a chip wrote";
}

INSTANTIATE_TEST_SUITE_P(EveryRequest, NoMixerShutdownTest,
                         ::testing::Values(CLOSE_MAIN_WINDOW, CLOSE_PANEL, CLOSE_SESSION_CLOSEAPP,
                                           CLOSE_TASKKILL),
                         [](const ::testing::TestParamInfo<CloseRequest>& info) {
                             return std::string(CloseRequestName(info.param));
                         });

// A logoff told to the hidden window only: a preset saved before it is not written again,
// neither then nor at the exit that follows; one saved after it is written at once.
class SessionEndTest : public ::testing::Test
{
protected:
    void EndSession()
    {
        DWORD_PTR nAnswer = 0;
        HWND hMain = m_program.MainWnd();
        ASSERT_NE(::SendMessageTimeoutA(hMain, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                        5000, &nAnswer), 0);
        EXPECT_NE(nAnswer, 0u);
        ASSERT_NE(::SendMessageTimeoutA(hMain, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                        5000, &nAnswer), 0);
        ASSERT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset1, "Center"), m_dwSaved);
    }

    void SetUp() override
    {
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, kPreset1, "Center", "7"));
        ASSERT_TRUE(m_program.StartResident());
    }

    CAurelonProgram m_program;
    DWORD m_dwSaved = 0xFFFFFFFF;   // nothing saved: no key
};

// Another program changes the saved value meanwhile; a second save would put 7 back.
TEST_F(SessionEndTest, SavesThePresetsOnce)
{
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 2));   // "&Restore to Default"
    m_program.Sync();
    m_dwSaved = 7;
    EndSession();
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, kPreset1, "Center", 99));
    ASSERT_TRUE(m_program.Exit());
    EXPECT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset1, "Center"), 99u)
        << "saved again at the exit";
}

TEST_F(SessionEndTest, ChangeAfterTheSessionEndIsSavedAtExit)
{
    EndSession();
    const int nStep = MixerStepSize(CHIPSIM_DEFAULT_MAXIMUM, CHIPSIM_DEFAULT_STEPS);
    ASSERT_TRUE(m_program.SetChipValue(MIXER3D_CENTER_ID, 5 * nStep));
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 5; }));
    ASSERT_TRUE(m_program.PresetMenu(IDC_PRESET1, 1));   // "&Save Settings"
    ASSERT_TRUE(m_program.Exit());
    EXPECT_EQ(CRegistrySandbox::GetDword(HKEY_CURRENT_USER, kPreset1, "Center"), 5u);
}
}
