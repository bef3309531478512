// The panel bound to the simulated chip: values both ways, device removal and
// arrival, and the start without a chip (each chip's texts: the picture suite).
#include <gtest/gtest.h>
#include <algorithm>
#include "AurelonProgram.h"
#include <dbt.h>
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
const DWORD kCenter = 39;
const DWORD kSpace = 38;

class PanelTest : public ::testing::Test
{
protected:
    void StartWith(DWORD nLayout, DWORD cSteps = 16, DWORD dwMaximum = 65535, DWORD fdwFlags = 0)
    {
        ASSERT_TRUE(m_program.SetLayout(nLayout, cSteps, dwMaximum, fdwFlags));
        ASSERT_TRUE(m_program.StartResident());
    }

    bool WaitForSlider(int nID, int nPosition)
    {
        return WaitUntil([&] { return m_program.SliderPos(nID) == nPosition; }, 5000);
    }

    CAurelonProgram m_program;
};

TEST_F(PanelTest, SrsChipShowsItsState)
{
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 30000));
    ASSERT_TRUE(m_program.SetChipValue(kSpace, 65535));
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_EQ(m_program.SliderPos(IDC_CENTER), 6);    // 30000 / 4369
    EXPECT_EQ(m_program.SliderPos(IDC_SPACE), 15);
    EXPECT_EQ(SendTo(m_program.Control(IDC_CENTER), TBM_GETRANGEMAX, 0, 0), 15);
    EXPECT_TRUE(m_program.IsChecked(IDC_ENABLED));
    for (int nID : { IDC_CENTER, IDC_SPACE, IDC_ENABLED, IDC_PRESET1, IDC_PRESET2, IDC_PRESET3 })
        EXPECT_TRUE(m_program.IsEnabled(nID)) << nID;
    EXPECT_TRUE(::GetWindowLongA(m_program.Panel(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(PanelTest, ChangesFromAnotherProgramMoveTheWidgets)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 30000));
    EXPECT_TRUE(WaitForSlider(IDC_CENTER, 6));
    ASSERT_TRUE(m_program.SetChipValue(kSpace, 4369 * 3));
    EXPECT_TRUE(WaitForSlider(IDC_SPACE, 3));
    ASSERT_TRUE(m_program.SetChipValue(m_program.MuteID(), 1));
    EXPECT_TRUE(WaitUntil([&] { return !m_program.IsChecked(IDC_ENABLED); }, 5000));
    ASSERT_TRUE(m_program.SetChipValue(m_program.MuteID(), 0));
    EXPECT_TRUE(WaitUntil([&] { return m_program.IsChecked(IDC_ENABLED); }, 5000));
}

TEST_F(PanelTest, SliderWritesScaledValueOnlyWhenItDiffers)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    m_program.m_chip.m_pfnClearWriteCounts();
    m_program.Scroll(IDC_CENTER, 6);
    EXPECT_EQ(m_program.ChipValue(kCenter), 26214u);
    EXPECT_EQ(m_program.WriteCount(kCenter), 1u);
    m_program.Scroll(IDC_CENTER, 6, TB_THUMBTRACK);   // same value: no write
    EXPECT_EQ(m_program.WriteCount(kCenter), 1u);
    m_program.Scroll(IDC_SPACE, 2, TB_LINEDOWN);
    EXPECT_EQ(m_program.ChipValue(kSpace), 8738u);
    m_program.Scroll(IDC_SPACE, 9, TB_ENDTRACK);      // the end of a drag writes nothing
    EXPECT_EQ(m_program.ChipValue(kSpace), 8738u);
    EXPECT_EQ(m_program.WriteCount(kSpace), 1u);
}

TEST_F(PanelTest, EnabledBoxTogglesMuteAndFollowsNotification)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    DWORD dwMute = m_program.MuteID();
    ASSERT_TRUE(m_program.SetChipValue(dwMute, 1));
    ASSERT_TRUE(WaitUntil([&] { return !m_program.IsChecked(IDC_ENABLED); }, 5000));
    SendTo(m_program.Control(IDC_ENABLED), BM_CLICK, 0, 0);
    EXPECT_EQ(m_program.ChipValue(dwMute), 0u);
    EXPECT_TRUE(WaitUntil([&] { return m_program.IsChecked(IDC_ENABLED); }, 5000));
    SendTo(m_program.Control(IDC_ENABLED), BM_CLICK, 0, 0);
    EXPECT_EQ(m_program.ChipValue(dwMute), 1u);
    EXPECT_TRUE(WaitUntil([&] { return !m_program.IsChecked(IDC_ENABLED); }, 5000));
}

