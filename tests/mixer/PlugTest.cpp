// Unplugging and plugging the simulated chip, and the device broadcasts that announce it.
#include "MixerTestKit.h"

#include "mixer/Mixer3D.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"

namespace
{
class CPlugTest : public CChipTest
{
protected:
    void TearDown() override
    {
        Chip().m_pfnPlug(CHIPSIM_ALL_CHIPS);
        m_window.Pump();
    }

    // The device broadcasts the window received, as (event, device node) pairs.
    std::vector<std::pair<WPARAM, DWORD>> DevNodeEvents() const
    {
        std::vector<std::pair<WPARAM, DWORD>> events;
        for (const CRecordedMessage& message : m_window.m_messages)
            if (message.nMessage == WM_DEVICECHANGE && message.dwDeviceType == DBT_DEVTYP_DEVNODE)
                events.emplace_back(message.wParam, message.dwDevNode);
        return events;
    }

    CRecorderWindow m_window;
};
}

TEST_F(CPlugTest, UnpluggedDeviceDisappearsAndComesBack)
{
    HMIXER hMixer = nullptr;
    ASSERT_TRUE(OpenMixerDevice(&hMixer, 0, m_window.GetHandle()));
    ASSERT_EQ(1u, GetMixerDriver().m_pfnGetNumDevs());

    ASSERT_TRUE(Chip().m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    EXPECT_EQ(0u, GetMixerDriver().m_pfnGetNumDevs());
    HMIXER hAnother = nullptr;
    EXPECT_FALSE(OpenMixerDevice(&hAnother, 0, m_window.GetHandle()));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), SetMixerValue(hMixer, MIXER3D_CENTER_ID, 100));
    EXPECT_FALSE(MixerControlExists(hMixer, MIXER3D_CENTER_ID));

    ASSERT_TRUE(Chip().m_pfnPlug(CHIPSIM_ALL_CHIPS));
    EXPECT_EQ(1u, GetMixerDriver().m_pfnGetNumDevs());
    // The old handle died with the device; a new one works.
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), SetMixerValue(hMixer, MIXER3D_CENTER_ID, 100));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), CloseMixerDevice(hMixer));
    ASSERT_TRUE(OpenMixerDevice(&hAnother, 0, m_window.GetHandle()));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NOERROR), SetMixerValue(hAnother, MIXER3D_CENTER_ID, 100));
    EXPECT_EQ(100u, GetMixerValue(hAnother, MIXER3D_CENTER_ID));
    CloseMixerDevice(hAnother);
}

TEST_F(CPlugTest, UnplugAndPlugAreAnnouncedWithTheDeviceNode)
{
    ASSERT_TRUE(Chip().m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    ASSERT_TRUE(Chip().m_pfnPlug(CHIPSIM_ALL_CHIPS));
    m_window.Pump();
    const std::vector<std::pair<WPARAM, DWORD>> expected = {
        {DBT_DEVICEREMOVECOMPLETE, CHIPSIM_DEVNODE_BASE}, {DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE}};
    EXPECT_EQ(expected, DevNodeEvents());
}

TEST_F(CPlugTest, UnplugKeepsOtherMakersDevices)
{
    SetChipLayout(CHIPSIM_LAYOUT_PLAIN_FIRST);
    ASSERT_TRUE(Chip().m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    EXPECT_EQ(1u, GetMixerDriver().m_pfnGetNumDevs());
    EXPECT_TRUE(Chip().m_pfnIsPlugged(0));
    EXPECT_FALSE(Chip().m_pfnIsPlugged(1));
    UINT nDevice = 0;
    int nVariant = 0;
    DWORD nMuteID = 0, nVolumeID = 0;
    EXPECT_FALSE(FindMixer3D(&nDevice, &nVariant, &nMuteID, &nVolumeID));
    m_window.Pump();
    const std::vector<std::pair<WPARAM, DWORD>> expected = {{DBT_DEVICEREMOVECOMPLETE, CHIPSIM_DEVNODE_BASE + 1}};
    EXPECT_EQ(expected, DevNodeEvents());
}

TEST_F(CPlugTest, AnotherProcessUnplugsAndPlugs)
{
    ASSERT_EQ(0, RunChipctl("unplug"));
    EXPECT_EQ(0u, GetMixerDriver().m_pfnGetNumDevs());
    ASSERT_EQ(0, RunChipctl("plug"));
    EXPECT_EQ(1u, GetMixerDriver().m_pfnGetNumDevs());
    m_window.Pump();
    // The record crossed the process boundary through a synchronous send.
    const std::vector<std::pair<WPARAM, DWORD>> expected = {
        {DBT_DEVICEREMOVECOMPLETE, CHIPSIM_DEVNODE_BASE}, {DBT_DEVICEARRIVAL, CHIPSIM_DEVNODE_BASE}};
    EXPECT_EQ(expected, DevNodeEvents());
    EXPECT_EQ(1, RunChipctl("unplug 7"));
}

TEST_F(CPlugTest, PortBroadcastCarriesItsType)
{
    Chip().m_pfnBroadcastPort(DBT_DEVICEARRIVAL, "COM3");
    ASSERT_EQ(0, RunChipctl("broadcast port removal"));
    m_window.Pump();
    ASSERT_EQ(2u, m_window.m_messages.size());
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEARRIVAL), m_window.m_messages[0].wParam);
    EXPECT_EQ(static_cast<DWORD>(DBT_DEVTYP_PORT), m_window.m_messages[0].dwDeviceType);
    EXPECT_EQ(static_cast<WPARAM>(DBT_DEVICEREMOVECOMPLETE), m_window.m_messages[1].wParam);
    EXPECT_EQ(static_cast<DWORD>(DBT_DEVTYP_PORT), m_window.m_messages[1].dwDeviceType);
    EXPECT_TRUE(DevNodeEvents().empty());
}
