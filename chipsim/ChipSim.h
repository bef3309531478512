// Control interface of the simulated chip driver (chipsim.dll). Besides the eight winmm
// mixer functions, the DLL exports these functions to choose the chip's layout, unplug
// and plug it, and read its state. One chip state is shared by every process that loads
// the DLL (a named file mapping guarded by a named mutex); it lives as long as one such
// process does and starts as CHIPSIM_LAYOUT_SRS with the default ranges.
//
// Writes outside a control's range are clamped to [dwMinimum, dwMaximum] (a switch
// stores 0 or 1); every accepted write counts and notifies, even one that changes nothing.
// Drivers differ in what else they announce: see ChipSimSetOptions.
#ifndef AURELON_CHIPSIM_CHIPSIM_H
#define AURELON_CHIPSIM_CHIPSIM_H

#include <windows.h>

// Layouts. Every device of the chip maker carries a driver record with "QVX" in its
// "DeviceID"; a plain device belongs to another maker. The 3D line ("SRS" or "QSound")
// has a volume and a mute control; the level controls 39 (Center) and 38 (Space) sit on
// the first 3D line of a device.
enum CHIPSIM_LAYOUT_ID
{
    CHIPSIM_LAYOUT_SRS = 0,     // one chip device; "SRS" after "Wave", "Line", "CD" on the
                                // first destination, and behind a recording destination
    CHIPSIM_LAYOUT_QSOUND,      // the same with "QSound"
    CHIPSIM_LAYOUT_PLAIN_FIRST, // a plain device without 3D line, then the SRS chip
    CHIPSIM_LAYOUT_TWO_CHIPS,   // two SRS chips
    CHIPSIM_LAYOUT_NEAR_NAMES,  // one chip: near-miss names ("srs", "SRS2", "Srs ", "QSOUND")
                                // on the first destination, "SRS" on the second
    CHIPSIM_LAYOUT_ORDER,       // a plain device; a chip whose first destination holds
                                // "Wave", "QSound", "SRS" and whose second holds "SRS"; an SRS chip
    CHIPSIM_LAYOUT_PLAIN_ONLY,  // one plain device, no 3D line anywhere
    CHIPSIM_LAYOUT_NONE,        // no mixer device at all
    CHIPSIM_LAYOUT_COUNT
};

// The layouts' names, as chipctl takes them; NULL past the last.
inline const char* ChipSimLayoutName(DWORD nLayout)
{
    static const char* const s_names[CHIPSIM_LAYOUT_COUNT] = {
        "srs", "qsound", "plain-first", "two-chips", "near-names", "order", "plain-only", "none"};
    return nLayout < CHIPSIM_LAYOUT_COUNT ? s_names[nLayout] : nullptr;
}

// Controls left out of every 3D line (CHIPSIM_LAYOUT.fdwMissing).
#define CHIPSIM_MISSING_VOLUME  0x01
#define CHIPSIM_MISSING_MUTE    0x02
#define CHIPSIM_MISSING_CENTER  0x04
#define CHIPSIM_MISSING_SPACE   0x08
// Driver faults, in the same flags: every device reports 0xFFFFFFFF destinations, or every
// destination 0xFFFFFFFF sources; queries past the real lines fail as usual.
#define CHIPSIM_FAULT_MANY_DESTINATIONS 0x100
#define CHIPSIM_FAULT_MANY_SOURCES      0x200
// Numbering, in the same flags: a device's controls are numbered from 0 (the first
// destination's volume), not from 1.
#define CHIPSIM_IDS_FROM_ZERO   0x400
// The driver as Windows 2000 and XP announce it: no driver records, and unplug and plug
// send every top-level window only DBT_DEVNODES_CHANGED. A driver reload is an unplug
// and a plug, or a new layout: the handles from before stay dead either way.
#define CHIPSIM_NT_DRIVER       0x1000

// Driver behaviours (ChipSimSetOptions).
// After each write to a level control (Center or Space), the driver also announces a
// change of its 3D line's volume control, as drivers do whose level registers sit
// behind that volume; the volume's value stays as it was.
#define CHIPSIM_NOTIFY_VOLUME   0x01

#define CHIPSIM_DEFAULT_STEPS   16
#define CHIPSIM_DEFAULT_MAXIMUM 65535

