// FindMixer3D against the simulated chip's layouts.
#include "MixerTestKit.h"

#include <cstring>

#include "mixer/MixerDiscovery.h"

namespace
{
struct CFound
{
    BOOL bFound;
    UINT nDevice;
    int nVariant;
    DWORD nMuteID;
    DWORD nVolumeID;
};

// Runs the scan with outputs that start as garbage, so a missing reset shows.
CFound Find()
{
    CFound found = {FALSE, 77, 77, 77, 77};
    found.bFound = FindMixer3D(&found.nDevice, &found.nVariant, &found.nMuteID, &found.nVolumeID);
    return found;
}

void ExpectNothingFound(const CFound& found)
{
    EXPECT_FALSE(found.bFound);
    EXPECT_EQ(0xFFFFFFFFu, found.nDevice);
    EXPECT_EQ(0, found.nVariant);
    EXPECT_EQ(0xFFFFFFFFu, found.nMuteID);
    EXPECT_EQ(0xFFFFFFFFu, found.nVolumeID);
}

// The control sits on a line of that exact name and has that type.
void ExpectControl(UINT nDevice, DWORD dwControlID, const char* pszLine, DWORD dwType,
                   DWORD dwDestination)
{
    std::string strLine;
    DWORD dwFoundType = 0;
    DWORD dwFoundDestination = 0;
    ASSERT_TRUE(DescribeControl(nDevice, dwControlID, &strLine, &dwFoundType, &dwFoundDestination))
        << "control " << dwControlID;
    EXPECT_EQ(pszLine, strLine);
    EXPECT_EQ(dwType, dwFoundType);
    EXPECT_EQ(dwDestination, dwFoundDestination);
}

class CDiscoveryTest : public CChipTest
{
};
}

TEST_F(CDiscoveryTest, FindsSrsBehindOtherLinesAndDestinations)
{
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(0u, found.nDevice);
    EXPECT_EQ(MIXER3D_SRS, found.nVariant);
    ExpectControl(0, found.nVolumeID, "SRS", MIXERCONTROL_CONTROLTYPE_VOLUME, 1);
    ExpectControl(0, found.nMuteID, "SRS", MIXERCONTROL_CONTROLTYPE_MUTE, 1);
}

TEST_F(CDiscoveryTest, FindsQSound)
{
    SetChipLayout(CHIPSIM_LAYOUT_QSOUND);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(MIXER3D_QSOUND, found.nVariant);
    ExpectControl(0, found.nMuteID, "QSound", MIXERCONTROL_CONTROLTYPE_MUTE, 1);
}

TEST_F(CDiscoveryTest, QSoundWithoutMuteIsFoundWithoutMuteId)
{
    SetChipLayout(CHIPSIM_LAYOUT_QSOUND, CHIPSIM_MISSING_MUTE);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(MIXER3D_QSOUND, found.nVariant);
    EXPECT_EQ(0xFFFFFFFFu, found.nMuteID);
    ExpectControl(0, found.nVolumeID, "QSound", MIXERCONTROL_CONTROLTYPE_VOLUME, 1);
}

TEST_F(CDiscoveryTest, SrsWithoutVolumeIsFoundWithoutVolumeId)
{
    SetChipLayout(CHIPSIM_LAYOUT_SRS, CHIPSIM_MISSING_VOLUME);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(0xFFFFFFFFu, found.nVolumeID);
    ExpectControl(0, found.nMuteID, "SRS", MIXERCONTROL_CONTROLTYPE_MUTE, 1);
}

TEST_F(CDiscoveryTest, SkipsADeviceWithoutThe3DLine)
{
    SetChipLayout(CHIPSIM_LAYOUT_PLAIN_FIRST);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(1u, found.nDevice);
    ExpectControl(1, found.nMuteID, "SRS", MIXERCONTROL_CONTROLTYPE_MUTE, 1);
}

TEST_F(CDiscoveryTest, LowerDeviceIndexWins)
{
    SetChipLayout(CHIPSIM_LAYOUT_TWO_CHIPS);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(0u, found.nDevice);
}

TEST_F(CDiscoveryTest, NamesMustMatchExactly)
{
    // "srs", "SRS2", "Srs ", "QSOUND" and "QSound3D" come first and must all be passed over.
    SetChipLayout(CHIPSIM_LAYOUT_NEAR_NAMES);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(MIXER3D_SRS, found.nVariant);
    ExpectControl(0, found.nVolumeID, "SRS", MIXERCONTROL_CONTROLTYPE_VOLUME, 1);
}

TEST_F(CDiscoveryTest, FirstMatchInDeviceDestinationSourceOrderWins)
{
    // Device 1's first destination holds "QSound" then "SRS"; its second destination
    // and device 2 hold "SRS" as well.
    SetChipLayout(CHIPSIM_LAYOUT_ORDER);
    const CFound found = Find();
    ASSERT_TRUE(found.bFound);
    EXPECT_EQ(1u, found.nDevice);
    EXPECT_EQ(MIXER3D_QSOUND, found.nVariant);
    ExpectControl(1, found.nMuteID, "QSound", MIXERCONTROL_CONTROLTYPE_MUTE, 0);
    ExpectControl(1, found.nVolumeID, "QSound", MIXERCONTROL_CONTROLTYPE_VOLUME, 0);
}

TEST_F(CDiscoveryTest, NoDeviceFindsNothing)
{
    SetChipLayout(CHIPSIM_LAYOUT_NONE);
    ExpectNothingFound(Find());
}

TEST_F(CDiscoveryTest, DevicesWithout3DLineFindNothing)
{
    SetChipLayout(CHIPSIM_LAYOUT_PLAIN_ONLY);
    ExpectNothingFound(Find());
}

TEST_F(CDiscoveryTest, UnpluggedChipFindsNothing)
{
    ASSERT_TRUE(Chip().m_pfnUnplug(CHIPSIM_ALL_CHIPS));
    ExpectNothingFound(Find());
    ASSERT_TRUE(Chip().m_pfnPlug(CHIPSIM_ALL_CHIPS));
    EXPECT_TRUE(Find().bFound);
}

TEST_F(CDiscoveryTest, LeavesNoHandleOpen)
{
    // The scan opens the plain device and the first chip.
    SetChipLayout(CHIPSIM_LAYOUT_ORDER);
    ASSERT_TRUE(Find().bFound);
    char szState[16384];
    Chip().m_pfnDescribe(szState, sizeof(szState));
    EXPECT_EQ(nullptr, std::strstr(szState, "handle 0x")) << szState;
}
