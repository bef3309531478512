// The simulated chip's state, shared by every process that loads chipsim.dll: a fixed-size
// record in a named file mapping, used only while the named mutex is held (CChipLock).
#ifndef AURELON_CHIPSIM_CHIPSTATE_H
#define AURELON_CHIPSIM_CHIPSTATE_H

#include <windows.h>
#include <mmsystem.h>

#include "chipsim/ChipSim.h"

#define CHIP_MAX_LINES     16
#define CHIP_MAX_CONTROLS  40
#define CHIP_MAX_HANDLES   64
#define CHIP_NO_SOURCE     0xFFFFFFFF

struct CChipControl
{
    DWORD dwControlID;
    DWORD dwControlType;
    DWORD dwLineID;
    char szShortName[MIXER_SHORT_NAME_CHARS];
    char szName[MIXER_LONG_NAME_CHARS];
    DWORD dwMinimum;
    DWORD dwMaximum;
    DWORD cSteps;
    DWORD dwValue;
    DWORD nWrites;
};

struct CChipLine
{
    DWORD dwLineID;
    DWORD dwDestination;
    DWORD dwSource;             // CHIP_NO_SOURCE for a destination line
    DWORD dwComponentType;
    char szShortName[MIXER_SHORT_NAME_CHARS];
    char szName[MIXER_LONG_NAME_CHARS];
};

struct CChipDevice
{
    char szPname[MAXPNAMELEN];
    BOOL bChip;                 // made by the chip maker: its record carries "QVX"
    BOOL bPresent;
    DWORD nGeneration;          // raised by every unplug: older handles are dead
    DWORD cDestinations;
    DWORD cLines;
    CChipLine lines[CHIP_MAX_LINES];
    DWORD cControls;
    CChipControl controls[CHIP_MAX_CONTROLS];
};

struct CChipHandle
{
    BOOL bUsed;
    DWORD nSerial;              // part of the handle value, so a reused slot gets a new one
    DWORD nProcessID;
    DWORD nDevice;              // physical index
    DWORD nGeneration;
    UINT64 hWndCallback;        // 0 unless opened with CALLBACK_WINDOW
};

struct CChipState
{
    DWORD nMagic;
    CHIPSIM_LAYOUT layout;
    DWORD fdwOptions;           // CHIPSIM_NOTIFY_...
    DWORD cDevices;
    CChipDevice devices[CHIPSIM_MAX_DEVICES];
    CChipHandle handles[CHIP_MAX_HANDLES];
};

// Holds the chip's mutex for its lifetime; State() is the shared record.
class CChipLock
{
public:
    CChipLock();
    ~CChipLock();
    CChipLock(const CChipLock&) = delete;
    CChipLock& operator=(const CChipLock&) = delete;

    // NULL when the shared state could not be created.
    CChipState* State() const { return m_pState; }

private:
    HANDLE m_hMutex;
    CChipState* m_pState;
};

// Builds the layout into the state (all handles dropped). FALSE for an unknown layout.
BOOL BuildChipLayout(CChipState& state, const CHIPSIM_LAYOUT& layout);
// Writes the driver records of the state's devices and removes those of absent indices.
void WriteChipRecords(const CChipState& state);

// Mixer device id (counting present devices only) to physical index; FALSE if none.
BOOL FindPresentDevice(const CChipState& state, UINT nMixerID, DWORD* pnDevice);
UINT CountPresentDevices(const CChipState& state);
CChipControl* FindControl(CChipDevice& device, DWORD dwControlID);

// Handle values: a tag, the slot's serial and the slot, so that device ids (small
// numbers) and handles never look alike.
#define CHIP_HANDLE_TAG 0x10000000
inline UINT_PTR ChipHandleValue(DWORD nSlot, DWORD nSerial)
{
    return CHIP_HANDLE_TAG | ((nSerial & 0xFFFF) << 8) | nSlot;
}

#endif