TEST_F(PanelTest, SingleStepControlShowsZeroAndWritesZero)
{
    StartWith(CHIPSIM_LAYOUT_SRS, 1, 65535);
    EXPECT_EQ(SendTo(m_program.Control(IDC_CENTER), TBM_GETRANGEMAX, 0, 0), 0);
    EXPECT_EQ(m_program.SliderPos(IDC_CENTER), 0);
    ASSERT_NE(m_program.ChipValue(kCenter), 0u);
    m_program.Scroll(IDC_CENTER, 0, TB_LINEUP);
    EXPECT_EQ(m_program.ChipValue(kCenter), 0u);
}

TEST_F(PanelTest, MaximumBelowStepsGivesZeroStep)
{
    StartWith(CHIPSIM_LAYOUT_SRS, 16, 10);
    EXPECT_EQ(m_program.SliderPos(IDC_CENTER), 0);
    m_program.Scroll(IDC_SPACE, 5);
    EXPECT_EQ(m_program.ChipValue(kSpace), 0u);
}

// The driver going away and coming back, announced by its device node (Windows 95 to ME)
// or only as some change of the devices (2000 and later): once, after a burst of quick
// cycles, or reloaded without a level control, which no reopen can bind.
struct CDeviceRound
{
    const char* pszName;
    DWORD fdwDriver;
    int nQuickCycles;
    bool bReloadBroken;
};

const CDeviceRound kRounds[] = {
    { "DeviceNode", 0, 0, false },
    { "DevNodesChanged", CHIPSIM_NT_DRIVER, 0, false },
    { "TwentyQuickCycles", CHIPSIM_NT_DRIVER, 20, false },
    { "ReloadWithoutSpace", CHIPSIM_NT_DRIVER, 0, true },
};

class DeviceRoundTest : public PanelTest, public ::testing::WithParamInterface<CDeviceRound>
{
};

TEST_P(DeviceRoundTest, RemovalDisablesAndReturnRebinds)
{
    const CDeviceRound& round = GetParam();
    StartWith(CHIPSIM_LAYOUT_SRS, 16, 65535, round.fdwDriver);
    for (int i = 0; i < round.nQuickCycles; ++i)
    {
        ASSERT_TRUE(m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS));
        ASSERT_TRUE(m_program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS));
    }
    if (round.bReloadBroken)
    {
        ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS, 16, 65535, round.fdwDriver | CHIPSIM_MISSING_SPACE));
        m_program.m_chip.m_pfnBroadcastDevNodesChanged();
    }
    else
        ASSERT_TRUE(m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    EXPECT_TRUE(WaitUntil([&] { return !m_program.IsEnabled(IDC_CENTER) && m_program.ChipHandles().empty(); }, 5000));
    for (int nID : { IDC_SPACE, IDC_ENABLED, IDC_CENTER_LABEL, IDC_PRESET1, IDC_PRESET3 })
        EXPECT_FALSE(m_program.IsEnabled(nID)) << nID;
    if (round.bReloadBroken)
        return;

    // The chip comes back with values changed meanwhile, and one handle is in use.
    ASSERT_TRUE(m_program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS));
    EXPECT_TRUE(WaitUntil([&] { return m_program.IsEnabled(IDC_CENTER); }, 5000));
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 4369 * 11));
    EXPECT_TRUE(WaitForSlider(IDC_CENTER, 11));
    m_program.Scroll(IDC_SPACE, 4);
    EXPECT_EQ(m_program.ChipValue(kSpace), 4369u * 4);
    const std::string handles = m_program.ChipHandles();
    EXPECT_EQ(std::count(handles.begin(), handles.end(), '\n'), 1) << handles;
}

