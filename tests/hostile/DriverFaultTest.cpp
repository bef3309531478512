// Driver faults with the simulated chip: the device coming and going under the panel,
// writes that fail, bursts of changes from another program, odd control ranges.
// The program keeps working, its widgets end in the chip's real state, and what the
// process holds ends where it began.
#include "FaultKit.h"
#include <windows.h>
#include <dbt.h>
#include "resource.h"

namespace
{
const int kStep = MixerStepSize(CHIPSIM_DEFAULT_MAXIMUM, CHIPSIM_DEFAULT_STEPS);

class DriverFaultTest : public ::testing::Test
{
protected:
    // The widgets show the chip: after a change from outside they follow it.
    void ExpectWidgetsFollowTheChip()
    {
        ASSERT_TRUE(m_program.SetChipValue(MIXER3D_CENTER_ID, 5 * kStep));
        ASSERT_TRUE(m_program.SetChipValue(MIXER3D_SPACE_ID, 11 * kStep));
        EXPECT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 5; }, 5000));
        EXPECT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_SPACE) == 11; }, 5000));
        EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER));
    }

    CAurelonProgram m_program;
};

TEST_F(DriverFaultTest, UnplugAndPlugWhileThePanelIsOpenAndSlidersMove)
{
    ASSERT_TRUE(m_program.StartResident());
    ShowPanel(m_program, TRUE);
    const DWORD dwPid = m_program.Process().GetId();
    auto cycle = [&](int i) {
        m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS);
        m_program.Scroll(IDC_CENTER, i % 16);       // the write fails: no device
        m_program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS);
        m_program.Scroll(IDC_SPACE, (i * 7) % 16);
    };
    for (int i = 0; i < 5; ++i)
        cycle(i);
    m_program.Sync();
    const ProcessCounters before = TakeProcessCounters(dwPid);
    const int nCycles = Repetitions(100);
    ProcessCounters middle;
    for (int i = 0; i < nCycles; ++i)
    {
        if (i == nCycles / 2)
            middle = HalfWay(m_program, dwPid);
        cycle(i);
    }
    m_program.Sync();
    ASSERT_TRUE(m_program.Process().IsRunning());
    // The last write after the plug reached the chip, and the widgets agree with it.
    EXPECT_EQ(m_program.SliderPos(IDC_SPACE),
              MixerValueToPosition(m_program.ChipValue(MIXER3D_SPACE_ID), kStep));
    EXPECT_EQ(m_program.SliderPos(IDC_CENTER),
              MixerValueToPosition(m_program.ChipValue(MIXER3D_CENTER_ID), kStep));
    ExpectWidgetsFollowTheChip();
    std::printf("[ cycles   ] %d unplug/plug cycles\n", nCycles);
    ExpectFlat("unplug/plug", before, middle, TakeProcessCounters(dwPid));
    EXPECT_TRUE(m_program.Exit());
}

TEST_F(DriverFaultTest, WritesWhileUnpluggedFailQuietlyAndPresetsStillWork)
{
    ASSERT_TRUE(m_program.StartResident());
    m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS);
    m_program.Sync();
    EXPECT_FALSE(m_program.IsEnabled(IDC_CENTER));
    // Commands sent straight to the panel while the device is gone.
    m_program.Click(IDC_PRESET2);
    m_program.Click(IDC_ENABLED);
    m_program.Scroll(IDC_CENTER, 3);
    m_program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS);
    m_program.Sync();
    ASSERT_TRUE(m_program.Process().IsRunning());
    ExpectWidgetsFollowTheChip();
    EXPECT_EQ(m_program.IsChecked(IDC_ENABLED), m_program.ChipValue(m_program.MuteID()) == 0);
    EXPECT_TRUE(m_program.Exit());
}

