// The details record of one mixer control read or written as one channel with one 32-bit
// detail (a BOOLEAN's fValue or an UNSIGNED's dwValue). It needs nothing but the platform's
// headers, so that small tools fill the record the same way without the mixer layer.
#ifndef AURELON_MIXER_MIXERDETAILS_H
#define AURELON_MIXER_MIXERDETAILS_H

#include <windows.h>
#include <mmsystem.h>

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
