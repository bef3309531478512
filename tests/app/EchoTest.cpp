// The echo of the panel's own preset writes, with both kinds of chip driver: one that
// announces only the level written, and one that also announces the 3D line's volume.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "RegistrySandbox.h"
#include "resource.h"

namespace
{
const DWORD kCenter = 39;
const DWORD kSpace = 38;
const DWORD kStep = 4369;
const DWORD kDrivers[] = { 0, CHIPSIM_NOTIFY_VOLUME };

class EchoTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetFactory(1, "7", "3");
        SetFactory(2, "5", "5");
    }

    static void SetFactory(int nPreset, const char* pszCenter, const char* pszSpace)
    {
        std::string key = "Software\\Aurelon\\Morvane\\Preset" + std::to_string(nPreset);
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, key.c_str(), "Center", pszCenter));
        ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_LOCAL_MACHINE, key.c_str(), "Space", pszSpace));
    }

    // Starts the program on a chip whose driver behaves as chosen, with the panel open.
    void StartWithDriver(DWORD fdwOptions)
    {
        ASSERT_TRUE(m_program.SetLayout(CHIPSIM_LAYOUT_SRS));
        ASSERT_TRUE(m_program.m_chip.m_pfnSetOptions(fdwOptions));
        ASSERT_TRUE(m_program.StartResident());
        ASSERT_TRUE(MoveCursorTo(200, 200));
        ASSERT_TRUE(m_program.ShowPanel());
    }

    bool WaitForSliders(int nCenter, int nSpace)
    {
        return WaitUntil([&] {
            return m_program.SliderPos(IDC_CENTER) == nCenter && m_program.SliderPos(IDC_SPACE) == nSpace;
        }, 5000);
    }

    CAurelonProgram m_program;
};

TEST_F(EchoTest, AppliedPresetStaysSelectedWithEitherDriver)
{
    for (DWORD fdwDriver : kDrivers)
    {
        StartWithDriver(fdwDriver);
        m_program.m_chip.m_pfnClearWriteCounts();
        m_program.Click(IDC_PRESET1);
        EXPECT_EQ(m_program.WriteCount(kCenter), 1u) << fdwDriver;
        EXPECT_EQ(m_program.WriteCount(kSpace), 1u) << fdwDriver;
        EXPECT_TRUE(WaitForSliders(7, 3)) << fdwDriver;
        EXPECT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET1, LAMP_SELECTED)) << fdwDriver;
        ASSERT_TRUE(m_program.Exit());
    }
}

TEST_F(EchoTest, OutsideVolumeWriteRereadsBothSlidersAndDeselects)
{
    StartWithDriver(CHIPSIM_NOTIFY_VOLUME);
    m_program.Click(IDC_PRESET1);
    ASSERT_TRUE(WaitForSliders(7, 3));
    ASSERT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET1, LAMP_SELECTED));

    // Thumbs moved behind the program's back: only a re-read puts them right again.
    ::SendMessageA(m_program.Control(IDC_CENTER), TBM_SETPOS, TRUE, 0);
    ::SendMessageA(m_program.Control(IDC_SPACE), TBM_SETPOS, TRUE, 0);
    m_program.m_chip.m_pfnClearWriteCounts();
    ASSERT_TRUE(m_program.SetChipValue(m_program.VolumeID(), 1234));
    EXPECT_TRUE(WaitForSliders(7, 3));
    EXPECT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET1, LAMP_NOT_SELECTED));
    EXPECT_EQ(m_program.WriteCount(kCenter) + m_program.WriteCount(kSpace), 0u);
}

TEST_F(EchoTest, PresetEqualToTheMixerWritesNothingAndExpectsNoEcho)
{
    for (DWORD fdwDriver : kDrivers)
    {
        StartWithDriver(fdwDriver);
        // Preset 1's two writes leave a volume echo pending with a driver that never
        // announces the volume; selecting preset 2 must not inherit it.
        m_program.Click(IDC_PRESET1);
        ASSERT_TRUE(WaitForSliders(7, 3));
        ASSERT_TRUE(m_program.SetChipValue(kCenter, 5 * kStep));
        ASSERT_TRUE(m_program.SetChipValue(kSpace, 5 * kStep));
        ASSERT_TRUE(WaitForSliders(5, 5));
        ASSERT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET1, LAMP_NOT_SELECTED));

        m_program.m_chip.m_pfnClearWriteCounts();
        m_program.Click(IDC_PRESET2);
        EXPECT_EQ(m_program.WriteCount(kCenter) + m_program.WriteCount(kSpace), 0u) << fdwDriver;
        EXPECT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET2, LAMP_SELECTED)) << fdwDriver;

        // With no echo expected, the first outside volume change deselects it.
        ASSERT_TRUE(m_program.SetChipValue(m_program.VolumeID(), 1234));
        EXPECT_TRUE(WaitForPresetLamp(m_program, IDC_PRESET2, LAMP_NOT_SELECTED)) << fdwDriver;
        ASSERT_TRUE(m_program.Exit());
    }
}
}
