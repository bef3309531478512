// chipctl: a console tool over the simulated chip's shared state. It changes controls the
// way another mixer program would (through the mixer functions, so that every open
// window hears of it), chooses layouts, unplugs and plugs the chip and prints its state.
#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "chipsim/ChipSimClient.h"
#include "mixer/MixerDetails.h"
#include "mixer/MixerDriver.h"

namespace
{
const int c_nExitFailed = 1;
const int c_nExitUsage = 2;

const char c_szUsage[] =
    "usage: chipctl <command> [arguments]\n"
    "\n"
    "  show                        devices, lines, controls, values, write counts, handles\n"
    "  writes                      write count of every control written since the last clear\n"
    "  clear                       set every write count to 0\n"
    "  get <control> [device]      read a control through the mixer functions\n"
    "  set <control> <value> [device]\n"
    "                              write a control through the mixer functions; every window\n"
    "                              that opened the device gets MM_MIXM_CONTROL_CHANGE\n"
    "  layout <name> [steps=N] [max=N] [no-volume] [no-mute] [no-center] [no-space]\n"
    "         [notify-volume] [many-destinations] [many-sources] [ids-from-0] [nt]\n"
    "                              rebuild the chip (values to defaults, handles invalid) and\n"
    "                              write its driver records under HKEY_LOCAL_MACHINE;\n"
    "                              notify-volume: a level write also announces the 3D line's\n"
    "                              volume control, as some drivers do; ids-from-0: controls\n"
    "                              numbered from 0; nt: no driver records, unplug and plug\n"
    "                              announced only with DBT_DEVNODES_CHANGED (2000, XP)\n"
    "  reset                       layout srs with 16 steps and maximum 65535\n"
    "  unplug [device]             remove the chip (or one physical device) and announce it\n"
    "  plug [device]               bring it back and announce it\n"
    "  broadcast devnode <arrival|removal> <node>\n"
    "  broadcast port <arrival|removal> [name]\n"
    "  broadcast devnodes-changed\n"
    "                              send WM_DEVICECHANGE to every top-level window\n"
    "  hold                        keep the chip's state alive until this process is ended\n"
    "\n"
    "  <control>  center (39), space (38), mute or volume (of the 3D line), or a number\n"
    "  [device]   mixer device id; by default the first device with an SRS or QSound line\n"
    "  layouts    srs qsound plain-first two-chips near-names order plain-only none\n"
    "\n"
    "The state lives while some process has chipsim.dll loaded (the program, a test, or\n"
    "chipctl hold); otherwise each chipctl run starts from layout srs.\n";

int Usage(const char* pszProblem)
{
    if (pszProblem != nullptr)
        std::fprintf(stderr, "chipctl: %s\n\n", pszProblem);
    std::fputs(c_szUsage, stderr);
    return c_nExitUsage;
}

BOOL ParseNumber(const char* pszText, DWORD* pdwValue)
{
    char* pszEnd = nullptr;
    const unsigned long ulValue = std::strtoul(pszText, &pszEnd, 0);
    if (*pszText == '\0' || *pszText == '-' || *pszEnd != '\0' || ulValue > 0xFFFFFFFFUL)
        return FALSE;
    *pdwValue = static_cast<DWORD>(ulValue);
    return TRUE;
}

std::string ChipSimPath()
{
    char szPath[MAX_PATH];
    const DWORD cch = ::GetModuleFileNameA(nullptr, szPath, sizeof(szPath));
    std::string strPath(szPath, cch < sizeof(szPath) ? cch : 0);
    const size_t nSlash = strPath.find_last_of("\\/");
    return (nSlash == std::string::npos ? std::string() : strPath.substr(0, nSlash + 1)) + "chipsim.dll";
}

// What the tool works with: the chip's control interface and its mixer functions.
struct CTool
{
    explicit CTool(const std::string& strDll) : chip(strDll.c_str())
    {
        bMixer = LoadMixerDriver(strDll.c_str(), mixer);
    }

