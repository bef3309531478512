// Change notifications from the simulated chip: every write, from this process or another,
// reaches every window that opened the device, in the order of the writes.
#include "MixerTestKit.h"

#include "mixer/Mixer3D.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"

namespace
{
using CNotificationTest = CChipDeviceTest;
}

TEST_F(CNotificationTest, OwnWritesArriveInOrderWithOurHandle)
{
    SetMixerValue(m_hMixer, MIXER3D_SPACE_ID, 1000);
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 2000);
    SetMixerBoolean(m_hMixer, m_nMuteID, 1);
    SetMixerValue(m_hMixer, m_nVolumeID, 3000);
    m_window.WaitFor(4);
    const std::vector<LPARAM> expected = {MIXER3D_SPACE_ID, MIXER3D_CENTER_ID,
                                          static_cast<LPARAM>(m_nMuteID), static_cast<LPARAM>(m_nVolumeID)};
    EXPECT_EQ(expected, m_window.ControlIds());
    for (const CRecordedMessage& message : m_window.m_messages)
        EXPECT_EQ(reinterpret_cast<WPARAM>(m_hMixer), message.wParam);
}

TEST_F(CNotificationTest, WritesOfAnotherProcessArriveInWriteOrder)
{
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 1000);
    ASSERT_EQ(0, RunChipctl("set space 5000"));
    ASSERT_EQ(0, RunChipctl("set mute 1"));
    SetMixerValue(m_hMixer, m_nVolumeID, 3000);
    m_window.WaitFor(4);
    const std::vector<LPARAM> expected = {MIXER3D_CENTER_ID, MIXER3D_SPACE_ID,
                                          static_cast<LPARAM>(m_nMuteID), static_cast<LPARAM>(m_nVolumeID)};
    EXPECT_EQ(expected, m_window.ControlIds());
    EXPECT_EQ(5000u, GetMixerValue(m_hMixer, MIXER3D_SPACE_ID));
    EXPECT_EQ(1, GetMixerBoolean(m_hMixer, m_nMuteID));
}

TEST_F(CNotificationTest, EveryWindowHearsOfAWriteWithItsOwnHandle)
{
    CRecorderWindow other;
    HMIXER hOther = nullptr;
    ASSERT_TRUE(OpenMixerDevice(&hOther, m_nDevice, other.GetHandle()));
    HMIXER hQuiet = nullptr;  // opened without a window: never notified
    ASSERT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), GetMixerDriver().m_pfnOpen(&hQuiet, m_nDevice, 0, 0, CALLBACK_NULL));
    SetMixerValue(hQuiet, MIXER3D_CENTER_ID, 100);
    m_window.WaitFor(1);
    other.WaitFor(1);
    ASSERT_EQ(1u, m_window.m_messages.size());
    ASSERT_EQ(1u, other.m_messages.size());
    EXPECT_EQ(reinterpret_cast<WPARAM>(m_hMixer), m_window.m_messages[0].wParam);
    EXPECT_EQ(reinterpret_cast<WPARAM>(hOther), other.m_messages[0].wParam);
    EXPECT_EQ(MIXER3D_CENTER_ID, other.m_messages[0].lParam);
    CloseMixerDevice(hOther);
    CloseMixerDevice(hQuiet);
}

TEST_F(CNotificationTest, ClosedHandlesAndDestroyedWindowsHearNothing)
{
    CRecorderWindow closed;
    HMIXER hClosed = nullptr;
    ASSERT_TRUE(OpenMixerDevice(&hClosed, m_nDevice, closed.GetHandle()));
    CloseMixerDevice(hClosed);
    CRecorderWindow destroyed;
    HMIXER hDestroyed = nullptr;
    ASSERT_TRUE(OpenMixerDevice(&hDestroyed, m_nDevice, destroyed.GetHandle()));
    destroyed.Destroy();
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, MIXER3D_SPACE_ID, 10));
    m_window.WaitFor(1);
    closed.WaitFor(1, 200);
    EXPECT_EQ(1u, m_window.m_messages.size());
    EXPECT_TRUE(closed.m_messages.empty());
    CloseMixerDevice(hDestroyed);
}

TEST_F(CNotificationTest, FailedWritesNeitherNotifyNorCount)
{
    EXPECT_NE(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(m_hMixer, 999, 10));
    m_window.WaitFor(1, 200);
    EXPECT_TRUE(m_window.m_messages.empty());
    EXPECT_EQ(0u, Chip().m_pfnGetWriteCount(m_nDevice, 999));
}

TEST_F(CNotificationTest, RedundantWritesAreCountedAndNotified)
{
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 4369);
    SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 4369);
    ASSERT_EQ(0, RunChipctl("set center 4369"));
    m_window.WaitFor(3);
    EXPECT_EQ(3u, m_window.m_messages.size());
    EXPECT_EQ(3u, Chip().m_pfnGetWriteCount(m_nDevice, MIXER3D_CENTER_ID));
    EXPECT_EQ(0u, Chip().m_pfnGetWriteCount(m_nDevice, MIXER3D_SPACE_ID));
    std::string strOutput;
    ASSERT_EQ(0, RunChipctl("writes", &strOutput));
    EXPECT_NE(std::string::npos, strOutput.find("3 writes")) << strOutput;
    Chip().m_pfnClearWriteCounts();
    EXPECT_EQ(0u, Chip().m_pfnGetWriteCount(m_nDevice, MIXER3D_CENTER_ID));
}

TEST_F(CNotificationTest, ChipctlReadsAndRejectsBadArguments)
{
    SetMixerValue(m_hMixer, MIXER3D_SPACE_ID, 8738);
    m_window.WaitFor(1);
    ASSERT_EQ(1u, m_window.m_messages.size());
    m_window.m_messages.clear();
    std::string strOutput;
    ASSERT_EQ(0, RunChipctl("get space", &strOutput));
    EXPECT_EQ("8738", strOutput.substr(0, strOutput.find_first_of("\r\n")));
    ASSERT_EQ(0, RunChipctl("show", &strOutput));
    EXPECT_NE(std::string::npos, strOutput.find("\"SRS\"")) << strOutput;
    EXPECT_EQ(2, RunChipctl(""));
    EXPECT_EQ(2, RunChipctl("set center"));
    EXPECT_EQ(2, RunChipctl("set center loud"));
    EXPECT_EQ(2, RunChipctl("layout nowhere"));
    EXPECT_EQ(2, RunChipctl("frobnicate"));
    EXPECT_EQ(1, RunChipctl("set 999 1"));
    m_window.Pump();
    EXPECT_TRUE(m_window.m_messages.empty());
}
