// The mixer access functions against the simulated chip, and the value scaling.
#include "MixerTestKit.h"

#include "mixer/Mixer3D.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"

namespace
{
using CControlsTest = CChipDeviceTest;
}

TEST(MixerScaling, SixteenStepsUpTo65535)
{
    const int nStep = MixerStepSize(65535, 16);
    EXPECT_EQ(4369, nStep);
    EXPECT_EQ(6, MixerValueToPosition(30000, nStep));
    EXPECT_EQ(26214u, MixerPositionToValue(6, nStep));
    EXPECT_EQ(15, MixerValueToPosition(65535, nStep));
    EXPECT_EQ(65535u, MixerPositionToValue(15, nStep));
}

TEST(MixerScaling, FewerThanTwoStepsGiveStepZero)
{
    EXPECT_EQ(0, MixerStepSize(65535, 1));
    EXPECT_EQ(0, MixerStepSize(65535, 0));
    EXPECT_EQ(0, MixerValueToPosition(30000, 0));
    EXPECT_EQ(0u, MixerPositionToValue(0, 0));
}

TEST(MixerScaling, MaximumBelowStepsGivesStepZero)
{
    EXPECT_EQ(0, MixerStepSize(10, 16));
    EXPECT_EQ(0, MixerValueToPosition(10, MixerStepSize(10, 16)));
    EXPECT_EQ(1, MixerStepSize(15, 16));
}

TEST(MixerScaling, ArithmeticIsSigned32Bit)
{
    // A maximum above 0x7FFFFFFF is negative as a signed number; no position comes of it.
    EXPECT_EQ(static_cast<int>(0xFFFFFFFEu) / 15, MixerStepSize(0xFFFFFFFEu, 16));
    EXPECT_EQ(0, MixerValueToPosition(1000, MixerStepSize(0xFFFFFFFEu, 16)));
}

TEST(Mixer3DRecord, StartsUnboundWithTheFixedLevelIds)
{
    const CMixer3D mixer;
    EXPECT_EQ(nullptr, mixer.m_hMixer);
    EXPECT_EQ(1, mixer.m_bMuted);
    EXPECT_EQ(39u, mixer.m_nCenterID);
    EXPECT_EQ(38u, mixer.m_nSpaceID);
    EXPECT_EQ(0, mixer.m_nCenterStep + mixer.m_nSpaceStep + mixer.m_nCenterEcho + mixer.m_nSpaceEcho
                     + mixer.m_nVolumeEcho + mixer.m_nVariant);
    EXPECT_EQ(0xFFFFFFFFu, mixer.m_nMuteID & mixer.m_nVolumeID);
}

TEST_F(CControlsTest, OpenFailsWithoutOutputOrDevice)
{
    EXPECT_FALSE(OpenMixerDevice(nullptr, 0, m_window.GetHandle()));
    HMIXER hMixer = nullptr;
    EXPECT_FALSE(OpenMixerDevice(&hMixer, 5, m_window.GetHandle()));
    SetChipLayout(CHIPSIM_LAYOUT_NONE);
    EXPECT_FALSE(OpenMixerDevice(&hMixer, 0, m_window.GetHandle()));
    m_hMixer = nullptr;  // the layout change ended it
}

TEST_F(CControlsTest, CloseReportsThePlatformResult)
{
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), CloseMixerDevice(m_hMixer));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_INVALHANDLE), CloseMixerDevice(m_hMixer));
    m_hMixer = nullptr;
}

TEST_F(CControlsTest, LevelControlsExistWithTheirRange)
{
    EXPECT_TRUE(MixerControlExists(m_hMixer, MIXER3D_CENTER_ID));
    EXPECT_TRUE(MixerControlExists(m_hMixer, MIXER3D_SPACE_ID));
    EXPECT_FALSE(MixerControlExists(m_hMixer, 999));
    DWORD dwMinimum = 7, dwMaximum = 7, cSteps = 7;
    ASSERT_TRUE(GetMixerControlRange(m_hMixer, MIXER3D_CENTER_ID, &dwMinimum, &dwMaximum, &cSteps));
    EXPECT_EQ(0u, dwMinimum);
    EXPECT_EQ(65535u, dwMaximum);
    EXPECT_EQ(16u, cSteps);
}

TEST_F(CControlsTest, FailedRangeLeavesOutputsUntouched)
{
    DWORD dwMinimum = 7, dwMaximum = 8, cSteps = 9;
    EXPECT_FALSE(GetMixerControlRange(m_hMixer, 999, &dwMinimum, &dwMaximum, &cSteps));
    EXPECT_EQ(7u, dwMinimum);
    EXPECT_EQ(8u, dwMaximum);
    EXPECT_EQ(9u, cSteps);
}

