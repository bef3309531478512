#include "mixer/MixerDiscovery.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/App.h"
#include "mixer/Mixer3D.h"
#include "mixer/MixerDetails.h"
#include "mixer/MixerDriver.h"
#include "resource.h"
#include "support/RegistryKey.h"
#include "support/RegistryValue.h"

namespace
{
const char c_szMixerRecords[] = "System\\CurrentControlSet\\Control\\MediaResources\\mixer";
const char c_szVendorCode[] = "QVX";
const DWORD c_cbDeviceID = 1000;
// A driver's destination and source counts are not trusted beyond these: no sound card
// has more lines, and a hostile count (0xFFFFFFFF) would keep the scan, and the start,
// busy for hours.
const DWORD c_nMaxDestinations = 64;
const DWORD c_nMaxSources = 64;

// The variant that a line's short name stands for, or 0. A name the driver filled to the
// last byte without a terminator is still compared safely; an empty table string never
// matches.
int VariantOfName(const char (&szShortName)[MIXER_SHORT_NAME_CHARS], const char* pszSrs,
                  const char* pszQSound)
{
    char szName[MIXER_SHORT_NAME_CHARS + 1];
    std::memcpy(szName, szShortName, MIXER_SHORT_NAME_CHARS);
    szName[MIXER_SHORT_NAME_CHARS] = '\0';
    int nVariant = 0;
    if (*pszSrs != '\0' && std::strcmp(szName, pszSrs) == 0)
        nVariant = MIXER3D_SRS;
    if (*pszQSound != '\0' && std::strcmp(szName, pszQSound) == 0)
        nVariant = MIXER3D_QSOUND;
    return nVariant;
}

// The id of the line's first control of the given type, through *pnControlID; untouched
// when the line has none.
void FindControlByType(HMIXER hMixer, DWORD dwLineID, DWORD dwControlType, DWORD* pnControlID)
{
    MIXERCONTROLA control;
    MIXERLINECONTROLSA controls = SingleControlQuery(&control);
    controls.dwLineID = dwLineID;
    controls.dwControlType = dwControlType;
    if (GetMixerDriver().m_pfnGetLineControls(reinterpret_cast<HMIXEROBJ>(hMixer), &controls,
                                              MIXER_GETLINECONTROLSF_ONEBYTYPE) == MMSYSERR_NOERROR)
        *pnControlID = control.dwControlID;
}

// Searches the open device's destinations and sources; TRUE once a 3D line was found.
BOOL FindLineOnDevice(HMIXER hMixer, DWORD cDestinations, const char* pszSrs,
                      const char* pszQSound, int* pnVariant, DWORD* pnMuteID, DWORD* pnVolumeID)
{
    const CMixerDriver& driver = GetMixerDriver();
    HMIXEROBJ hObject = reinterpret_cast<HMIXEROBJ>(hMixer);
    for (DWORD nDest = 0; nDest < cDestinations && nDest < c_nMaxDestinations; ++nDest)
    {
        MIXERLINEA line = {};
        line.cbStruct = sizeof(line);
        line.dwDestination = nDest;
        if (driver.m_pfnGetLineInfo(hObject, &line, MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR)
            continue;
        const DWORD cConnections = line.cConnections;
        for (DWORD nSource = 0; nSource < cConnections && nSource < c_nMaxSources; ++nSource)
        {
            line.cbStruct = sizeof(line);
            line.dwDestination = nDest;
            line.dwSource = nSource;
            if (driver.m_pfnGetLineInfo(hObject, &line, MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
                continue;
            *pnVariant = VariantOfName(line.szShortName, pszSrs, pszQSound);
            if (*pnVariant == 0)
                continue;
            FindControlByType(hMixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_VOLUME, pnVolumeID);
            FindControlByType(hMixer, line.dwLineID, MIXERCONTROL_CONTROLTYPE_MUTE, pnMuteID);
            return TRUE;
        }
    }
    return FALSE;
}
}

BOOL FindMixer3D(UINT* pnDevice, int* pnVariant, DWORD* pnMuteID, DWORD* pnVolumeID)
{
    *pnDevice = 0xFFFFFFFF;
    *pnVariant = 0;
    *pnMuteID = MIXER3D_NO_CONTROL;
    *pnVolumeID = MIXER3D_NO_CONTROL;
    char szSrs[MIXER_SHORT_NAME_CHARS * 2] = "";
    char szQSound[MIXER_SHORT_NAME_CHARS * 2] = "";
    ::LoadStringA(AfxGetResourceHandle(), IDS_NAME_SRS, szSrs, sizeof(szSrs));
    ::LoadStringA(AfxGetResourceHandle(), IDS_NAME_QSOUND, szQSound, sizeof(szQSound));

    const CMixerDriver& driver = GetMixerDriver();
    const UINT nDevices = driver.m_pfnGetNumDevs();
    BOOL bFound = FALSE;
    for (UINT nDevice = 0; nDevice < nDevices && !bFound; ++nDevice)
    {
        HMIXER hMixer = nullptr;
        if (driver.m_pfnOpen(&hMixer, nDevice, 0,
                             reinterpret_cast<DWORD_PTR>(AfxGetInstanceHandle()),
                             CALLBACK_NULL) != MMSYSERR_NOERROR)
            continue;
        MIXERCAPSA caps = {};
        if (driver.m_pfnGetDevCaps(nDevice, &caps, sizeof(caps)) == MMSYSERR_NOERROR)
        {
            bFound = FindLineOnDevice(hMixer, caps.cDestinations, szSrs, szQSound, pnVariant,
                                      pnMuteID, pnVolumeID);
            if (bFound)
                *pnDevice = nDevice;
        }
        driver.m_pfnClose(hMixer);
    }
    return bFound;
}

BOOL IsMixerDevNode(const DEV_BROADCAST_HDR* pHeader)
{
    // The record is only as long as its sender says (another process's record arrives
    // copied, dbch_size bytes): a field beyond that is not there to be read.
    if (pHeader->dbch_size < sizeof(DEV_BROADCAST_HDR) ||
        pHeader->dbch_devicetype != DBT_DEVTYP_DEVNODE ||
        pHeader->dbch_size < sizeof(DEV_BROADCAST_DEVNODE))
        return FALSE;
    const DWORD dwDevNode = reinterpret_cast<const DEV_BROADCAST_DEVNODE*>(pHeader)->dbcd_devnode;

    CRegistryKey records(HKEY_LOCAL_MACHINE, c_szMixerRecords);
    // Read access only: a standard user may not open the machine's keys for writing.
    if (!records.Open(FALSE, KEY_READ, nullptr, nullptr, FALSE))
        return TRUE;
    std::vector<std::string> names;
    if (!records.EnumSubKeys(names))
        return TRUE;
    for (const std::string& strName : names)
    {
        CRegistryKey record(records.GetHandle(), strName.c_str());
        if (!record.Open(FALSE, KEY_READ, nullptr, nullptr, FALSE))
            return TRUE;
        DWORD dwRecordNode = 0;
        DWORD cbRecordNode = sizeof(dwRecordNode);
        CRegistryBinaryValue devNode(&record, "DevNode");
        if (!devNode.Read(reinterpret_cast<BYTE*>(&dwRecordNode), &cbRecordNode))
            return TRUE;
        if (dwRecordNode != dwDevNode)
            continue;
        // Read terminates the text inside the buffer, or fails.
        char szDeviceID[c_cbDeviceID];
        DWORD cbDeviceID = c_cbDeviceID;
        CRegistryStringValue deviceID(&record, "DeviceID");
        if (!deviceID.Read(szDeviceID, &cbDeviceID))
            return TRUE;
        if (std::strstr(szDeviceID, c_szVendorCode) != nullptr)
            return TRUE;
    }
    return FALSE;
}
