#include "chipsim/ChipState.h"

#include <cstdio>
#include <cstring>

namespace
{
const char c_szMappingName[] = "AurelonChipSimState";
const char c_szMutexName[] = "AurelonChipSimMutex";
const DWORD c_nMagic = 0x43534D32;  // changes whenever CChipState does

// The controls that a 3D line may carry, besides the fixed level ids.
const DWORD c_nCenterID = 39;
const DWORD c_nSpaceID = 38;

struct CSharedView
{
    HANDLE hMutex;
    HANDLE hMapping;
    CChipState* pState;
};

// The mapping and the mutex, opened once per process and kept until it ends.
const CSharedView& SharedView()
{
    static const CSharedView view = [] {
        CSharedView v = {};
        v.hMutex = ::CreateMutexA(nullptr, FALSE, c_szMutexName);
        v.hMapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          sizeof(CChipState), c_szMappingName);
        if (v.hMutex != nullptr && v.hMapping != nullptr)
            v.pState = static_cast<CChipState*>(
                ::MapViewOfFile(v.hMapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(CChipState)));
        return v;
    }();
    return view;
}

void CopyName(char* pszTarget, size_t cchTarget, const char* pszSource)
{
    std::snprintf(pszTarget, cchTarget, "%s", pszSource);
}

// Adds devices, lines and controls in the order the mixer functions will report them.
class CLayoutBuilder
{
public:
    CLayoutBuilder(CChipState& state, const CHIPSIM_LAYOUT& layout)
        : m_state(state), m_layout(layout), m_pDevice(nullptr), m_nNextID(1), m_bHasLevels(FALSE)
    {
    }

    void AddDevice(const char* pszName, BOOL bChip)
    {
        m_pDevice = &m_state.devices[m_state.cDevices++];
        CopyName(m_pDevice->szPname, sizeof(m_pDevice->szPname), pszName);
        m_pDevice->bChip = bChip;
        m_pDevice->bPresent = TRUE;
        m_nNextID = (m_layout.fdwMissing & CHIPSIM_IDS_FROM_ZERO) != 0 ? 0 : 1;
        m_bHasLevels = FALSE;
    }

    void AddDestination(const char* pszName, DWORD dwComponentType)
    {
        const DWORD nDest = m_pDevice->cDestinations++;
        CChipLine& line = AddLine(pszName, dwComponentType, nDest, CHIP_NO_SOURCE, 0xFFFF0000 | nDest);
        AddControl(NextID(), MIXERCONTROL_CONTROLTYPE_VOLUME, line, "Volume", 0, 65535, 65536, 49152);
        AddControl(NextID(), MIXERCONTROL_CONTROLTYPE_MUTE, line, "Mute", 0, 1, 2, 0);
    }

    // A source of the last destination; a 3D line gets the controls the layout allows.
    void AddSource(const char* pszName, DWORD dwComponentType, BOOL b3D)
    {
        const DWORD nDest = m_pDevice->cDestinations - 1;
        DWORD nSource = 0;
        for (DWORD i = 0; i < m_pDevice->cLines; ++i)
            if (m_pDevice->lines[i].dwDestination == nDest && m_pDevice->lines[i].dwSource != CHIP_NO_SOURCE)
                ++nSource;
        CChipLine& line = AddLine(pszName, dwComponentType, nDest, nSource, (nSource << 16) | nDest);
        const DWORD fdwMissing = b3D ? m_layout.fdwMissing : 0;
        if (!(fdwMissing & CHIPSIM_MISSING_VOLUME))
            AddControl(NextID(), MIXERCONTROL_CONTROLTYPE_VOLUME, line, "Volume", 0, 65535, 65536, 49152);
        if (!(fdwMissing & CHIPSIM_MISSING_MUTE))
            AddControl(NextID(), MIXERCONTROL_CONTROLTYPE_MUTE, line, "Mute", 0, 1, 2, 0);
        if (!b3D || m_bHasLevels)
            return;
        m_bHasLevels = TRUE;
        const DWORD dwMiddle = m_layout.dwMaximum / 2;
        if (!(fdwMissing & CHIPSIM_MISSING_CENTER))
            AddControl(c_nCenterID, MIXERCONTROL_CONTROLTYPE_FADER, line, "Center", 0,
                       m_layout.dwMaximum, m_layout.cSteps, dwMiddle);
        if (!(fdwMissing & CHIPSIM_MISSING_SPACE))
            AddControl(c_nSpaceID, MIXERCONTROL_CONTROLTYPE_FADER, line, "Space", 0,
                       m_layout.dwMaximum, m_layout.cSteps, dwMiddle);
    }

