#include "mixer/MixerControls.h"

#include "framework/App.h"
#include "mixer/MixerDetails.h"
#include "mixer/MixerDriver.h"

namespace
{
HMIXEROBJ MixerObject(HMIXER hMixer)
{
    return reinterpret_cast<HMIXEROBJ>(hMixer);
}

// Describes one control by id, for MIXER_GETLINECONTROLSF_ONEBYID.
BOOL QueryControl(HMIXER hMixer, DWORD nControlID, MIXERCONTROLA* pControl)
{
    MIXERLINECONTROLSA controls = SingleControlQuery(pControl);
    controls.dwControlID = nControlID;
    return GetMixerDriver().m_pfnGetLineControls(MixerObject(hMixer), &controls,
                                                 MIXER_GETLINECONTROLSF_ONEBYID) == MMSYSERR_NOERROR;
}

DWORD GetDetail(HMIXER hMixer, DWORD nControlID, MMRESULT* pResult)
{
    DWORD dwDetail = 0;
    MIXERCONTROLDETAILS details = SingleValueDetails(nControlID, &dwDetail);
    // A failed read leaves the 0 in place.
    const MMRESULT result = GetMixerDriver().m_pfnGetControlDetails(
        MixerObject(hMixer), &details, MIXER_GETCONTROLDETAILSF_VALUE);
    if (pResult != nullptr)
        *pResult = result;
    return dwDetail;
}

MMRESULT SetDetail(HMIXER hMixer, DWORD nControlID, DWORD dwDetail)
{
    MIXERCONTROLDETAILS details = SingleValueDetails(nControlID, &dwDetail);
    return GetMixerDriver().m_pfnSetControlDetails(MixerObject(hMixer), &details,
                                                   MIXER_SETCONTROLDETAILSF_VALUE);
}
}

BOOL OpenMixerDevice(HMIXER* phMixer, UINT nDevice, HWND hWndCallback)
{
    const CMixerDriver& driver = GetMixerDriver();
    if (phMixer == nullptr || driver.m_pfnGetNumDevs() == 0)
        return FALSE;
    return driver.m_pfnOpen(phMixer, nDevice, reinterpret_cast<DWORD_PTR>(hWndCallback),
                            reinterpret_cast<DWORD_PTR>(AfxGetInstanceHandle()),
                            CALLBACK_WINDOW) == MMSYSERR_NOERROR;
}

MMRESULT CloseMixerDevice(HMIXER hMixer)
{
    return GetMixerDriver().m_pfnClose(hMixer);
}

BOOL MixerControlExists(HMIXER hMixer, DWORD nControlID)
{
    MIXERCONTROLA control;
    return QueryControl(hMixer, nControlID, &control);
}

BOOL GetMixerControlRange(HMIXER hMixer, DWORD nControlID, DWORD* pdwMinimum,
                          DWORD* pdwMaximum, DWORD* pcSteps)
{
    MIXERCONTROLA control;
    if (!QueryControl(hMixer, nControlID, &control))
        return FALSE;
    *pdwMinimum = control.Bounds.dwMinimum;
    *pdwMaximum = control.Bounds.dwMaximum;
    *pcSteps = control.Metrics.cSteps;
    return TRUE;
}

LONG GetMixerBoolean(HMIXER hMixer, DWORD nControlID, MMRESULT* pResult)
{
    return static_cast<LONG>(GetDetail(hMixer, nControlID, pResult));
}

MMRESULT SetMixerBoolean(HMIXER hMixer, DWORD nControlID, LONG bValue)
{
    return SetDetail(hMixer, nControlID, static_cast<DWORD>(bValue));
}

DWORD GetMixerValue(HMIXER hMixer, DWORD nControlID, MMRESULT* pResult)
{
    return GetDetail(hMixer, nControlID, pResult);
}

MMRESULT SetMixerValue(HMIXER hMixer, DWORD nControlID, DWORD dwValue)
{
    return SetDetail(hMixer, nControlID, dwValue);
}
