// A driver that reports more than it has: 2^31 steps on a level control, or 0xFFFFFFFF
// destinations or sources on its devices. The program starts in its usual time and works
// with the lines and ranges that are really there.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "chipsim/ChipSim.h"
#include "mixer/Mixer3D.h"
#include "resource.h"

namespace
{
class MixerFaultTest : public ::testing::Test
{
protected:
    CAurelonProgram m_program;
};

// 0x80000000 steps: positions 0 ... 0x7FFFFFFF, the step dwMaximum / 0x7FFFFFFF.
TEST_F(MixerFaultTest, TwoToTheThirtyFirstStepsGiveTheWholeSignedRange)
{
    for (DWORD dwMaximum : { 0x7FFFFFFFu, 65535u })
    {
        ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS, 0x80000000, dwMaximum));
        ASSERT_TRUE(m_program.StartResident()) << dwMaximum;
        EXPECT_EQ(::SendMessageA(m_program.Control(IDC_CENTER), TBM_GETRANGEMAX, 0, 0), 0x7FFFFFFF)
            << dwMaximum;
        const DWORD dwStep = dwMaximum / 0x7FFFFFFF;
        EXPECT_EQ(m_program.SliderPos(IDC_CENTER),
                  dwStep > 0 ? static_cast<int>(m_program.ChipValue(MIXER3D_CENTER_ID) / dwStep) : 0);
        m_program.Scroll(IDC_CENTER, 7);
        m_program.Sync();
        EXPECT_EQ(m_program.ChipValue(MIXER3D_CENTER_ID), 7 * dwStep) << dwMaximum;
        EXPECT_TRUE(m_program.Exit()) << dwMaximum;
    }
}

// The plain device first has no 3D line, so discovery walks all it reports before it
// reaches the chip.
TEST_F(MixerFaultTest, HugeLineCountsDoNotStallTheStart)
{
    for (DWORD fdwFault : { CHIPSIM_FAULT_MANY_DESTINATIONS, CHIPSIM_FAULT_MANY_SOURCES })
    {
        ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_PLAIN_FIRST, CHIPSIM_DEFAULT_STEPS,
                                        CHIPSIM_DEFAULT_MAXIMUM, fdwFault));
        ASSERT_TRUE(m_program.StartResident()) << std::hex << fdwFault;
        // The panel exists while discovery runs; the tray icon comes only after it.
        ASSERT_NE(m_program.TrayReceiver(), nullptr) << std::hex << fdwFault;
        EXPECT_TRUE(m_program.IsEnabled(IDC_CENTER)) << std::hex << fdwFault;
        EXPECT_TRUE(m_program.Exit()) << std::hex << fdwFault;
    }
}
}
