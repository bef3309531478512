// The mixer driver table. The program reaches the multimedia mixer only through these
// eight functions, with winmm's own signatures, taken from a DLL by their export names:
// winmm's by default, or the DLL that the environment variable AURELON_MIXER_DRIVER
// names (a simulated chip, or another driver front-end).
#ifndef AURELON_MIXER_MIXERDRIVER_H
#define AURELON_MIXER_MIXERDRIVER_H

#include <windows.h>
#include <mmsystem.h>

struct CMixerDriver
{
    UINT (WINAPI* m_pfnGetNumDevs)(void);
    MMRESULT (WINAPI* m_pfnOpen)(LPHMIXER phmx, UINT uMxId, DWORD_PTR dwCallback,
                                 DWORD_PTR dwInstance, DWORD fdwOpen);
    MMRESULT (WINAPI* m_pfnClose)(HMIXER hmx);
    MMRESULT (WINAPI* m_pfnGetDevCaps)(UINT_PTR uMxId, LPMIXERCAPSA pmxcaps, UINT cbmxcaps);
    MMRESULT (WINAPI* m_pfnGetLineInfo)(HMIXEROBJ hmxobj, LPMIXERLINEA pmxl, DWORD fdwInfo);
    MMRESULT (WINAPI* m_pfnGetLineControls)(HMIXEROBJ hmxobj, LPMIXERLINECONTROLSA pmxlc,
                                            DWORD fdwControls);
    MMRESULT (WINAPI* m_pfnGetControlDetails)(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd,
                                              DWORD fdwDetails);
    MMRESULT (WINAPI* m_pfnSetControlDetails)(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd,
                                              DWORD fdwDetails);
};

// The environment variable that names a replacement driver DLL.
#define MIXER_DRIVER_VARIABLE "AURELON_MIXER_DRIVER"

// The process's driver table, chosen once on first use from AURELON_MIXER_DRIVER.
const CMixerDriver& GetMixerDriver();

// Fills driver from the DLL at pszDllPath, or from winmm when pszDllPath is NULL or
// empty. If the DLL cannot be loaded or lacks one of the eight exports, the
// table behaves as a system without a mixer (no devices; every other call fails with
// MMSYSERR_NODRIVER) and the result is FALSE. A loaded DLL stays loaded for good.
BOOL LoadMixerDriver(const char* pszDllPath, CMixerDriver& driver);

#endif
