// Stateless access to single mixer controls through the mixer driver table. Every
// control is read and written as one channel (a uniform value).
#ifndef AURELON_MIXER_MIXERCONTROLS_H
#define AURELON_MIXER_MIXERCONTROLS_H

#include <windows.h>
#include <mmsystem.h>

// Opens device nDevice so that its change notifications (MM_MIXM_CONTROL_CHANGE and
// MM_MIXM_LINE_CHANGE) are posted to hWndCallback. TRUE only if phMixer is not NULL,
// the system has a mixer device and the open succeeded.
BOOL OpenMixerDevice(HMIXER* phMixer, UINT nDevice, HWND hWndCallback);
MMRESULT CloseMixerDevice(HMIXER hMixer);

// TRUE if the device has a control with this id.
BOOL MixerControlExists(HMIXER hMixer, DWORD nControlID);
// The control's bounds and step count; on FALSE the outputs are left untouched.
BOOL GetMixerControlRange(HMIXER hMixer, DWORD nControlID, DWORD* pdwMinimum,
                          DWORD* pdwMaximum, DWORD* pcSteps);

// Reads return 0 when the driver cannot be read: callers use the value as read. The
// platform result goes to *pResult when it is given.
LONG GetMixerBoolean(HMIXER hMixer, DWORD nControlID, MMRESULT* pResult = nullptr);
MMRESULT SetMixerBoolean(HMIXER hMixer, DWORD nControlID, LONG bValue);
DWORD GetMixerValue(HMIXER hMixer, DWORD nControlID, MMRESULT* pResult = nullptr);
MMRESULT SetMixerValue(HMIXER hMixer, DWORD nControlID, DWORD dwValue);

// Whether a result says that the handle's driver is gone: unloaded, or reloaded under
// handles that stay dead.
inline BOOL IsMixerGone(MMRESULT result)
{
    return result == MMSYSERR_NODRIVER || result == MMSYSERR_INVALHANDLE;
}

#endif