    CChipSimLibrary chip;
    CMixerDriver mixer;
    BOOL bMixer;
};

// The source line named "SRS" or "QSound" on an open device; FALSE if there is none. The
// simulated lines have no gaps, so the first failing query ends a scan (the simulated
// driver may report far more lines than it has).
BOOL Find3DLine(const CMixerDriver& mixer, HMIXEROBJ hObject, UINT nDevice, DWORD* pdwLineID)
{
    MIXERCAPSA caps = {};
    if (mixer.m_pfnGetDevCaps(nDevice, &caps, sizeof(caps)) != MMSYSERR_NOERROR)
        return FALSE;
    for (DWORD nDest = 0; nDest < caps.cDestinations; ++nDest)
    {
        MIXERLINEA line = {};
        line.cbStruct = sizeof(line);
        line.dwDestination = nDest;
        if (mixer.m_pfnGetLineInfo(hObject, &line, MIXER_GETLINEINFOF_DESTINATION) != MMSYSERR_NOERROR)
            break;
        const DWORD cSources = line.cConnections;
        for (DWORD nSource = 0; nSource < cSources; ++nSource)
        {
            line.cbStruct = sizeof(line);
            line.dwDestination = nDest;
            line.dwSource = nSource;
            if (mixer.m_pfnGetLineInfo(hObject, &line, MIXER_GETLINEINFOF_SOURCE) != MMSYSERR_NOERROR)
                break;
            if (std::strcmp(line.szShortName, "SRS") == 0 || std::strcmp(line.szShortName, "QSound") == 0)
            {
                *pdwLineID = line.dwLineID;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL FindDefaultDevice(const CMixerDriver& mixer, UINT* pnDevice)
{
    const UINT nDevices = mixer.m_pfnGetNumDevs();
    for (UINT nDevice = 0; nDevice < nDevices; ++nDevice)
    {
        DWORD dwLineID = 0;
        if (Find3DLine(mixer, reinterpret_cast<HMIXEROBJ>(static_cast<UINT_PTR>(nDevice)), nDevice, &dwLineID))
        {
            *pnDevice = nDevice;
            return TRUE;
        }
    }
    return FALSE;
}

// Resolves a control argument on an open device into its id.
BOOL ResolveControl(const CMixerDriver& mixer, HMIXER hMixer, UINT nDevice, const char* pszControl,
                    DWORD* pdwControlID)
{
    if (std::strcmp(pszControl, "center") == 0)
        *pdwControlID = 39;
    else if (std::strcmp(pszControl, "space") == 0)
        *pdwControlID = 38;
    else if (std::strcmp(pszControl, "mute") != 0 && std::strcmp(pszControl, "volume") != 0)
        return ParseNumber(pszControl, pdwControlID);
    else
    {
        HMIXEROBJ hObject = reinterpret_cast<HMIXEROBJ>(hMixer);
        MIXERCONTROLA control;
        MIXERLINECONTROLSA controls = SingleControlQuery(&control);
        controls.dwControlType = std::strcmp(pszControl, "mute") == 0 ? MIXERCONTROL_CONTROLTYPE_MUTE
                                                                       : MIXERCONTROL_CONTROLTYPE_VOLUME;
        if (!Find3DLine(mixer, hObject, nDevice, &controls.dwLineID)
            || mixer.m_pfnGetLineControls(hObject, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        {
            std::fprintf(stderr, "chipctl: the 3D line of device %u has no %s control\n", nDevice, pszControl);
            return FALSE;
        }
        *pdwControlID = control.dwControlID;
    }
    return TRUE;
}

// get and set: args are <control> [value] [device].
int AccessControl(CTool& tool, const std::vector<std::string>& args, BOOL bSet)
{
    const size_t cRequired = bSet ? 3 : 2;
    if (args.size() < cRequired || args.size() > cRequired + 1)
        return Usage(bSet ? "set takes a control, a value and an optional device" : "get takes a control and an optional device");
    DWORD dwValue = 0;
    if (bSet && !ParseNumber(args[2].c_str(), &dwValue))
        return Usage("the value must be a number");
    const CMixerDriver& mixer = tool.mixer;
    UINT nDevice = 0;
    if (args.size() > cRequired)
    {
        DWORD dwDevice = 0;
        if (!ParseNumber(args[cRequired].c_str(), &dwDevice))
            return Usage("the device must be a number");
        nDevice = dwDevice;
    }
    else if (!FindDefaultDevice(mixer, &nDevice))
    {
        std::fprintf(stderr, "chipctl: no mixer device has an SRS or QSound line\n");
        return c_nExitFailed;
    }
    HMIXER hMixer = nullptr;
    MMRESULT result = mixer.m_pfnOpen(&hMixer, nDevice, 0, 0, CALLBACK_NULL);
    if (result != MMSYSERR_NOERROR)
    {
        std::fprintf(stderr, "chipctl: cannot open mixer device %u (error %u)\n", nDevice, result);
        return c_nExitFailed;
    }
    DWORD dwControlID = 0;
    if (!ResolveControl(mixer, hMixer, nDevice, args[1].c_str(), &dwControlID))
    {
        mixer.m_pfnClose(hMixer);
        return c_nExitFailed;
    }
    MIXERCONTROLDETAILS details = SingleValueDetails(dwControlID, &dwValue);
    HMIXEROBJ hObject = reinterpret_cast<HMIXEROBJ>(hMixer);
    result = bSet ? mixer.m_pfnSetControlDetails(hObject, &details, MIXER_SETCONTROLDETAILSF_VALUE)
                  : mixer.m_pfnGetControlDetails(hObject, &details, MIXER_GETCONTROLDETAILSF_VALUE);
    mixer.m_pfnClose(hMixer);
    if (result != MMSYSERR_NOERROR)
    {
        std::fprintf(stderr, "chipctl: control %lu of device %u: error %u\n", dwControlID, nDevice, result);
        return c_nExitFailed;
    }
    if (!bSet)
        std::printf("%lu\n", dwValue);
    return 0;
}

int ChooseLayout(CTool& tool, const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return Usage("layout takes a name");
    CHIPSIM_LAYOUT layout = {CHIPSIM_LAYOUT_COUNT, CHIPSIM_DEFAULT_STEPS, CHIPSIM_DEFAULT_MAXIMUM, 0};
    DWORD fdwOptions = 0;
    for (DWORD n = 0; n < CHIPSIM_LAYOUT_COUNT; ++n)
        if (args[1] == ChipSimLayoutName(n))
            layout.nLayout = n;
    if (layout.nLayout == CHIPSIM_LAYOUT_COUNT)
        return Usage("unknown layout");
    for (size_t i = 2; i < args.size(); ++i)
    {
        const std::string& strOption = args[i];
        if (strOption.compare(0, 6, "steps=") == 0 && ParseNumber(strOption.c_str() + 6, &layout.cSteps))
            continue;
        if (strOption.compare(0, 4, "max=") == 0 && ParseNumber(strOption.c_str() + 4, &layout.dwMaximum))
            continue;
        if (strOption == "no-volume")
            layout.fdwMissing |= CHIPSIM_MISSING_VOLUME;
        else if (strOption == "no-mute")
            layout.fdwMissing |= CHIPSIM_MISSING_MUTE;
        else if (strOption == "no-center")
            layout.fdwMissing |= CHIPSIM_MISSING_CENTER;
        else if (strOption == "no-space")
            layout.fdwMissing |= CHIPSIM_MISSING_SPACE;
        else if (strOption == "notify-volume")
            fdwOptions |= CHIPSIM_NOTIFY_VOLUME;
        else if (strOption == "many-destinations")
            layout.fdwMissing |= CHIPSIM_FAULT_MANY_DESTINATIONS;
        else if (strOption == "many-sources")
            layout.fdwMissing |= CHIPSIM_FAULT_MANY_SOURCES;
        else if (strOption == "ids-from-0")
            layout.fdwMissing |= CHIPSIM_IDS_FROM_ZERO;
        else if (strOption == "nt")
            layout.fdwMissing |= CHIPSIM_NT_DRIVER;
        else
            return Usage("unknown layout option");
    }
    return tool.chip.m_pfnSetLayout(&layout) && tool.chip.m_pfnSetOptions(fdwOptions) ? 0 : c_nExitFailed;
}

int ChangePresence(CTool& tool, const std::vector<std::string>& args, BOOL bPlug)
{
    DWORD nDevice = CHIPSIM_ALL_CHIPS;
    if (args.size() > 2 || (args.size() == 2 && !ParseNumber(args[1].c_str(), &nDevice)))
        return Usage("unplug and plug take an optional physical device number");
    const BOOL bDone = bPlug ? tool.chip.m_pfnPlug(nDevice) : tool.chip.m_pfnUnplug(nDevice);
    if (!bDone)
        std::fprintf(stderr, "chipctl: no device %lu\n", nDevice);
    return bDone ? 0 : c_nExitFailed;
}

int Broadcast(CTool& tool, const std::vector<std::string>& args)
{
    if (args.size() == 2 && args[1] == "devnodes-changed")
    {
        tool.chip.m_pfnBroadcastDevNodesChanged();
        return 0;
    }
    if (args.size() < 3)
        return Usage("broadcast takes a kind and an event");
    UINT nEvent = 0;
    if (args[2] == "arrival")
        nEvent = DBT_DEVICEARRIVAL;
    else if (args[2] == "removal")
        nEvent = DBT_DEVICEREMOVECOMPLETE;
    else
        return Usage("the event is arrival or removal");
    DWORD dwDevNode = 0;
    if (args[1] == "devnode" && args.size() == 4 && ParseNumber(args[3].c_str(), &dwDevNode))
        tool.chip.m_pfnBroadcastDevNode(nEvent, dwDevNode);
    else if (args[1] == "port" && args.size() <= 4)
        tool.chip.m_pfnBroadcastPort(nEvent, args.size() == 4 ? args[3].c_str() : "COM1");
    else
        return Usage("broadcast devnode needs a node number; broadcast port an optional name");
    return 0;
}

void PrintState(CTool& tool)
{
    std::vector<char> text(tool.chip.m_pfnDescribe(nullptr, 0) + 1);
    tool.chip.m_pfnDescribe(text.data(), static_cast<DWORD>(text.size()));
    std::fputs(text.data(), stdout);
}

void PrintWrites(CTool& tool)
{
    std::vector<char> text(tool.chip.m_pfnDescribe(nullptr, 0) + 1);
    tool.chip.m_pfnDescribe(text.data(), static_cast<DWORD>(text.size()));
    // The report's device and control lines; controls never written are left out.
    const char* pszLine = text.data();
    while (*pszLine != '\0')
    {
        const char* pszEnd = std::strchr(pszLine, '\n');
        const std::string strLine(pszLine, pszEnd != nullptr ? pszEnd - pszLine : std::strlen(pszLine));
        if (strLine.compare(0, 7, "device ") == 0
            || (strLine.find("control ") != std::string::npos && strLine.find(", 0 writes") == std::string::npos))
            std::printf("%s\n", strLine.c_str());
        pszLine += strLine.size() + (pszEnd != nullptr ? 1 : 0);
    }
}
}

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty())
        return Usage(nullptr);
    CTool tool(ChipSimPath());
    if (!tool.chip.IsLoaded() || !tool.bMixer)
    {
        std::fprintf(stderr, "chipctl: cannot load %s\n", ChipSimPath().c_str());
        return c_nExitFailed;
    }
    const std::string& strCommand = args[0];
    if (strCommand == "show" && args.size() == 1)
        PrintState(tool);
    else if (strCommand == "writes" && args.size() == 1)
        PrintWrites(tool);
    else if (strCommand == "clear" && args.size() == 1)
        tool.chip.m_pfnClearWriteCounts();
    else if (strCommand == "get" || strCommand == "set")
        return AccessControl(tool, args, strCommand == "set");
    else if (strCommand == "layout")
        return ChooseLayout(tool, args);
    else if (strCommand == "reset" && args.size() == 1)
    {
        const CHIPSIM_LAYOUT layout = {CHIPSIM_LAYOUT_SRS, CHIPSIM_DEFAULT_STEPS, CHIPSIM_DEFAULT_MAXIMUM, 0};
        return tool.chip.m_pfnSetLayout(&layout) ? 0 : c_nExitFailed;
    }
    else if (strCommand == "unplug" || strCommand == "plug")
        return ChangePresence(tool, args, strCommand == "plug");
    else if (strCommand == "broadcast")
        return Broadcast(tool, args);
    else if (strCommand == "hold" && args.size() == 1)
    {
        // The shared state is opened on first use: touch it, or nothing is held.
        tool.chip.m_pfnGetDeviceCount();
        std::printf("holding the chip's state; end this process to release it\n");
        std::fflush(stdout);
        ::Sleep(INFINITE);
    }
    else
        return Usage("unknown command or wrong number of arguments");
    return 0;
}
