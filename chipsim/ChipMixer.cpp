// The eight winmm mixer functions of the simulated chip, with winmm's signatures, layouts
// and result codes. Handles belong to the process that opened them.
#include "chipsim/ChipState.h"

#include <cstring>

namespace
{
BOOL IsHandleValue(UINT_PTR value)
{
    return (value & 0xFF000000) == CHIP_HANDLE_TAG && (value & 0xFF) < CHIP_MAX_HANDLES;
}

// The open handle behind a value of this process, whatever the state of its device.
CChipHandle* FindHandle(CChipState& state, UINT_PTR value)
{
    if (!IsHandleValue(value))
        return nullptr;
    CChipHandle& handle = state.handles[value & 0xFF];
    if (!handle.bUsed || ChipHandleValue(static_cast<DWORD>(value & 0xFF), handle.nSerial) != value
        || handle.nProcessID != ::GetCurrentProcessId())
        return nullptr;
    return &handle;
}

// The device that a mixer object (an open handle or a mixer id) stands for.
MMRESULT ResolveObject(CChipState& state, UINT_PTR value, DWORD fdwObject, CChipDevice** ppDevice)
{
    const DWORD fdwType = fdwObject & 0xF0000000;
    if (fdwType != MIXER_OBJECTF_MIXER && fdwType != MIXER_OBJECTF_HMIXER)
        return MMSYSERR_NOTSUPPORTED;
    if (IsHandleValue(value))
    {
        CChipHandle* pHandle = FindHandle(state, value);
        if (pHandle == nullptr)
            return MMSYSERR_INVALHANDLE;
        CChipDevice& device = state.devices[pHandle->nDevice];
        if (!device.bPresent || device.nGeneration != pHandle->nGeneration)
            return MMSYSERR_NODRIVER;
        *ppDevice = &device;
        return MMSYSERR_NOERROR;
    }
    if (fdwType == MIXER_OBJECTF_HMIXER)
        return MMSYSERR_INVALHANDLE;
    DWORD nDevice = 0;
    if (value > 0xFFFFFFFF || !FindPresentDevice(state, static_cast<UINT>(value), &nDevice))
        return MMSYSERR_BADDEVICEID;
    *ppDevice = &state.devices[nDevice];
    return MMSYSERR_NOERROR;
}

// Frees the slots of processes that ended without closing their handles.
void ReclaimDeadHandles(CChipState& state)
{
    for (CChipHandle& handle : state.handles)
    {
        if (!handle.bUsed || handle.nProcessID == ::GetCurrentProcessId())
            continue;
        HANDLE hProcess = ::OpenProcess(SYNCHRONIZE, FALSE, handle.nProcessID);
        const BOOL bDead = hProcess == nullptr || ::WaitForSingleObject(hProcess, 0) == WAIT_OBJECT_0;
        if (hProcess != nullptr)
            ::CloseHandle(hProcess);
        if (bDead)
        {
            handle.bUsed = FALSE;
            ++handle.nSerial;
        }
    }
}

CChipHandle* AllocateHandle(CChipState& state, DWORD* pnSlot)
{
    for (int nPass = 0; nPass < 2; ++nPass)
    {
        for (DWORD n = 0; n < CHIP_MAX_HANDLES; ++n)
        {
            if (!state.handles[n].bUsed)
            {
                *pnSlot = n;
                return &state.handles[n];
            }
        }
        ReclaimDeadHandles(state);
    }
    return nullptr;
}

const CChipLine* FindLine(const CChipDevice& device, DWORD dwDestination, DWORD dwSource)
{
    for (DWORD i = 0; i < device.cLines; ++i)
        if (device.lines[i].dwDestination == dwDestination && device.lines[i].dwSource == dwSource)
            return &device.lines[i];
    return nullptr;
}

const CChipLine* FindLineByID(const CChipDevice& device, DWORD dwLineID)
{
    for (DWORD i = 0; i < device.cLines; ++i)
        if (device.lines[i].dwLineID == dwLineID)
            return &device.lines[i];
    return nullptr;
}

const CChipLine* FindLineByComponent(const CChipDevice& device, DWORD dwComponentType)
{
    for (DWORD i = 0; i < device.cLines; ++i)
        if (device.lines[i].dwComponentType == dwComponentType)
            return &device.lines[i];
    return nullptr;
}

DWORD CountLineControls(const CChipDevice& device, DWORD dwLineID)
{
    DWORD cControls = 0;
    for (DWORD i = 0; i < device.cControls; ++i)
        if (device.controls[i].dwLineID == dwLineID)
            ++cControls;
    return cControls;
}

void FillLine(const CChipDevice& device, const CChipLine& line, MIXERLINEA* pLine)
{
    const DWORD cbStruct = pLine->cbStruct;
    std::memset(pLine, 0, sizeof(*pLine));
    pLine->cbStruct = cbStruct;
    pLine->dwDestination = line.dwDestination;
    pLine->dwSource = line.dwSource == CHIP_NO_SOURCE ? 0 : line.dwSource;
    pLine->dwLineID = line.dwLineID;
    pLine->fdwLine = MIXERLINE_LINEF_ACTIVE | (line.dwSource == CHIP_NO_SOURCE ? 0 : MIXERLINE_LINEF_SOURCE);
    pLine->dwComponentType = line.dwComponentType;
    pLine->cChannels = 1;
    if (line.dwSource == CHIP_NO_SOURCE)
        for (DWORD i = 0; i < device.cLines; ++i)
            if (device.lines[i].dwDestination == line.dwDestination && device.lines[i].dwSource != CHIP_NO_SOURCE)
                ++pLine->cConnections;
    pLine->cControls = CountLineControls(device, line.dwLineID);
    std::memcpy(pLine->szShortName, line.szShortName, sizeof(pLine->szShortName));
    std::memcpy(pLine->szName, line.szName, sizeof(pLine->szName));
    pLine->Target.dwType = MIXERLINE_TARGETTYPE_UNDEFINED;
    std::memcpy(pLine->Target.szPname, device.szPname, sizeof(pLine->Target.szPname));
}

void FillControl(const CChipControl& control, MIXERCONTROLA* pControl)
{
    std::memset(pControl, 0, sizeof(*pControl));
    pControl->cbStruct = sizeof(*pControl);
    pControl->dwControlID = control.dwControlID;
    pControl->dwControlType = control.dwControlType;
    pControl->fdwControl = MIXERCONTROL_CONTROLF_UNIFORM;
    std::memcpy(pControl->szShortName, control.szShortName, sizeof(pControl->szShortName));
    std::memcpy(pControl->szName, control.szName, sizeof(pControl->szName));
    pControl->Bounds.dwMinimum = control.dwMinimum;
    pControl->Bounds.dwMaximum = control.dwMaximum;
    pControl->Metrics.cSteps = control.cSteps;
}

MIXERCONTROLA* ControlAt(MIXERLINECONTROLSA* pControls, DWORD nIndex)
{
    return reinterpret_cast<MIXERCONTROLA*>(reinterpret_cast<BYTE*>(pControls->pamxctrl)
                                            + static_cast<size_t>(nIndex) * pControls->cbmxctrl);
}

// Checks a details request and finds its control: one channel, one 32-bit detail.
MMRESULT ResolveDetails(CChipState& state, HMIXEROBJ hmxobj, const MIXERCONTROLDETAILS* pDetails,
                        DWORD fdwDetails, CChipDevice** ppDevice, CChipControl** ppControl)
{
    if (pDetails == nullptr || pDetails->cbStruct < sizeof(*pDetails) || pDetails->paDetails == nullptr
        || pDetails->cChannels != 1 || pDetails->cMultipleItems != 0 || pDetails->cbDetails < sizeof(DWORD))
        return MMSYSERR_INVALPARAM;
    if ((fdwDetails & MIXER_GETCONTROLDETAILSF_QUERYMASK) != MIXER_GETCONTROLDETAILSF_VALUE)
        return MMSYSERR_NOTSUPPORTED;
    const MMRESULT result = ResolveObject(state, reinterpret_cast<UINT_PTR>(hmxobj), fdwDetails, ppDevice);
    if (result != MMSYSERR_NOERROR)
        return result;
    *ppControl = FindControl(**ppDevice, pDetails->dwControlID);
    return *ppControl != nullptr ? MMSYSERR_NOERROR : MIXERR_INVALCONTROL;
}

// Posts the change to every window that opened this device, in the order of the writes:
// the caller holds the chip's lock, so writers of all processes take turns.
void NotifyControlChange(CChipState& state, const CChipDevice& device, DWORD dwControlID)
{
    const DWORD nDevice = static_cast<DWORD>(&device - state.devices);
    for (DWORD n = 0; n < CHIP_MAX_HANDLES; ++n)
    {
        const CChipHandle& handle = state.handles[n];
        if (!handle.bUsed || handle.hWndCallback == 0 || handle.nDevice != nDevice
            || handle.nGeneration != device.nGeneration)
            continue;
        HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(handle.hWndCallback));
        if (::IsWindow(hWnd))
            ::PostMessageA(hWnd, MM_MIXM_CONTROL_CHANGE, ChipHandleValue(n, handle.nSerial), dwControlID);
    }
}

