// The control interface of the simulated chip: layouts, unplug and plug with their
// device broadcasts, and a view of the state for tools and tests.
#include "chipsim/ChipState.h"

#include <dbt.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace
{
// Per window; a hung window is skipped at once (SMTO_ABORTIFHUNG).
const UINT c_nBroadcastTimeout = 500;

struct CBroadcast
{
    UINT nEvent;
    const DEV_BROADCAST_HDR* pHeader;   // NULL for DBT_DEVNODES_CHANGED
};

BOOL CALLBACK SendToWindow(HWND hWnd, LPARAM lParam)
{
    const CBroadcast* pBroadcast = reinterpret_cast<const CBroadcast*>(lParam);
    DWORD_PTR dwResult = 0;
    ::SendMessageTimeoutA(hWnd, WM_DEVICECHANGE, pBroadcast->nEvent,
                          reinterpret_cast<LPARAM>(pBroadcast->pHeader), SMTO_ABORTIFHUNG,
                          c_nBroadcastTimeout, &dwResult);
    return TRUE;
}

// A device record reaches other processes only through a synchronous send (posting it
// is refused, and a system broadcast may drop it), so every top-level window gets its
// own send. Called without the chip's lock: the receivers use the mixer.
void SendToTopLevelWindows(UINT nEvent, const DEV_BROADCAST_HDR* pHeader)
{
    CBroadcast broadcast = {nEvent, pHeader};
    ::EnumWindows(SendToWindow, reinterpret_cast<LPARAM>(&broadcast));
}

// Marks the chosen devices present or absent; returns the device nodes that changed and
// whether the driver is announced the NT way, or FALSE for an unknown device.
BOOL SetPresence(DWORD nDevice, BOOL bPresent, std::vector<DWORD>& changed, BOOL* pbNt)
{
    CChipLock lock;
    CChipState* pState = lock.State();
    if (pState == nullptr || (nDevice != CHIPSIM_ALL_CHIPS && nDevice >= pState->cDevices))
        return FALSE;
    *pbNt = (pState->layout.fdwMissing & CHIPSIM_NT_DRIVER) != 0;
    for (DWORD n = 0; n < pState->cDevices; ++n)
    {
        CChipDevice& device = pState->devices[n];
        const BOOL bChosen = nDevice == CHIPSIM_ALL_CHIPS ? device.bChip : n == nDevice;
        if (!bChosen || device.bPresent == bPresent)
            continue;
        device.bPresent = bPresent;
        if (!bPresent)
            ++device.nGeneration;
        changed.push_back(CHIPSIM_DEVNODE_BASE + n);
    }
    return TRUE;
}

BOOL ChangePresence(DWORD nDevice, BOOL bPresent)
{
    std::vector<DWORD> changed;
    BOOL bNt = FALSE;
    if (!SetPresence(nDevice, bPresent, changed, &bNt))
        return FALSE;
    if (bNt)
    {
        if (!changed.empty())
            ChipSimBroadcastDevNodesChanged();
        return TRUE;
    }
    for (DWORD dwDevNode : changed)
        ChipSimBroadcastDevNode(bPresent ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, dwDevNode);
    return TRUE;
}

const char* ControlTypeName(DWORD dwControlType)
{
    switch (dwControlType)
    {
    case MIXERCONTROL_CONTROLTYPE_VOLUME:
        return "volume";
    case MIXERCONTROL_CONTROLTYPE_MUTE:
        return "mute";
    default:
        return "fader";
    }
}

void Append(std::string& strText, const char* pszFormat, ...)
{
    char szLine[512];
    va_list args;
    va_start(args, pszFormat);
    std::vsnprintf(szLine, sizeof(szLine), pszFormat, args);
    va_end(args);
    strText += szLine;
}

void DescribeControls(std::string& strText, const CChipDevice& device, DWORD dwLineID)
{
    for (DWORD i = 0; i < device.cControls; ++i)
    {
        const CChipControl& control = device.controls[i];
        if (control.dwLineID != dwLineID)
            continue;
        Append(strText, "      control %lu %-6s %-6s value %lu (range %lu..%lu, %lu steps), %lu writes\n",
               control.dwControlID, control.szShortName, ControlTypeName(control.dwControlType),
               control.dwValue, control.dwMinimum, control.dwMaximum, control.cSteps, control.nWrites);
    }
}

std::string DescribeState(const CChipState& state)
{
    std::string strText;
    Append(strText, "layout %s: level steps %lu, level maximum %lu, missing controls 0x%lX\n",
           ChipSimLayoutName(state.layout.nLayout), state.layout.cSteps, state.layout.dwMaximum,
           state.layout.fdwMissing);
    if (state.fdwOptions & CHIPSIM_NOTIFY_VOLUME)
        strText += "level writes also announce the 3D line's volume\n";
    if (state.cDevices == 0)
        strText += "no mixer device\n";
    for (DWORD n = 0; n < state.cDevices; ++n)
    {
        const CChipDevice& device = state.devices[n];
        Append(strText, "device %lu \"%s\" (%s), %s, device node 0x%lX\n", n, device.szPname,
               device.bChip ? "chip" : "plain", device.bPresent ? "plugged" : "unplugged",
               CHIPSIM_DEVNODE_BASE + n);
        for (DWORD i = 0; i < device.cLines; ++i)
        {
            const CChipLine& line = device.lines[i];
            if (line.dwSource == CHIP_NO_SOURCE)
                Append(strText, "  destination %lu \"%s\", line 0x%08lX\n", line.dwDestination,
                       line.szShortName, line.dwLineID);
            else
                Append(strText, "    source %lu \"%s\", line 0x%08lX\n", line.dwSource,
                       line.szShortName, line.dwLineID);
            DescribeControls(strText, device, line.dwLineID);
        }
    }
    for (DWORD n = 0; n < CHIP_MAX_HANDLES; ++n)
    {
        const CChipHandle& handle = state.handles[n];
        if (handle.bUsed)
            Append(strText, "handle 0x%08lX: process %lu, device %lu, window 0x%llX%s\n",
                   static_cast<unsigned long>(ChipHandleValue(n, handle.nSerial)), handle.nProcessID,
                   handle.nDevice, static_cast<unsigned long long>(handle.hWndCallback),
                   handle.nGeneration != state.devices[handle.nDevice].nGeneration ? " (stale)" : "");
    }
    return strText;
}
}