    // The usual sources ahead of a 3D line: discovery has to pass them.
    void AddPlainSources()
    {
        AddSource("Wave", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, FALSE);
        AddSource("Line", MIXERLINE_COMPONENTTYPE_SRC_LINE, FALSE);
        AddSource("CD", MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, FALSE);
    }

    void AddPlainDevice()
    {
        AddDevice("Generic Wave Mixer", FALSE);
        AddDestination("Volume Control", MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        AddPlainSources();
    }

    // A chip with its 3D line behind the playback sources and a recording destination.
    void AddChip(const char* psz3DName)
    {
        AddDevice("Aurelon WSS Mixer", TRUE);
        AddDestination("Recording Control", MIXERLINE_COMPONENTTYPE_DST_WAVEIN);
        AddSource("Mic", MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE, FALSE);
        AddSource("Line", MIXERLINE_COMPONENTTYPE_SRC_LINE, FALSE);
        AddDestination("Volume Control", MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        AddPlainSources();
        AddSource(psz3DName, MIXERLINE_COMPONENTTYPE_SRC_ANALOG, TRUE);
    }

private:
    DWORD NextID()
    {
        while (m_nNextID == c_nCenterID || m_nNextID == c_nSpaceID)
            ++m_nNextID;
        return m_nNextID++;
    }

    CChipLine& AddLine(const char* pszName, DWORD dwComponentType, DWORD nDest, DWORD nSource,
                       DWORD dwLineID)
    {
        CChipLine& line = m_pDevice->lines[m_pDevice->cLines++];
        line.dwLineID = dwLineID;
        line.dwDestination = nDest;
        line.dwSource = nSource;
        line.dwComponentType = dwComponentType;
        CopyName(line.szShortName, sizeof(line.szShortName), pszName);
        CopyName(line.szName, sizeof(line.szName), pszName);
        return line;
    }

    void AddControl(DWORD dwID, DWORD dwType, const CChipLine& line, const char* pszName,
                    DWORD dwMinimum, DWORD dwMaximum, DWORD cSteps, DWORD dwValue)
    {
        CChipControl& control = m_pDevice->controls[m_pDevice->cControls++];
        control.dwControlID = dwID;
        control.dwControlType = dwType;
        control.dwLineID = line.dwLineID;
        CopyName(control.szShortName, sizeof(control.szShortName), pszName);
        CopyName(control.szName, sizeof(control.szName), pszName);
        control.dwMinimum = dwMinimum;
        control.dwMaximum = dwMaximum;
        control.cSteps = cSteps;
        control.dwValue = dwValue;
    }

    CChipState& m_state;
    const CHIPSIM_LAYOUT& m_layout;
    CChipDevice* m_pDevice;
    DWORD m_nNextID;
    BOOL m_bHasLevels;
};

// Starts the state once per lifetime of the mapping, with the default layout.
void EnsureInitialised(CChipState& state)
{
    if (state.nMagic == c_nMagic)
        return;
    const CHIPSIM_LAYOUT layout = {CHIPSIM_LAYOUT_SRS, CHIPSIM_DEFAULT_STEPS, CHIPSIM_DEFAULT_MAXIMUM, 0};
    BuildChipLayout(state, layout);
    state.nMagic = c_nMagic;
}
}

CChipLock::CChipLock()
    : m_hMutex(SharedView().hMutex), m_pState(nullptr)
{
    if (SharedView().pState == nullptr)
        return;
    // An owner that died holding the mutex leaves it abandoned; the state is whole
    // because every change is made in place and completes before the release.
    const DWORD dwWait = ::WaitForSingleObject(m_hMutex, INFINITE);
    if (dwWait != WAIT_OBJECT_0 && dwWait != WAIT_ABANDONED)
        return;
    m_pState = SharedView().pState;
    EnsureInitialised(*m_pState);
}

CChipLock::~CChipLock()
{
    if (m_pState != nullptr)
        ::ReleaseMutex(m_hMutex);
}

BOOL BuildChipLayout(CChipState& state, const CHIPSIM_LAYOUT& layout)
{
    if (layout.nLayout >= CHIPSIM_LAYOUT_COUNT)
        return FALSE;
    // Handle serials survive, so that a handle from before stays invalid.
    CChipHandle handles[CHIP_MAX_HANDLES];
    std::memcpy(handles, state.handles, sizeof(handles));
    std::memset(&state, 0, sizeof(state));
    for (DWORD i = 0; i < CHIP_MAX_HANDLES; ++i)
        state.handles[i].nSerial = handles[i].nSerial + (handles[i].bUsed ? 1 : 0);
    state.nMagic = c_nMagic;
    state.layout = layout;

    CLayoutBuilder builder(state, layout);
    switch (layout.nLayout)
    {
    case CHIPSIM_LAYOUT_SRS:
        builder.AddChip("SRS");
        break;
    case CHIPSIM_LAYOUT_QSOUND:
        builder.AddChip("QSound");
        break;
    case CHIPSIM_LAYOUT_PLAIN_FIRST:
        builder.AddPlainDevice();
        builder.AddChip("SRS");
        break;
    case CHIPSIM_LAYOUT_TWO_CHIPS:
        builder.AddChip("SRS");
        builder.AddChip("SRS");
        break;
    case CHIPSIM_LAYOUT_NEAR_NAMES:
        builder.AddDevice("Aurelon WSS Mixer", TRUE);
        builder.AddDestination("Volume Control", MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        builder.AddSource("srs", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, FALSE);
        builder.AddSource("SRS2", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, FALSE);
        builder.AddSource("Srs ", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, FALSE);
        builder.AddSource("QSOUND", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, FALSE);
        builder.AddSource("QSound3D", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, FALSE);
        builder.AddDestination("Monitor", MIXERLINE_COMPONENTTYPE_DST_MONITOR);
        builder.AddSource("SRS", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, TRUE);
        break;
    case CHIPSIM_LAYOUT_ORDER:
        builder.AddPlainDevice();
        builder.AddDevice("Aurelon WSS Mixer", TRUE);
        builder.AddDestination("Volume Control", MIXERLINE_COMPONENTTYPE_DST_SPEAKERS);
        builder.AddSource("Wave", MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, FALSE);
        builder.AddSource("QSound", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, TRUE);
        builder.AddSource("SRS", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, TRUE);
        builder.AddDestination("Monitor", MIXERLINE_COMPONENTTYPE_DST_MONITOR);
        builder.AddSource("SRS", MIXERLINE_COMPONENTTYPE_SRC_ANALOG, TRUE);
        builder.AddChip("SRS");
        break;
    case CHIPSIM_LAYOUT_PLAIN_ONLY:
        builder.AddPlainDevice();
        break;
    default:  // CHIPSIM_LAYOUT_NONE
        break;
    }
    return TRUE;
}

void WriteChipRecords(const CChipState& state)
{
    for (DWORD n = 0; n < CHIPSIM_MAX_DEVICES; ++n)
    {
        char szPath[MAX_PATH];
        std::snprintf(szPath, sizeof(szPath), "%s\\%lu", CHIPSIM_RECORDS_KEY, static_cast<unsigned long>(n));
        if (n >= state.cDevices || (state.layout.fdwMissing & CHIPSIM_NT_DRIVER) != 0)
        {
            ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, szPath);
            continue;
        }
        HKEY hKey = nullptr;
        if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, szPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
            continue;
        const DWORD dwDevNode = CHIPSIM_DEVNODE_BASE + n;
        ::RegSetValueExA(hKey, "DevNode", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&dwDevNode),
                         sizeof(dwDevNode));
        const char* pszDeviceID = state.devices[n].bChip ? "ISAPNP\\QVX3D01\\0" : "PCI\\VEN_1274&DEV_1371\\0";
        ::RegSetValueExA(hKey, "DeviceID", 0, REG_SZ, reinterpret_cast<const BYTE*>(pszDeviceID),
                         static_cast<DWORD>(std::strlen(pszDeviceID) + 1));
        ::RegCloseKey(hKey);
    }
}

BOOL FindPresentDevice(const CChipState& state, UINT nMixerID, DWORD* pnDevice)
{
    UINT nSeen = 0;
    for (DWORD n = 0; n < state.cDevices; ++n)
    {
        if (!state.devices[n].bPresent)
            continue;
        if (nSeen++ == nMixerID)
        {
            *pnDevice = n;
            return TRUE;
        }
    }
    return FALSE;
}

UINT CountPresentDevices(const CChipState& state)
{
    UINT nPresent = 0;
    for (DWORD n = 0; n < state.cDevices; ++n)
        if (state.devices[n].bPresent)
            ++nPresent;
    return nPresent;
}

CChipControl* FindControl(CChipDevice& device, DWORD dwControlID)
{
    for (DWORD i = 0; i < device.cControls; ++i)
        if (device.controls[i].dwControlID == dwControlID)
            return &device.controls[i];
    return nullptr;
}