// The volume control on the line of a level control (a fader); NULL for any other control.
const CChipControl* FindLevelLineVolume(const CChipDevice& device, const CChipControl& control)
{
    if (control.dwControlType != MIXERCONTROL_CONTROLTYPE_FADER)
        return nullptr;
    for (DWORD i = 0; i < device.cControls; ++i)
        if (device.controls[i].dwLineID == control.dwLineID
            && device.controls[i].dwControlType == MIXERCONTROL_CONTROLTYPE_VOLUME)
            return &device.controls[i];
    return nullptr;
}
}

UINT WINAPI mixerGetNumDevs(void)
{
    CChipLock lock;
    return lock.State() != nullptr ? CountPresentDevices(*lock.State()) : 0;
}

MMRESULT WINAPI mixerGetDevCapsA(UINT_PTR uMxId, LPMIXERCAPSA pmxcaps, UINT cbmxcaps)
{
    if (pmxcaps == nullptr)
        return MMSYSERR_INVALPARAM;
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipDevice* pDevice = nullptr;
    const MMRESULT result = ResolveObject(*lock.State(), uMxId, MIXER_OBJECTF_MIXER, &pDevice);
    if (result != MMSYSERR_NOERROR)
        return result;
    MIXERCAPSA caps = {};
    caps.wMid = 0xFFFF;  // no registered manufacturer
    caps.wPid = 0xFFFF;
    caps.vDriverVersion = 0x0100;
    std::memcpy(caps.szPname, pDevice->szPname, sizeof(caps.szPname));
    caps.cDestinations = (lock.State()->layout.fdwMissing & CHIPSIM_FAULT_MANY_DESTINATIONS) != 0
        ? 0xFFFFFFFF : pDevice->cDestinations;
    std::memcpy(pmxcaps, &caps, cbmxcaps < sizeof(caps) ? cbmxcaps : sizeof(caps));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mixerOpen(LPHMIXER phmx, UINT uMxId, DWORD_PTR dwCallback, DWORD_PTR, DWORD fdwOpen)
{
    if (phmx == nullptr)
        return MMSYSERR_INVALPARAM;
    *phmx = nullptr;
    const DWORD fdwCallback = fdwOpen & CALLBACK_TYPEMASK;
    if (fdwCallback != CALLBACK_NULL && fdwCallback != CALLBACK_WINDOW)
        return MMSYSERR_INVALFLAG;
    HWND hWnd = fdwCallback == CALLBACK_WINDOW ? reinterpret_cast<HWND>(dwCallback) : nullptr;
    if (hWnd != nullptr && !::IsWindow(hWnd))
        return MMSYSERR_INVALPARAM;
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipState& state = *lock.State();
    CChipDevice* pDevice = nullptr;
    const MMRESULT result = ResolveObject(state, uMxId, fdwOpen & 0xF0000000, &pDevice);
    if (result != MMSYSERR_NOERROR)
        return result;
    DWORD nSlot = 0;
    CChipHandle* pHandle = AllocateHandle(state, &nSlot);
    if (pHandle == nullptr)
        return MMSYSERR_NOMEM;
    pHandle->bUsed = TRUE;
    pHandle->nProcessID = ::GetCurrentProcessId();
    pHandle->nDevice = static_cast<DWORD>(pDevice - state.devices);
    pHandle->nGeneration = pDevice->nGeneration;
    pHandle->hWndCallback = reinterpret_cast<UINT_PTR>(hWnd);
    *phmx = reinterpret_cast<HMIXER>(ChipHandleValue(nSlot, pHandle->nSerial));
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mixerClose(HMIXER hmx)
{
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    // A handle of an unplugged device still closes.
    CChipHandle* pHandle = FindHandle(*lock.State(), reinterpret_cast<UINT_PTR>(hmx));
    if (pHandle == nullptr)
        return MMSYSERR_INVALHANDLE;
    pHandle->bUsed = FALSE;
    ++pHandle->nSerial;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mixerGetLineInfoA(HMIXEROBJ hmxobj, LPMIXERLINEA pmxl, DWORD fdwInfo)
{
    if (pmxl == nullptr || pmxl->cbStruct < sizeof(*pmxl))
        return MMSYSERR_INVALPARAM;
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipDevice* pDevice = nullptr;
    const MMRESULT result = ResolveObject(*lock.State(), reinterpret_cast<UINT_PTR>(hmxobj), fdwInfo, &pDevice);
    if (result != MMSYSERR_NOERROR)
        return result;
    const CChipLine* pLine = nullptr;
    switch (fdwInfo & MIXER_GETLINEINFOF_QUERYMASK)
    {
    case MIXER_GETLINEINFOF_DESTINATION:
        pLine = FindLine(*pDevice, pmxl->dwDestination, CHIP_NO_SOURCE);
        break;
    case MIXER_GETLINEINFOF_SOURCE:
        pLine = FindLine(*pDevice, pmxl->dwDestination, pmxl->dwSource);
        break;
    case MIXER_GETLINEINFOF_LINEID:
        pLine = FindLineByID(*pDevice, pmxl->dwLineID);
        break;
    case MIXER_GETLINEINFOF_COMPONENTTYPE:
        pLine = FindLineByComponent(*pDevice, pmxl->dwComponentType);
        break;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
    if (pLine == nullptr)
        return MIXERR_INVALLINE;
    FillLine(*pDevice, *pLine, pmxl);
    if (pLine->dwSource == CHIP_NO_SOURCE && (lock.State()->layout.fdwMissing & CHIPSIM_FAULT_MANY_SOURCES) != 0)
        pmxl->cConnections = 0xFFFFFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mixerGetLineControlsA(HMIXEROBJ hmxobj, LPMIXERLINECONTROLSA pmxlc, DWORD fdwControls)
{
    if (pmxlc == nullptr || pmxlc->cbStruct < sizeof(*pmxlc) || pmxlc->pamxctrl == nullptr
        || pmxlc->cbmxctrl < sizeof(MIXERCONTROLA))
        return MMSYSERR_INVALPARAM;
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipDevice* pDevice = nullptr;
    const MMRESULT result = ResolveObject(*lock.State(), reinterpret_cast<UINT_PTR>(hmxobj), fdwControls, &pDevice);
    if (result != MMSYSERR_NOERROR)
        return result;
    switch (fdwControls & MIXER_GETLINECONTROLSF_QUERYMASK)
    {
    case MIXER_GETLINECONTROLSF_ALL:
    {
        if (FindLineByID(*pDevice, pmxlc->dwLineID) == nullptr)
            return MIXERR_INVALLINE;
        if (pmxlc->cControls != CountLineControls(*pDevice, pmxlc->dwLineID))
            return MMSYSERR_INVALPARAM;
        DWORD nIndex = 0;
        for (DWORD i = 0; i < pDevice->cControls; ++i)
            if (pDevice->controls[i].dwLineID == pmxlc->dwLineID)
                FillControl(pDevice->controls[i], ControlAt(pmxlc, nIndex++));
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYID:
    {
        const CChipControl* pControl = FindControl(*pDevice, pmxlc->dwControlID);
        if (pControl == nullptr)
            return MIXERR_INVALCONTROL;
        pmxlc->dwLineID = pControl->dwLineID;
        FillControl(*pControl, ControlAt(pmxlc, 0));
        return MMSYSERR_NOERROR;
    }
    case MIXER_GETLINECONTROLSF_ONEBYTYPE:
        if (FindLineByID(*pDevice, pmxlc->dwLineID) == nullptr)
            return MIXERR_INVALLINE;
        for (DWORD i = 0; i < pDevice->cControls; ++i)
        {
            const CChipControl& control = pDevice->controls[i];
            if (control.dwLineID == pmxlc->dwLineID && control.dwControlType == pmxlc->dwControlType)
            {
                FillControl(control, ControlAt(pmxlc, 0));
                return MMSYSERR_NOERROR;
            }
        }
        return MIXERR_INVALCONTROL;
    default:
        return MMSYSERR_NOTSUPPORTED;
    }
}

MMRESULT WINAPI mixerGetControlDetailsA(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails)
{
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipDevice* pDevice = nullptr;
    CChipControl* pControl = nullptr;
    const MMRESULT result = ResolveDetails(*lock.State(), hmxobj, pmxcd, fdwDetails, &pDevice, &pControl);
    if (result != MMSYSERR_NOERROR)
        return result;
    *static_cast<DWORD*>(pmxcd->paDetails) = pControl->dwValue;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI mixerSetControlDetails(HMIXEROBJ hmxobj, LPMIXERCONTROLDETAILS pmxcd, DWORD fdwDetails)
{
    CChipLock lock;
    if (lock.State() == nullptr)
        return MMSYSERR_NODRIVER;
    CChipDevice* pDevice = nullptr;
    CChipControl* pControl = nullptr;
    const MMRESULT result = ResolveDetails(*lock.State(), hmxobj, pmxcd, fdwDetails, &pDevice, &pControl);
    if (result != MMSYSERR_NOERROR)
        return result;
    // Out-of-range values are clamped, as a driver would limit its hardware register.
    DWORD dwValue = *static_cast<const DWORD*>(pmxcd->paDetails);
    if (dwValue < pControl->dwMinimum)
        dwValue = pControl->dwMinimum;
    if (dwValue > pControl->dwMaximum)
        dwValue = pControl->dwMaximum;
    pControl->dwValue = dwValue;
    ++pControl->nWrites;
    NotifyControlChange(*lock.State(), *pDevice, pControl->dwControlID);
    const CChipControl* pVolume = FindLevelLineVolume(*pDevice, *pControl);
    if (pVolume != nullptr && (lock.State()->fdwOptions & CHIPSIM_NOTIFY_VOLUME))
        NotifyControlChange(*lock.State(), *pDevice, pVolume->dwControlID);
    return MMSYSERR_NOERROR;
}
