// The driver table: winmm by default, a named DLL's exports, or no mixer at all.
#include "MixerTestKit.h"

#include "mixer/MixerDriver.h"

namespace
{
// Every function of the table answers as a system without a mixer.
void ExpectNoMixer(const CMixerDriver& driver)
{
    EXPECT_EQ(0u, driver.m_pfnGetNumDevs());
    HMIXER hMixer = reinterpret_cast<HMIXER>(static_cast<UINT_PTR>(0x1234));
    EXPECT_NE(static_cast<MMRESULT>(MMSYSERR_NOERROR), driver.m_pfnOpen(&hMixer, 0, 0, 0, CALLBACK_NULL));
    EXPECT_EQ(nullptr, hMixer);
    MIXERCAPSA caps = {};
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), driver.m_pfnGetDevCaps(0, &caps, sizeof(caps)));
    MIXERLINEA line = {};
    line.cbStruct = sizeof(line);
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), driver.m_pfnGetLineInfo(nullptr, &line, 0));
    MIXERCONTROLA control = {};
    MIXERLINECONTROLSA controls = {sizeof(controls), 0, {39}, 1, sizeof(control), &control};
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER),
              driver.m_pfnGetLineControls(nullptr, &controls, MIXER_GETLINECONTROLSF_ONEBYID));
    DWORD dwValue = 0;
    MIXERCONTROLDETAILS details = {sizeof(details), 39, 1, {0}, sizeof(dwValue), &dwValue};
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), driver.m_pfnGetControlDetails(nullptr, &details, 0));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), driver.m_pfnSetControlDetails(nullptr, &details, 0));
    EXPECT_EQ(static_cast<MMRESULT>(MMSYSERR_NODRIVER), driver.m_pfnClose(hMixer));
}

void* ChipExport(const char* pszName)
{
    return reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("chipsim.dll"), pszName));
}
}

TEST(MixerDriverTable, WithoutPathUsesWinmm)
{
    CMixerDriver driver = {};
    EXPECT_TRUE(LoadMixerDriver(nullptr, driver));
    EXPECT_EQ(&mixerGetNumDevs, driver.m_pfnGetNumDevs);
    EXPECT_EQ(&mixerSetControlDetails, driver.m_pfnSetControlDetails);
    EXPECT_TRUE(LoadMixerDriver("", driver));
    EXPECT_EQ(&mixerOpen, driver.m_pfnOpen);
}

TEST(MixerDriverTable, MissingDllBehavesAsNoMixer)
{
    CMixerDriver driver = {};
    EXPECT_FALSE(LoadMixerDriver("C:\\nowhere\\no-such-driver.dll", driver));
    ExpectNoMixer(driver);
}

TEST(MixerDriverTable, DllWithoutMixerExportsBehavesAsNoMixer)
{
    CMixerDriver driver = {};
    EXPECT_FALSE(LoadMixerDriver("version.dll", driver));
    ExpectNoMixer(driver);
}

TEST(MixerDriverTable, DllGivesItsOwnExports)
{
    ASSERT_TRUE(Chip().IsLoaded());
    CMixerDriver driver = {};
    ASSERT_TRUE(LoadMixerDriver(PathBesideTest("chipsim.dll").c_str(), driver));
    EXPECT_EQ(ChipExport("mixerGetNumDevs"), reinterpret_cast<void*>(driver.m_pfnGetNumDevs));
    EXPECT_EQ(ChipExport("mixerOpen"), reinterpret_cast<void*>(driver.m_pfnOpen));
    EXPECT_EQ(ChipExport("mixerClose"), reinterpret_cast<void*>(driver.m_pfnClose));
    EXPECT_EQ(ChipExport("mixerGetDevCapsA"), reinterpret_cast<void*>(driver.m_pfnGetDevCaps));
    EXPECT_EQ(ChipExport("mixerGetLineInfoA"), reinterpret_cast<void*>(driver.m_pfnGetLineInfo));
    EXPECT_EQ(ChipExport("mixerGetLineControlsA"), reinterpret_cast<void*>(driver.m_pfnGetLineControls));
    EXPECT_EQ(ChipExport("mixerGetControlDetailsA"), reinterpret_cast<void*>(driver.m_pfnGetControlDetails));
    EXPECT_EQ(ChipExport("mixerSetControlDetails"), reinterpret_cast<void*>(driver.m_pfnSetControlDetails));
}

TEST(MixerDriverTable, EnvironmentVariableChoosesTheProcessDriver)
{
    ASSERT_TRUE(Chip().IsLoaded());
    EXPECT_EQ(ChipExport("mixerGetNumDevs"), reinterpret_cast<void*>(GetMixerDriver().m_pfnGetNumDevs));
    EXPECT_EQ(ChipExport("mixerSetControlDetails"),
              reinterpret_cast<void*>(GetMixerDriver().m_pfnSetControlDetails));
}