TEST_F(DriverFaultTest, BurstOfChangesFromAnotherProgram)
{
    ASSERT_TRUE(m_program.StartResident());
    ShowPanel(m_program, TRUE);
    const DWORD dwPid = m_program.Process().GetId();
    const DWORD dwMuteID = m_program.MuteID();
    m_program.Sync();
    m_program.m_chip.m_pfnClearWriteCounts();
    // Every write that the chip accepted from this test, by control.
    DWORD nCenter = 0, nSpace = 0, nMute = 0;
    auto change = [&](DWORD dwControlID, DWORD dwValue, DWORD& nWrites) {
        if (m_program.SetChipValue(dwControlID, dwValue))
            ++nWrites;
    };
    const ProcessCounters before = TakeProcessCounters(dwPid);
    const int nChanges = Repetitions(1000);
    ProcessCounters middle;
    for (int i = 0; i < nChanges; ++i)
    {
        if (i == nChanges / 2)
            middle = HalfWay(m_program, dwPid);
        if (i % 2)
            change(MIXER3D_CENTER_ID, (i % 16) * kStep, nCenter);
        else
            change(MIXER3D_SPACE_ID, (i % 16) * kStep, nSpace);
        if (i % 97 == 0)
            change(dwMuteID, i % 2, nMute);
    }
    change(MIXER3D_CENTER_ID, 9 * kStep, nCenter);
    change(MIXER3D_SPACE_ID, 2 * kStep, nSpace);
    change(dwMuteID, 0, nMute);
    EXPECT_TRUE(WaitUntil([&] {
        return m_program.SliderPos(IDC_CENTER) == 9 && m_program.SliderPos(IDC_SPACE) == 2 &&
               m_program.IsChecked(IDC_ENABLED);
    }, 30000));
    m_program.Sync();
    // The program wrote nothing back while following: the chip counted only our writes.
    EXPECT_EQ(m_program.WriteCount(MIXER3D_CENTER_ID), nCenter);
    EXPECT_EQ(m_program.WriteCount(MIXER3D_SPACE_ID), nSpace);
    EXPECT_EQ(m_program.WriteCount(dwMuteID), nMute);
    EXPECT_EQ(m_program.WriteCount(m_program.VolumeID()), 0u);
    std::printf("[ burst    ] %d changes\n", nChanges);
    ExpectFlat("burst", before, middle, TakeProcessCounters(dwPid));
    EXPECT_TRUE(m_program.Exit());
}

TEST_F(DriverFaultTest, DeviceThatVanishesBetweenDiscoveryAndOpen)
{
    ASSERT_TRUE(m_program.StartResident());
    // An arrival whose device is gone again by the time the panel looks at it.
    m_program.m_chip.m_pfnUnplug(CHIPSIM_ALL_CHIPS);
    m_program.m_chip.m_pfnBroadcastDevNode(DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE);
    m_program.Sync();
    EXPECT_TRUE(m_program.Process().IsRunning());
    EXPECT_FALSE(m_program.IsEnabled(IDC_CENTER));
    m_program.m_chip.m_pfnPlug(CHIPSIM_ALL_CHIPS);
    m_program.Sync();
    ExpectWidgetsFollowTheChip();
    EXPECT_TRUE(m_program.Exit());
}

// Ranges a driver might publish that make the step 0 or negative in 32-bit arithmetic.
TEST_F(DriverFaultTest, OddControlRangesKeepTheProgramWorking)
{
    struct Range
    {
        DWORD cSteps;
        DWORD dwMaximum;
    };
    for (const Range& r : { Range{ 0, 65535 }, Range{ 1, 65535 }, Range{ 0xFFFFFFFF, 65535 },
                            Range{ 16, 0xFFFFFFFF }, Range{ 16, 0x80000000 }, Range{ 16, 0 },
                            Range{ 1000000, 7 } })
    {
        ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS, r.cSteps, r.dwMaximum));
        ASSERT_TRUE(m_program.StartResident()) << r.cSteps << " " << r.dwMaximum;
        m_program.Scroll(IDC_CENTER, 7);
        m_program.Click(IDC_PRESET1);
        m_program.SetChipValue(MIXER3D_SPACE_ID, r.dwMaximum);
        m_program.Sync();
        const int nStep = MixerStepSize(r.dwMaximum, r.cSteps);
        EXPECT_EQ(m_program.SliderPos(IDC_SPACE),
                  MixerValueToPosition(m_program.ChipValue(MIXER3D_SPACE_ID), nStep))
            << r.cSteps << " " << r.dwMaximum;
        EXPECT_GE(SendTo(m_program.Control(IDC_SPACE), TBM_GETRANGEMAX, 0, 0), 0);
        EXPECT_TRUE(m_program.Exit()) << r.cSteps << " " << r.dwMaximum;
    }
}
}