TEST_F(CControlsTest, MissingLevelControlDoesNotExist)
{
    SetChipLayout(CHIPSIM_LAYOUT_SRS, CHIPSIM_MISSING_CENTER);
    m_hMixer = nullptr;
    OpenChip();
    EXPECT_FALSE(MixerControlExists(m_hMixer, MIXER3D_CENTER_ID));
    EXPECT_TRUE(MixerControlExists(m_hMixer, MIXER3D_SPACE_ID));
}

TEST_F(CControlsTest, ValuesRoundTripThroughTheChip)
{
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 26214));
    EXPECT_EQ(26214u, GetMixerValue(m_hMixer, MIXER3D_CENTER_ID));
    DWORD dwStored = 0;
    ASSERT_TRUE(Chip().m_pfnGetValue(m_nDevice, MIXER3D_CENTER_ID, &dwStored));
    EXPECT_EQ(26214u, dwStored);
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_SPACE_ID, 4369));
    EXPECT_EQ(4369u, GetMixerValue(m_hMixer, MIXER3D_SPACE_ID));
    EXPECT_EQ(26214u, GetMixerValue(m_hMixer, MIXER3D_CENTER_ID));
}

TEST_F(CControlsTest, SwitchRoundTripsThroughTheChip)
{
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerBoolean(m_hMixer, m_nMuteID, 1));
    EXPECT_EQ(1, GetMixerBoolean(m_hMixer, m_nMuteID));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerBoolean(m_hMixer, m_nMuteID, 0));
    EXPECT_EQ(0, GetMixerBoolean(m_hMixer, m_nMuteID));
}

TEST_F(CControlsTest, OutOfRangeWritesAreClamped)
{
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 70000));
    EXPECT_EQ(65535u, GetMixerValue(m_hMixer, MIXER3D_CENTER_ID));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerBoolean(m_hMixer, m_nMuteID, 5));
    EXPECT_EQ(1, GetMixerBoolean(m_hMixer, m_nMuteID));
}

TEST_F(CControlsTest, FailedReadsYieldZero)
{
    ASSERT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 30000));
    EXPECT_EQ(0u, GetMixerValue(m_hMixer, 999));
    EXPECT_EQ(0, GetMixerBoolean(m_hMixer, 999));
    EXPECT_EQ(0u, GetMixerValue(nullptr, MIXER3D_CENTER_ID + 1000));
    EXPECT_NE(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, 999, 1));
}

TEST_F(CControlsTest, ChipValueOf30000ShowsPositionSixAndPositionSixWrites26214)
{
    ASSERT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 30000));
    DWORD dwMinimum = 0, dwMaximum = 0, cSteps = 0;
    ASSERT_TRUE(GetMixerControlRange(m_hMixer, MIXER3D_CENTER_ID, &dwMinimum, &dwMaximum, &cSteps));
    const int nStep = MixerStepSize(dwMaximum, cSteps);
    EXPECT_EQ(6, MixerValueToPosition(GetMixerValue(m_hMixer, MIXER3D_CENTER_ID), nStep));
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, MixerPositionToValue(6, nStep));
    EXPECT_EQ(26214u, GetMixerValue(m_hMixer, MIXER3D_CENTER_ID));
}

TEST_F(CControlsTest, OneStepControlGivesStepZero)
{
    SetChipLayout(CHIPSIM_LAYOUT_SRS, 0, 1, 65535);
    m_hMixer = nullptr;
    OpenChip();
    DWORD dwMinimum = 0, dwMaximum = 0, cSteps = 0;
    ASSERT_TRUE(GetMixerControlRange(m_hMixer, MIXER3D_SPACE_ID, &dwMinimum, &dwMaximum, &cSteps));
    EXPECT_EQ(1u, cSteps);
    EXPECT_EQ(0, MixerStepSize(dwMaximum, cSteps));
}

TEST_F(CControlsTest, MaximumBelowStepsGivesPositionZero)
{
    SetChipLayout(CHIPSIM_LAYOUT_SRS, 0, 16, 10);
    m_hMixer = nullptr;
    OpenChip();
    DWORD dwMinimum = 0, dwMaximum = 0, cSteps = 0;
    ASSERT_TRUE(GetMixerControlRange(m_hMixer, MIXER3D_CENTER_ID, &dwMinimum, &dwMaximum, &cSteps));
    EXPECT_EQ(10u, dwMaximum);
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 9);
    EXPECT_EQ(0, MixerValueToPosition(GetMixerValue(m_hMixer, MIXER3D_CENTER_ID), MixerStepSize(dwMaximum, cSteps)));
}
