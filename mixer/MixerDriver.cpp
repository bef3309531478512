#include "mixer/MixerDriver.h"

namespace
{
// The stand-in for a system without a mixer.
UINT WINAPI NoMixerGetNumDevs(void)
{
    return 0;
}

MMRESULT WINAPI NoMixerOpen(LPHMIXER phmx, UINT, DWORD_PTR, DWORD_PTR, DWORD)
{
    if (phmx != nullptr)
        *phmx = nullptr;
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI NoMixerClose(HMIXER)
{
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI NoMixerGetDevCaps(UINT_PTR, LPMIXERCAPSA, UINT)
{
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI NoMixerGetLineInfo(HMIXEROBJ, LPMIXERLINEA, DWORD)
{
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI NoMixerGetLineControls(HMIXEROBJ, LPMIXERLINECONTROLSA, DWORD)
{
    return MMSYSERR_NODRIVER;
}

MMRESULT WINAPI NoMixerControlDetails(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD)
{
    return MMSYSERR_NODRIVER;
}

const CMixerDriver g_noMixer = {
    NoMixerGetNumDevs, NoMixerOpen, NoMixerClose, NoMixerGetDevCaps, NoMixerGetLineInfo,
    NoMixerGetLineControls, NoMixerControlDetails, NoMixerControlDetails,
};

// winmm is loaded only when the mixer is first used: it brings the audio compression
// manager with it, which a start that ends at once (or uses another driver) never needs.
const char kSystemDriver[] = "winmm.dll";

// Looks up one export into a typed function pointer; FALSE when it is missing.
template <typename T>
BOOL ResolveExport(HMODULE hModule, const char* pszName, T& pfn)
{
    FARPROC proc = ::GetProcAddress(hModule, pszName);
    pfn = reinterpret_cast<T>(reinterpret_cast<void*>(proc));
    return proc != nullptr;
}

CMixerDriver LoadDriverFromEnvironment()
{
    char szPath[MAX_PATH] = "";
    const DWORD cch = ::GetEnvironmentVariableA(MIXER_DRIVER_VARIABLE, szPath, sizeof(szPath));
    CMixerDriver driver = g_noMixer;
    // A path too long to load names no driver we can use: no mixer rather than winmm's.
    if (cch < sizeof(szPath))
        LoadMixerDriver(szPath, driver);
    return driver;
}
}

BOOL LoadMixerDriver(const char* pszDllPath, CMixerDriver& driver)
{
    if (pszDllPath == nullptr || *pszDllPath == '\0')
        pszDllPath = kSystemDriver;
    HMODULE hModule = ::LoadLibraryA(pszDllPath);
    if (hModule == nullptr)
    {
        driver = g_noMixer;
        return FALSE;
    }
    CMixerDriver loaded;
    BOOL bComplete = ResolveExport(hModule, "mixerGetNumDevs", loaded.m_pfnGetNumDevs)
        & ResolveExport(hModule, "mixerOpen", loaded.m_pfnOpen)
        & ResolveExport(hModule, "mixerClose", loaded.m_pfnClose)
        & ResolveExport(hModule, "mixerGetDevCapsA", loaded.m_pfnGetDevCaps)
        & ResolveExport(hModule, "mixerGetLineInfoA", loaded.m_pfnGetLineInfo)
        & ResolveExport(hModule, "mixerGetLineControlsA", loaded.m_pfnGetLineControls)
        & ResolveExport(hModule, "mixerGetControlDetailsA", loaded.m_pfnGetControlDetails)
        & ResolveExport(hModule, "mixerSetControlDetails", loaded.m_pfnSetControlDetails);
    if (!bComplete)
    {
        ::FreeLibrary(hModule);
        driver = g_noMixer;
        return FALSE;
    }
    driver = loaded;
    return TRUE;
}

const CMixerDriver& GetMixerDriver()
{
    // Initialised once, thread-safely, on first use.
    static const CMixerDriver driver = LoadDriverFromEnvironment();
    return driver;
}
