#include "AurelonProgram.h"
#include "Canvas.h"
#include "RegistrySandbox.h"
#include "app/PrivateMessages.h"
#include "mixer/Mixer3D.h"
#include "mixer/MixerDetails.h"
#include "mixer/MixerDiscovery.h"
#include "mixer/MixerDriver.h"
#include "resource.h"
#include <algorithm>
#include <memory>
#include <commctrl.h>

namespace
{
const char kProgram[] = "Aurelon3D.exe";
const char kMainClass[] = "Aurelon3DAudioControl";
const char kProduct[] = "Aurelon 3D Audio Control";

std::string ChipPath()
{
    return BinPath("chipsim.dll");
}

// The chip as another mixer program sees it: the same driver table the program uses.
const CMixerDriver& Driver()
{
    return GetMixerDriver();
}

// A control of the 3D line by type, found the way the program finds it.
DWORD LineControlID(DWORD dwType)
{
    UINT nDevice = 0;
    int nVariant = 0;
    DWORD dwMuteID = 0, dwVolumeID = 0;
    if (!FindMixer3D(&nDevice, &nVariant, &dwMuteID, &dwVolumeID))
        return 0;
    return dwType == MIXERCONTROL_CONTROLTYPE_MUTE ? dwMuteID : dwVolumeID;
}
}

CAurelonProgram::CAurelonProgram()
    : m_chip(ChipPath().c_str()), m_strExecutable(BinPath(kProgram))
{
    ::SetEnvironmentVariableA(MIXER_DRIVER_VARIABLE, ChipPath().c_str());
    Clean();
    SetLayout(CHIPSIM_LAYOUT_SRS);
}

CAurelonProgram::~CAurelonProgram()
{
    if (m_process.IsRunning())
    {
        Exit();
        if (m_process.IsRunning())
            m_process.Kill();
    }
    Clean();
}

void CAurelonProgram::Clean()
{
    for (HWND hWnd : FindTopWindows(kMainClass, nullptr))
    {
        DWORD dwProcessId = 0;
        ::GetWindowThreadProcessId(hWnd, &dwProcessId);
        HANDLE hProcess = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, dwProcessId);
        if (hProcess != nullptr)
        {
            ::TerminateProcess(hProcess, 99);
            ::WaitForSingleObject(hProcess, 5000);
            ::CloseHandle(hProcess);
        }
    }
    CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, "Software\\Aurelon");
    CRegistrySandbox::DeleteKey(HKEY_LOCAL_MACHINE, "Software\\Aurelon");
}

bool CAurelonProgram::SetLayout(DWORD nLayout, DWORD cSteps, DWORD dwMaximum, DWORD fdwMissing)
{
    CHIPSIM_LAYOUT layout = { nLayout, cSteps, dwMaximum, fdwMissing };
    return m_chip.IsLoaded() && m_chip.m_pfnSetLayout(&layout);
}

bool CAurelonProgram::Start(const char* pszArgs, bool bChip)
{
    std::string commandLine = "\"" + m_strExecutable + "\"";
    if (*pszArgs != '\0')
        commandLine += std::string(" ") + pszArgs;
    return m_process.Start(commandLine, { { "AURELON_MIXER_DRIVER", bChip ? ChipPath() : "" } }) != FALSE;
}

bool CAurelonProgram::StartResident()
{
    if (!Start())
        return false;
    // Idle means the panel has finished its initialisation, tray icon included.
    ::WaitForInputIdle(m_process.GetHandle(), 15000);
    return WaitUntil([&] { return MainWnd() != nullptr && Panel() != nullptr; }, 15000);
}

bool CAurelonProgram::Exit()
{
    HWND hPanel = Panel();
    if (hPanel == nullptr)
        return false;
    ::PostMessageA(hPanel, WM_COMMAND, ID_APP_EXIT, 0);
    DWORD dwCode = 1;
    return m_process.WaitForExit(15000, &dwCode) && dwCode == 0;
}

bool CAurelonProgram::AnswerSecondStart(const char* pszArgs)
{
    CProcess second;
    if (!second.Start("\"" + m_strExecutable + "\" " + pszArgs))
        return false;
    HWND hNotice = WaitForDialog(kProduct, m_process.GetId());
    if (hNotice == nullptr)
        return false;
    PressDialogButton(hNotice, IDOK);
    return second.WaitForExit(10000);
}

HWND CAurelonProgram::MainWnd() const
{
    return FindTopWindow(kMainClass, nullptr, m_process.GetId());
}

HWND CAurelonProgram::Panel() const
{
    // The panel is the process's dialog that holds the "&Enabled" box.
    for (HWND hWnd : FindTopWindows("#32770", nullptr, m_process.GetId()))
    {
        if (::GetDlgItem(hWnd, IDC_ENABLED) != nullptr && ::GetDlgItem(hWnd, IDC_PRESET1) != nullptr)
            return hWnd;
    }
    return nullptr;
}

int CAurelonProgram::SliderPos(int nID) const
{
    return static_cast<int>(SendTo(Control(nID), TBM_GETPOS, 0, 0));
}