BOOL WINAPI ChipSimSetLayout(const CHIPSIM_LAYOUT* pLayout)
{
    if (pLayout == nullptr)
        return FALSE;
    CChipLock lock;
    if (lock.State() == nullptr || !BuildChipLayout(*lock.State(), *pLayout))
        return FALSE;
    WriteChipRecords(*lock.State());
    return TRUE;
}

BOOL WINAPI ChipSimSetOptions(DWORD fdwOptions)
{
    CChipLock lock;
    if (lock.State() == nullptr || (fdwOptions & ~CHIPSIM_NOTIFY_VOLUME) != 0)
        return FALSE;
    lock.State()->fdwOptions = fdwOptions;
    return TRUE;
}

BOOL WINAPI ChipSimGetLayout(CHIPSIM_LAYOUT* pLayout)
{
    CChipLock lock;
    if (lock.State() == nullptr || pLayout == nullptr)
        return FALSE;
    *pLayout = lock.State()->layout;
    return TRUE;
}

DWORD WINAPI ChipSimGetDeviceCount(void)
{
    CChipLock lock;
    return lock.State() != nullptr ? lock.State()->cDevices : 0;
}

BOOL WINAPI ChipSimUnplug(DWORD nDevice)
{
    return ChangePresence(nDevice, FALSE);
}

BOOL WINAPI ChipSimPlug(DWORD nDevice)
{
    return ChangePresence(nDevice, TRUE);
}

BOOL WINAPI ChipSimIsPlugged(DWORD nDevice)
{
    CChipLock lock;
    return lock.State() != nullptr && nDevice < lock.State()->cDevices
        && lock.State()->devices[nDevice].bPresent;
}

void WINAPI ChipSimBroadcastDevNode(UINT nEvent, DWORD dwDevNode)
{
    DEV_BROADCAST_DEVNODE record = {};
    record.dbcd_size = sizeof(record);
    record.dbcd_devicetype = DBT_DEVTYP_DEVNODE;
    record.dbcd_devnode = dwDevNode;
    SendToTopLevelWindows(nEvent, reinterpret_cast<const DEV_BROADCAST_HDR*>(&record));
}

void WINAPI ChipSimBroadcastDevNodesChanged(void)
{
    SendToTopLevelWindows(DBT_DEVNODES_CHANGED, nullptr);
}

void WINAPI ChipSimBroadcastPort(UINT nEvent, const char* pszPort)
{
    const size_t cchPort = pszPort != nullptr ? std::strlen(pszPort) : 0;
    std::vector<BYTE> buffer(sizeof(DEV_BROADCAST_PORT_A) + cchPort);
    DEV_BROADCAST_PORT_A* pRecord = reinterpret_cast<DEV_BROADCAST_PORT_A*>(buffer.data());
    pRecord->dbcp_size = static_cast<DWORD>(buffer.size());
    pRecord->dbcp_devicetype = DBT_DEVTYP_PORT;
    if (cchPort > 0)
        std::memcpy(pRecord->dbcp_name, pszPort, cchPort + 1);
    SendToTopLevelWindows(nEvent, reinterpret_cast<const DEV_BROADCAST_HDR*>(pRecord));
}

DWORD WINAPI ChipSimGetWriteCount(DWORD nDevice, DWORD dwControlID)
{
    CChipLock lock;
    if (lock.State() == nullptr || nDevice >= lock.State()->cDevices)
        return 0;
    const CChipControl* pControl = FindControl(lock.State()->devices[nDevice], dwControlID);
    return pControl != nullptr ? pControl->nWrites : 0;
}

void WINAPI ChipSimClearWriteCounts(void)
{
    CChipLock lock;
    if (lock.State() == nullptr)
        return;
    for (CChipDevice& device : lock.State()->devices)
        for (CChipControl& control : device.controls)
            control.nWrites = 0;
}

BOOL WINAPI ChipSimGetValue(DWORD nDevice, DWORD dwControlID, DWORD* pdwValue)
{
    CChipLock lock;
    if (lock.State() == nullptr || pdwValue == nullptr || nDevice >= lock.State()->cDevices)
        return FALSE;
    const CChipControl* pControl = FindControl(lock.State()->devices[nDevice], dwControlID);
    if (pControl == nullptr)
        return FALSE;
    *pdwValue = pControl->dwValue;
    return TRUE;
}

DWORD WINAPI ChipSimDescribe(char* pszBuffer, DWORD cchBuffer)
{
    std::string strText;
    {
        CChipLock lock;
        if (lock.State() != nullptr)
            strText = DescribeState(*lock.State());
    }
    if (pszBuffer != nullptr && cchBuffer > 0)
        std::snprintf(pszBuffer, cchBuffer, "%s", strText.c_str());
    return static_cast<DWORD>(strText.size());
}
