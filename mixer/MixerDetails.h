// The records of the mixer functions for one control at a time. They need nothing but the
// platform's headers, so that small tools fill them the same way without the mixer layer.
#ifndef AURELON_MIXER_MIXERDETAILS_H
#define AURELON_MIXER_MIXERDETAILS_H

#include <windows.h>
#include <mmsystem.h>

// A query for one control, described into *pControl (emptied here); the caller adds the
// control's id (MIXER_GETLINECONTROLSF_ONEBYID) or its line and type (..._ONEBYTYPE).
inline MIXERLINECONTROLSA SingleControlQuery(MIXERCONTROLA* pControl)
{
    *pControl = MIXERCONTROLA();
    pControl->cbStruct = sizeof(*pControl);
    MIXERLINECONTROLSA controls = {};
    controls.cbStruct = sizeof(controls);
    controls.cControls = 1;
    controls.cbmxctrl = sizeof(*pControl);
    controls.pamxctrl = pControl;
    return controls;
}

// The details of one control read or written as one channel with one 32-bit detail (a
// BOOLEAN's fValue or an UNSIGNED's dwValue).
inline MIXERCONTROLDETAILS SingleValueDetails(DWORD nControlID, DWORD* pdwDetail)
{
    MIXERCONTROLDETAILS details = {};
    details.cbStruct = sizeof(details);
    details.dwControlID = nControlID;
    details.cChannels = 1;
    details.cMultipleItems = 0;
    details.cbDetails = sizeof(*pdwDetail);
    details.paDetails = pdwDetail;
    return details;
}

#endif