typedef struct CHIPSIM_LAYOUT
{
    DWORD nLayout;      // CHIPSIM_LAYOUT_ID
    DWORD cSteps;       // Metrics.cSteps of the level controls
    DWORD dwMaximum;    // Bounds.dwMaximum of the level controls (the minimum is 0)
    DWORD fdwMissing;   // CHIPSIM_MISSING_... and CHIPSIM_FAULT_...
} CHIPSIM_LAYOUT;

// The driver records of the chip live below this HKEY_LOCAL_MACHINE key, one subkey per
// simulated device named by its physical index, with "DevNode" and "DeviceID".
#define CHIPSIM_RECORDS_KEY "System\\CurrentControlSet\\Control\\MediaResources\\mixer"
// The device node of physical device n is CHIPSIM_DEVNODE_BASE + n.
#define CHIPSIM_DEVNODE_BASE 0x5A0

#define CHIPSIM_MAX_DEVICES 4
// Unplug and plug: every device of the chip maker.
#define CHIPSIM_ALL_CHIPS 0xFFFFFFFF

#ifdef CHIPSIM_BUILD
#define CHIPSIM_API extern "C"
#else
#define CHIPSIM_API extern "C" __declspec(dllimport)
#endif

// Replaces the whole state: new layout, values at their defaults (levels at mid range,
// mute switches off), write counts 0, every open handle invalid. Writes the driver records of
// the devices (and removes records of devices the layout no longer has). FALSE for an
// unknown layout.
CHIPSIM_API BOOL WINAPI ChipSimSetLayout(const CHIPSIM_LAYOUT* pLayout);
// The layout in force.
CHIPSIM_API BOOL WINAPI ChipSimGetLayout(CHIPSIM_LAYOUT* pLayout);
// Chooses the driver's behaviours (CHIPSIM_NOTIFY_...) for the layout in force; every
// ChipSimSetLayout sets them back to 0. FALSE for an unknown flag.
CHIPSIM_API BOOL WINAPI ChipSimSetOptions(DWORD fdwOptions);
// Number of physical devices of the layout, present or not.
CHIPSIM_API DWORD WINAPI ChipSimGetDeviceCount(void);
// The device disappears (mixerGetNumDevs no longer counts it, its handles fail with
// MMSYSERR_NODRIVER) and WM_DEVICECHANGE DBT_DEVICEREMOVECOMPLETE is sent to every
// top-level window (DBT_DEVNODES_CHANGED for CHIPSIM_NT_DRIVER). nDevice is a physical
// index or CHIPSIM_ALL_CHIPS. Its record stays.
CHIPSIM_API BOOL WINAPI ChipSimUnplug(DWORD nDevice);
// The device comes back (with the values it had) and DBT_DEVICEARRIVAL is sent
// (DBT_DEVNODES_CHANGED for CHIPSIM_NT_DRIVER).
CHIPSIM_API BOOL WINAPI ChipSimPlug(DWORD nDevice);
CHIPSIM_API BOOL WINAPI ChipSimIsPlugged(DWORD nDevice);
// Sends WM_DEVICECHANGE (wParam nEvent) with a DEV_BROADCAST_DEVNODE of any node to every
// top-level window, synchronously with a short time-out per window.
CHIPSIM_API void WINAPI ChipSimBroadcastDevNode(UINT nEvent, DWORD dwDevNode);
// The same with a DEV_BROADCAST_PORT_A of the given port name ("COM1").
CHIPSIM_API void WINAPI ChipSimBroadcastPort(UINT nEvent, const char* pszPort);
// The same with DBT_DEVNODES_CHANGED and no record, as Windows 2000 and later send it.
CHIPSIM_API void WINAPI ChipSimBroadcastDevNodesChanged(void);
// Number of accepted writes to a control of a physical device since the layout was set
// or the counts were cleared; 0 for an unknown control.
CHIPSIM_API DWORD WINAPI ChipSimGetWriteCount(DWORD nDevice, DWORD dwControlID);
CHIPSIM_API void WINAPI ChipSimClearWriteCounts(void);
// The stored value of a control of a physical device, whether plugged or not.
CHIPSIM_API BOOL WINAPI ChipSimGetValue(DWORD nDevice, DWORD dwControlID, DWORD* pdwValue);
// A text report of the state (devices, lines, controls, values, write counts, open
// handles), cut to cchBuffer - 1 characters; returns the length of the whole report.
CHIPSIM_API DWORD WINAPI ChipSimDescribe(char* pszBuffer, DWORD cchBuffer);

#endif