bool CAurelonProgram::IsChecked(int nID) const
{
    return SendTo(Control(nID), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CAurelonProgram::Click(int nID) const
{
    SendTo(Panel(), WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Control(nID)));
}

void CAurelonProgram::Scroll(int nID, int nPosition, UINT nCode) const
{
    SendTo(Control(nID), TBM_SETPOS, TRUE, nPosition);
    SendTo(Panel(), WM_HSCROLL, MAKEWPARAM(nCode, nPosition),
                   reinterpret_cast<LPARAM>(Control(nID)));
}

void CAurelonProgram::Command(UINT nID) const
{
    ::PostMessageA(Panel(), WM_COMMAND, nID, 0);
}

bool CAurelonProgram::ShowPanel() const
{
    Command(ID_SETTINGS);
    return WaitUntil([&] { return PanelVisible(); }, 5000);
}

HWND CAurelonProgram::TrayReceiver() const
{
    return FindTopWindow("TaskBarButtonWindowClass", "TaskBarButton Message Receiver", m_process.GetId());
}

void CAurelonProgram::Tray(UINT nMouseMessage, UINT nIconID) const
{
    ::PostMessageA(TrayReceiver(), WM_TASKBARBUTTON, nIconID, nMouseMessage);
}

std::string CAurelonProgram::ToolTipText(int nID) const
{
    HWND hTip = FindTopWindow(TOOLTIPS_CLASSA, nullptr, m_process.GetId());
    const UINT_PTR uId = reinterpret_cast<UINT_PTR>(Control(nID));
    for (const CTool& tool : ToolsOf(hTip))
    {
        if (tool.uId == uId)
            return tool.text;
    }
    return std::string();
}

void CAurelonProgram::Sync() const
{
    // Sent messages overtake posted ones, so a marker is posted behind everything else:
    // a page size on the Center trackbar that no other code sets, put back afterwards.
    static LPARAM s_nMarker = 1000;
    HWND hSlider = Control(IDC_CENTER);
    LPARAM nMarker = ++s_nMarker;
    LRESULT nPageSize = SendTo(hSlider, TBM_GETPAGESIZE, 0, 0);
    ::PostMessageA(hSlider, TBM_SETPAGESIZE, 0, nMarker);
    WaitUntil([&] { return SendTo(hSlider, TBM_GETPAGESIZE, 0, 0) == nMarker; }, 15000);
    SendTo(hSlider, TBM_SETPAGESIZE, 0, nPageSize);
}

bool CAurelonProgram::PresetMenu(int nButtonID, int nItem) const
{
    RECT rc;
    ::GetWindowRect(Control(nButtonID), &rc);
    ::PostMessageA(Panel(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Control(nButtonID)),
                   MAKELPARAM(rc.left + 2, rc.top + 2));
    HWND hMenu = WaitForVisibleMenu();
    if (hMenu == nullptr)
        return false;
    ChooseMenuItem(hMenu, nItem);
    return WaitUntil([] { return FindVisibleMenu() == nullptr; }, 5000);
}

DWORD CAurelonProgram::ChipValue(DWORD dwControlID, DWORD nDevice) const
{
    DWORD dwValue = 0xDEADBEEF;
    m_chip.m_pfnGetValue(nDevice, dwControlID, &dwValue);
    return dwValue;
}

DWORD CAurelonProgram::WriteCount(DWORD dwControlID, DWORD nDevice) const
{
    return m_chip.m_pfnGetWriteCount(nDevice, dwControlID);
}

std::string CAurelonProgram::ChipHandles() const
{
    std::string state(m_chip.m_pfnDescribe(nullptr, 0) + 1, '\0');
    state.resize(m_chip.m_pfnDescribe(&state[0], static_cast<DWORD>(state.size())));
    const std::string owner = ": process " + std::to_string(m_process.GetId()) + ",";
    std::string handles;
    for (size_t nStart = 0; nStart < state.size();)
    {
        size_t nEnd = state.find('\n', nStart);
        std::string line = state.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        if (line.compare(0, 7, "handle ") == 0 && line.find(owner) != std::string::npos)
            handles += line + "\n";
        nStart = nEnd == std::string::npos ? state.size() : nEnd + 1;
    }
    return handles;
}

bool CAurelonProgram::SetChipValue(DWORD dwControlID, DWORD dwValue) const
{
    HMIXER hMixer = nullptr;
    if (Driver().m_pfnOpen(&hMixer, 0, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
        return false;
    MIXERCONTROLDETAILS details = SingleValueDetails(dwControlID, &dwValue);
    bool bOK = Driver().m_pfnSetControlDetails(reinterpret_cast<HMIXEROBJ>(hMixer), &details, 0) ==
               MMSYSERR_NOERROR;
    Driver().m_pfnClose(hMixer);
    return bOK;
}

DWORD CAurelonProgram::MuteID() const
{
    return LineControlID(MIXERCONTROL_CONTROLTYPE_MUTE);
}

DWORD CAurelonProgram::VolumeID() const
{
    return LineControlID(MIXERCONTROL_CONTROLTYPE_VOLUME);
}

HWND FindVisibleMenu()
{
    for (HWND hWnd : FindTopWindows("#32768", nullptr))
    {
        if (::IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}

HWND WaitForVisibleMenu(DWORD dwTimeoutMs)
{
    HWND hMenu = nullptr;
    WaitUntil([&] { return (hMenu = FindVisibleMenu()) != nullptr; }, dwTimeoutMs);
    return hMenu;
}

void ChooseMenuItem(HWND hMenuWnd, int nItem)
{
    for (int i = 0; i < nItem; ++i)
        ::PostMessageA(hMenuWnd, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageA(hMenuWnd, WM_KEYDOWN, VK_RETURN, 0);
}

std::vector<HWND> ShellTipWindows()
{
    DWORD dwShell = 0;
    ::GetWindowThreadProcessId(FindTopWindow("Shell_TrayWnd", nullptr), &dwShell);
    return FindTopWindows(TOOLTIPS_CLASSA, nullptr, dwShell);
}

std::string ShellTipsBesides(const std::vector<HWND>& tipsBefore)
{
    std::string tips;
    for (HWND hTip : ShellTipWindows())
    {
        if (std::find(tipsBefore.begin(), tipsBefore.end(), hTip) == tipsBefore.end())
            for (const CTool& tool : ToolsOf(hTip))
                tips += " \"" + tool.text + "\"";
    }
    return tips;
}

std::vector<CTool> ToolsOf(HWND hTip)
{
    // TTM_ENUMTOOLS fills a TOOLINFO in the tooltip's own process: build one there, with
    // room for the longest text the control copies. The wide message copies the whole text
    // (the ANSI one at most 80 bytes); it is handed back in this process's code page.
    const size_t cchText = INFOTIPSIZE + 1;
    std::vector<CTool> tools;
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hTip, &dwProcessId);
    HANDLE hProcess = hTip != nullptr
        ? ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, dwProcessId)
        : nullptr;
    if (hProcess == nullptr)
        return tools;
    const size_t cbText = cchText * sizeof(WCHAR);
    BYTE* pRemote = static_cast<BYTE*>(::VirtualAllocEx(hProcess, nullptr, sizeof(TOOLINFOW) + cbText,
                                                        MEM_COMMIT, PAGE_READWRITE));
    const LRESULT nCount = pRemote != nullptr ? SendTo(hTip, TTM_GETTOOLCOUNT) : 0;
    for (LRESULT i = 0; i < nCount; ++i)
    {
        TOOLINFOW ti = {};
        ti.cbSize = sizeof(ti);
        ti.lpszText = reinterpret_cast<LPWSTR>(pRemote + sizeof(ti));
        WCHAR szText[cchText] = L"";
        if (!::WriteProcessMemory(hProcess, pRemote, &ti, sizeof(ti), nullptr) ||
            !::WriteProcessMemory(hProcess, pRemote + sizeof(ti), szText, sizeof(WCHAR), nullptr) ||
            !SendTo(hTip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(pRemote)) ||
            !::ReadProcessMemory(hProcess, pRemote, &ti, sizeof(ti), nullptr) ||
            !::ReadProcessMemory(hProcess, pRemote + sizeof(ti), szText, cbText, nullptr))
            continue;
        szText[cchText - 1] = L'\0';
        std::string text(cchText * 2, '\0');
        int cbConverted = ::WideCharToMultiByte(CP_ACP, 0, szText, -1, &text[0], static_cast<int>(text.size()),
                                                nullptr, nullptr);
        text.resize(cbConverted > 0 ? static_cast<size_t>(cbConverted - 1) : 0);
        tools.push_back({ ti.hwnd, ti.uId, text });
    }
    if (pRemote != nullptr)
        ::VirtualFreeEx(hProcess, pRemote, 0, MEM_RELEASE);
    ::CloseHandle(hProcess);
    return tools;
}

bool ShowsLamp(HWND hButton, PresetLamp lamp)
{
    RECT rc;
    if (!::IsWindowVisible(hButton) || !::GetWindowRect(hButton, &rc))
        return false;
    std::unique_ptr<CCanvas> pShown(CCanvas::FromScreen(rc));
    int nGreen = 0, nRed = 0;
    for (int y = 0; y < pShown->Height(); ++y)
        for (int x = 0; x < pShown->Width(); ++x)
        {
            const COLORREF cr = pShown->At(x, y);
            nGreen += GetGValue(cr) > 160 && GetRValue(cr) < 100 && GetBValue(cr) < 100;
            nRed += GetRValue(cr) > 160 && GetGValue(cr) < 100 && GetBValue(cr) < 100;
        }
    return lamp == LAMP_SELECTED ? nGreen > 0 && nRed == 0 : nRed > 0 && nGreen == 0;
}

bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp)
{
    program.Sync();
    HWND hButton = program.Control(nButtonID);
    return WaitUntil([&] {
        // A repaint that the program has still to do is done now, inside this call.
        ::RedrawWindow(program.Panel(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return ShowsLamp(hButton, lamp);
    }, 5000);
}