INSTANTIATE_TEST_SUITE_P(Drivers, DeviceRoundTest, ::testing::ValuesIn(kRounds),
                         [](const ::testing::TestParamInfo<CDeviceRound>& info) { return info.param.pszName; });

// Drivers number their controls from 0: a line without a mute leaves control 0 (here the
// recording volume) alone, and a change of it is not the effect's.
TEST_F(PanelTest, LineWithoutMuteLeavesControlZeroAlone)
{
    StartWith(CHIPSIM_LAYOUT_SRS, 16, 65535, CHIPSIM_MISSING_MUTE | CHIPSIM_IDS_FROM_ZERO);
    EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER));
    EXPECT_FALSE(m_program.IsEnabled(IDC_ENABLED));
    m_program.m_chip.m_pfnClearWriteCounts();
    m_program.Click(IDC_ENABLED);
    ASSERT_TRUE(m_program.SetChipValue(0, 1));
    m_program.Sync();
    EXPECT_EQ(m_program.WriteCount(0), 1u);
    EXPECT_TRUE(m_program.IsChecked(IDC_ENABLED));
}

TEST_F(PanelTest, BroadcastsAboutOtherDevicesChangeNothing)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 4369 * 6));
    ASSERT_TRUE(WaitForSlider(IDC_CENTER, 6));
    const std::string handles = m_program.ChipHandles();
    ASSERT_NE(handles, "");
    const int nSpace = m_program.SliderPos(IDC_SPACE);
    m_program.m_chip.m_pfnClearWriteCounts();

    for (UINT nEvent : { DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE })
    {
        m_program.m_chip.m_pfnBroadcastPort(nEvent, "COM1");
        m_program.m_chip.m_pfnBroadcastDevNode(nEvent, 0x1234);
        m_program.m_chip.m_pfnBroadcastDevNode(nEvent, CHIPSIM_DEVNODE_BASE + 1);
    }
    m_program.Sync();
    // The mixer was neither closed nor opened again, nothing was written, nothing moved.
    EXPECT_EQ(m_program.ChipHandles(), handles);
    EXPECT_EQ(m_program.WriteCount(kCenter) + m_program.WriteCount(kSpace) +
                  m_program.WriteCount(m_program.MuteID()),
              0u);
    EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER));
    EXPECT_EQ(m_program.SliderPos(IDC_CENTER), 6);
    EXPECT_EQ(m_program.SliderPos(IDC_SPACE), nSpace);
    // And it still follows the chip.
    ASSERT_TRUE(m_program.SetChipValue(kCenter, 4369 * 9));
    EXPECT_TRUE(WaitForSlider(IDC_CENTER, 9));
}

TEST_F(PanelTest, SecondArrivalKeepsWorking)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    m_program.m_chip.m_pfnBroadcastDevNode(DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE);
    m_program.m_chip.m_pfnBroadcastDevNode(DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE);
    ASSERT_TRUE(m_program.SetChipValue(kSpace, 4369 * 2));
    EXPECT_TRUE(WaitForSlider(IDC_SPACE, 2));
    m_program.Scroll(IDC_CENTER, 13);
    EXPECT_EQ(m_program.ChipValue(kCenter), 4369u * 13);
}

TEST_F(PanelTest, MissingChipIsReportedThenProgramEnds)
{
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_PLAIN_ONLY));
    ASSERT_TRUE(m_program.Start());
    HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(DialogMessageText(hBox), "Unable to locate the Aurelon Semiconductor Windows Sound "
                                       "System Mixer or one of its components.");
    PressDialogButton(hBox, IDOK);
    DWORD dwCode = 1;
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
}

TEST_F(PanelTest, MissingLevelControlCountsAsNoChip)
{
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS, 16, 65535, CHIPSIM_MISSING_SPACE));
    ASSERT_TRUE(m_program.Start());
    HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    PressDialogButton(hBox, IDOK);
    EXPECT_TRUE(m_program.Process().WaitForExit(10000));
}

TEST_F(PanelTest, WithoutSimulatorWineHasNoChip)
{
    ASSERT_TRUE(m_program.Start("", false));
    HWND hBox = WaitForDialog("Aurelon 3D Audio Control", m_program.Process().GetId());
    ASSERT_NE(hBox, nullptr);
    PressDialogButton(hBox, IDOK);
    DWORD dwCode = 1;
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
}

