// CMixer3D: the panel's binding to the chip's 3D line, and the scaling between mixer
// units and trackbar positions (a trackbar shows positions 0 ... cSteps - 1).
#ifndef AURELON_MIXER_MIXER3D_H
#define AURELON_MIXER_MIXER3D_H

#include <windows.h>
#include <mmsystem.h>

// The driver publishes the two level controls under fixed ids.
#define MIXER3D_CENTER_ID  39
#define MIXER3D_SPACE_ID   38
// The id of a control that the 3D line lacks. Drivers number their controls from 0, so 0
// names a real control (often the master volume or mute).
#define MIXER3D_NO_CONTROL 0xFFFFFFFF

struct CMixer3D
{
    HMIXER m_hMixer = nullptr;          // open device; null while closed
    UINT m_nDevice = 0xFFFFFFFF;        // its mixer device id
    int m_nVariant = 0;                 // MIXER3D_SRS or MIXER3D_QSOUND
    LONG m_bMuted = 1;                  // last mute value read or written (0 = effect on)
    DWORD m_nMuteID = MIXER3D_NO_CONTROL;
    DWORD m_nVolumeID = MIXER3D_NO_CONTROL;
    DWORD m_nCenterID = MIXER3D_CENTER_ID;
    DWORD m_nSpaceID = MIXER3D_SPACE_ID;
    int m_nCenterStep = 0;              // mixer units per trackbar position
    int m_nSpaceStep = 0;
    int m_nCenterEcho = 0;              // notifications still expected from our own writes
    int m_nSpaceEcho = 0;
    int m_nVolumeEcho = 0;
};

// The last trackbar position of a control with cSteps steps: cSteps - 1 as a signed
// 32-bit number. The subtraction is unsigned, so cSteps 0x80000000 gives 0x7FFFFFFF
// instead of overflowing; counts above that come out negative (no positions).
inline int MixerLastPosition(DWORD cSteps)
{
    return static_cast<int>(cSteps - 1);
}

// Mixer units per trackbar position: dwMaximum / (cSteps - 1) in signed 32-bit
// arithmetic, truncating; 0 when the control has fewer than two steps.
inline int MixerStepSize(DWORD dwMaximum, DWORD cSteps)
{
    const int nLast = MixerLastPosition(cSteps);
    return nLast > 0 ? static_cast<int>(dwMaximum) / nLast : 0;
}

// The trackbar position of a mixer value; 0 when the step is not positive.
inline int MixerValueToPosition(DWORD dwValue, int nStep)
{
    return nStep > 0 ? static_cast<int>(dwValue) / nStep : 0;
}

// The mixer value of a trackbar position. Stored levels are not trusted to be in range,
// so the product wraps modulo 2^32 (unsigned arithmetic, well defined) instead of
// overflowing a signed int; in range it is the plain product.
constexpr DWORD MixerPositionToValue(int nPosition, int nStep)
{
    return static_cast<DWORD>(nPosition) * static_cast<DWORD>(nStep);
}

#endif
