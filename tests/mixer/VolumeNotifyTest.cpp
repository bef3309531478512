// The two kinds of chip driver: one announces only the control that was written, the
// other (CHIPSIM_NOTIFY_VOLUME) also announces the 3D line's volume after a level write.
#include "MixerTestKit.h"

#include "mixer/Mixer3D.h"
#include "mixer/MixerControls.h"
#include "mixer/MixerDiscovery.h"

namespace
{
class CVolumeNotifyTest : public CChipDeviceTest
{
protected:
    // Writes Center, Space, mute and volume once each; returns the ids announced, in order.
    std::vector<LPARAM> AnnouncedIds()
    {
        m_window.m_messages.clear();
        SetMixerValue(m_hMixer, MIXER3D_CENTER_ID, 1000);
        SetMixerValue(m_hMixer, MIXER3D_SPACE_ID, 2000);
        SetMixerBoolean(m_hMixer, m_nMuteID, 1);
        SetMixerValue(m_hMixer, m_nVolumeID, 3000);
        m_window.Pump();    // the chip posts its notices before a write returns
        return m_window.ControlIds();
    }
};
}

TEST_F(CVolumeNotifyTest, LevelWritesAlsoAnnounceTheVolumeOnlyWhenChosen)
{
    const LPARAM nMute = static_cast<LPARAM>(m_nMuteID);
    const LPARAM nVolume = static_cast<LPARAM>(m_nVolumeID);
    const std::vector<LPARAM> plain = {MIXER3D_CENTER_ID, MIXER3D_SPACE_ID, nMute, nVolume};
    EXPECT_EQ(plain, AnnouncedIds());

    ASSERT_TRUE(Chip().m_pfnSetOptions(CHIPSIM_NOTIFY_VOLUME));
    const std::vector<LPARAM> withVolume = {MIXER3D_CENTER_ID, nVolume, MIXER3D_SPACE_ID, nVolume,
                                            nMute, nVolume};
    EXPECT_EQ(withVolume, AnnouncedIds());
    EXPECT_FALSE(Chip().m_pfnSetOptions(0x80));
}

TEST_F(CVolumeNotifyTest, ChipctlChoosesItAndEveryLayoutDropsIt)
{
    ASSERT_EQ(0, RunChipctl("layout srs notify-volume"));
    m_hMixer = nullptr;     // the layout change ended it
    OpenChip();
    std::string strReport;
    ASSERT_EQ(0, RunChipctl("show", &strReport));
    EXPECT_NE(std::string::npos, strReport.find("announce the 3D line's volume"));
    EXPECT_EQ(6u, AnnouncedIds().size());

    SetChipLayout(CHIPSIM_LAYOUT_SRS);
    m_hMixer = nullptr;
    OpenChip();
    EXPECT_EQ(4u, AnnouncedIds().size());
}