TEST_F(PanelTest, QuietFlagIsConsumedAndSilencesTheReport)
{
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, "Software\\Aurelon\\Morvane", "", 1));
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_NONE));
    ASSERT_TRUE(m_program.Start());
    DWORD dwCode = 1;
    EXPECT_TRUE(m_program.Process().WaitForExit(10000, &dwCode));
    EXPECT_EQ(dwCode, 0u);
    std::vector<BYTE> data;
    DWORD dwType = 0;
    EXPECT_FALSE(CRegistrySandbox::GetRaw(HKEY_LOCAL_MACHINE, "Software\\Aurelon\\Morvane", "",
                                          &dwType, data));

    // Consumed also when the chip is there.
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, "Software\\Aurelon\\Morvane", "", 0));
    ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS));
    ASSERT_TRUE(m_program.StartResident());
    EXPECT_FALSE(CRegistrySandbox::GetRaw(HKEY_LOCAL_MACHINE, "Software\\Aurelon\\Morvane", "",
                                          &dwType, data));
}

TEST_F(PanelTest, PanelOpensNextToTheCursorWithinTheScreen)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    RECT rc;
    ::GetWindowRect(m_program.Panel(), &rc);
    int nWidth = rc.right - rc.left, nHeight = rc.bottom - rc.top;
    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);

    // Wine moves the pointer through the display server, so another process may see the
    // move a little later: "&Settings..." is repeated until the panel reflects it.
    auto showAtCursor = [&](int x, int y, const std::function<bool(const RECT&)>& placed) {
        EXPECT_TRUE(MoveCursorTo(x, y));
        return WaitUntil([&] {
            m_program.Command(ID_SETTINGS);
            m_program.Sync();
            ::GetWindowRect(m_program.Panel(), &rc);
            return ::IsWindowVisible(m_program.Panel()) && placed(rc);
        }, 10000);
    };

    EXPECT_TRUE(showAtCursor(100, 100, [](const RECT& r) { return r.left == 100 && r.top == 100; }));

    // Near the bottom right corner: to the left of the point, flush with the bottom.
    EXPECT_TRUE(showAtCursor(cx - 10, cy - 10, [&](const RECT& r) {
        return r.right == cx - 10 && r.top == cy - nHeight;
    })) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
    EXPECT_EQ(rc.right - rc.left, nWidth);

    // Enter hides it, as does Escape.
    SendTo(m_program.Panel(), WM_COMMAND, IDOK, 0);
    EXPECT_FALSE(::IsWindowVisible(m_program.Panel()));
    m_program.Command(ID_SETTINGS);
    m_program.Sync();
    SendTo(m_program.Panel(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(::IsWindowVisible(m_program.Panel()));
    EXPECT_TRUE(::IsWindow(m_program.Panel()));
}

// The panel is created hidden: a start must not make it the program's active window,
// which would take the keyboard from the program the user is in. Shown, it is active
// and one of its controls has the focus.
TEST_F(PanelTest, HiddenStartTakesNoActivationAndShowingFocusesAControl)
{
    StartWith(CHIPSIM_LAYOUT_SRS);
    m_program.Sync();
    const DWORD dwThread = ::GetWindowThreadProcessId(m_program.Panel(), nullptr);
    GUITHREADINFO hidden = {};
    hidden.cbSize = sizeof(hidden);
    ASSERT_TRUE(::GetGUIThreadInfo(dwThread, &hidden));
    EXPECT_EQ(hidden.hwndActive, nullptr);
    EXPECT_EQ(hidden.hwndFocus, nullptr);

    m_program.Command(ID_SETTINGS);
    m_program.Sync();
    ASSERT_TRUE(::IsWindowVisible(m_program.Panel()));
    GUITHREADINFO shown = {};
    shown.cbSize = sizeof(shown);
    ASSERT_TRUE(::GetGUIThreadInfo(dwThread, &shown));
    EXPECT_EQ(shown.hwndActive, m_program.Panel());
    EXPECT_NE(shown.hwndFocus, nullptr);
    EXPECT_EQ(::GetParent(shown.hwndFocus), m_program.Panel());
}
}
