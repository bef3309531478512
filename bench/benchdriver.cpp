// Measures Aurelon3D.exe against floor programs that do the least the platform allows,
// in the same run, and prints one row per figure: program, floor, ratio, target.
// It drives the program from outside, as another process would: window messages,
// the simulated chip's mixer functions, the registry. CPU time, context switches and
// memory come from /proc of the Linux process under each Wine process.
//
//   benchdriver [runs [idle seconds]]   (the programs and chipsim.dll sit next to it)
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <shlwapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "chipsim/ChipSimClient.h"
#include "mixer/MixerDetails.h"

namespace
{
// The program's names, as another program sees them.
const char kMainClass[] = "Aurelon3DAudioControl";
const char kReceiverClass[] = "TaskBarButtonWindowClass";
const int kIdCenterTrackbar = 1001;
const int kIdEnabled = 1019;
const int kIdPresetButtons[] = { 1018, 1017, 1016 };
const UINT kCmdExit = 32773;
const UINT WM_TASKBARBUTTON = 0x524;
const UINT kFirstIconID = 1;
const UINT kCmdSettings = 32774;
const DWORD kCenterID = 39;
const DWORD kSpaceID = 38;
const int kStep = 65535 / 15;
const char kPresetRoot[] = "Software\\Aurelon\\Morvane\\Preset";

const char kFloorClass[] = "AurelonBenchFloorTray";
const UINT WM_FLOOR_TRAY = WM_APP;
const UINT WM_FLOOR_MARKER = WM_APP + 1;
const UINT WM_FLOOR_GETMARKER = WM_APP + 2;
const UINT WM_FLOOR_GETVALUE = WM_APP + 3;

std::string g_binDir;

// ---- time ---------------------------------------------------------------------------

double NowMs()
{
    static LARGE_INTEGER s_freq = {};
    if (s_freq.QuadPart == 0)
        ::QueryPerformanceFrequency(&s_freq);
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(s_freq.QuadPart);
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 != 0 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// dwPauseMs between looks: a look that messages the measured process costs it time.
bool PollUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs, DWORD dwPauseMs = 0)
{
    double dEnd = NowMs() + dwTimeoutMs;
    while (!cond())
    {
        if (NowMs() > dEnd)
            return false;
        ::Sleep(dwPauseMs);
    }
    return true;
}

// ---- the Linux side of a Wine process -----------------------------------------------
// Every Wine process is a Linux process. Wine's GetProcessTimes on another process's
// handle returns the caller's own times, and its peak memory is the current figure, so
// these figures are read from /proc, which Wine's Z: drive shows.

std::string ReadProcFile(const std::string& path)
{
    std::string text;
    HANDLE hFile = ::CreateFileA(("Z:\\proc\\" + path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return text;
    char buffer[4096];
    DWORD cbRead = 0;
    while (::ReadFile(hFile, buffer, sizeof(buffer), &cbRead, nullptr) && cbRead != 0)
        text.append(buffer, cbRead);
    ::CloseHandle(hFile);
    return text;
}

// The number after "Name:" in a /proc status-style text (0 when missing).
unsigned long long ProcField(const std::string& text, const char* pszName)
{
    size_t nPos = text.find(std::string("\n") + pszName + ":");
    return nPos == std::string::npos ? 0 : std::strtoull(text.c_str() + nPos + std::strlen(pszName) + 2, nullptr, 10);
}

// The numeric entries of a /proc folder.
std::vector<std::string> ProcEntries(const std::string& path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE hFind = ::FindFirstFileA(("Z:\\proc\\" + path + "*").c_str(), &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if (fd.cFileName[0] >= '1' && fd.cFileName[0] <= '9')
            names.push_back(fd.cFileName);
    } while (::FindNextFileA(hFind, &fd));
    ::FindClose(hFind);
    return names;
}

// Field n (counted from 1, as in proc(5)) of /proc/PID/stat; the name in field 2 may
// hold blanks, so counting starts after its closing parenthesis.
unsigned long long StatField(const std::string& pid, int nField)
{
    std::string stat = ReadProcFile(pid + "\\stat");
    size_t nPos = stat.rfind(')');
    if (nPos == std::string::npos)
        return 0;
    const char* p = stat.c_str() + nPos + 1;
    for (int n = 3; n < nField && *p != '\0'; ++n)
        p += std::strspn(p, " ") + std::strcspn(p + std::strspn(p, " "), " ");
    return std::strtoull(p, nullptr, 10);
}

struct CpuSample
{
    double dTicks;      // utime + stime of all threads, in clock ticks
    double dSwitches;   // voluntary and involuntary context switches of all threads
};

struct MemorySample
{
    double dPeakKiB;          // VmHWM: the most resident memory ever
    double dPrivateDirtyKiB;  // pages only this process has written
    double dAnonKiB;          // RssAnon: resident anonymous memory
};

class CLinuxProcess
{
public:
    // Finds the newest Linux process of this image: Wine gives it the image's file name
    // as its name and the image's Windows path as its first argument (other Wine
    // sessions on the machine run the same programs from other folders).
    BOOL Find(const std::string& imagePath)
    {
        const std::string name = imagePath.substr(imagePath.find_last_of('\\') + 1);
        const std::string comm = name.substr(0, 15) + "\n";  // the kernel keeps 15 characters
        unsigned long long nNewest = 0;
        for (const std::string& pid : ProcEntries(""))
        {
            if (ReadProcFile(pid + "\\comm") != comm ||
                lstrcmpiA(ReadProcFile(pid + "\\cmdline").c_str(), imagePath.c_str()) != 0)
                continue;
            unsigned long long nStart = StatField(pid, 22);
            if (m_pid.empty() || nStart > nNewest)
            {
                m_pid = pid;
                nNewest = nStart;
            }
        }
        return !m_pid.empty();
    }
    CpuSample Cpu() const
    {
        CpuSample sample = { 0.0, 0.0 };
        sample.dTicks = static_cast<double>(StatField(m_pid, 14) + StatField(m_pid, 15)); // utime, stime
        for (const std::string& tid : ProcEntries(m_pid + "\\task\\"))
        {
            std::string status = ReadProcFile(m_pid + "\\task\\" + tid + "\\status");
            sample.dSwitches += static_cast<double>(ProcField(status, "voluntary_ctxt_switches") +
                                                    ProcField(status, "nonvoluntary_ctxt_switches"));
        }
        return sample;
    }
    MemorySample Memory() const
    {
        std::string status = ReadProcFile(m_pid + "\\status");
        std::string rollup = ReadProcFile(m_pid + "\\smaps_rollup");
        MemorySample sample = { static_cast<double>(ProcField(status, "VmHWM")),
                                static_cast<double>(ProcField(rollup, "Private_Dirty")),
                                static_cast<double>(ProcField(status, "RssAnon")) };
        return sample;
    }

private:
    std::string m_pid;
};

// ---- processes and windows ----------------------------------------------------------

class CTarget
{
public:
    ~CTarget() { End(); }

    BOOL Start(const char* pszExe, const char* pszArgs)
    {
        m_exe = pszExe;
        std::string commandLine = "\"" + g_binDir + pszExe + "\"";
        if (*pszArgs != '\0')
            commandLine += std::string(" ") + pszArgs;
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::vector<char> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back('\0');
        return ::CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &si, &m_pi);
    }
    BOOL WaitForExit(DWORD dwTimeoutMs) const
    {
        return ::WaitForSingleObject(m_pi.hProcess, dwTimeoutMs) == WAIT_OBJECT_0;
    }
    // Asks a window of the process to end the program, then waits; kills it if it will not.
    void Close(HWND hWnd, UINT message, WPARAM wParam)
    {
        if (m_pi.hProcess == nullptr)
            return;
        if (hWnd != nullptr)
            ::PostMessageA(hWnd, message, wParam, 0);
        if (!WaitForExit(10000))
        {
            std::printf("warning: %lu did not end; killed\n", m_pi.dwProcessId);
            ::TerminateProcess(m_pi.hProcess, 99);
            WaitForExit(5000);
        }
        End();
    }
    void End()
    {
        if (m_pi.hProcess != nullptr)
        {
            if (!WaitForExit(0))
            {
                ::TerminateProcess(m_pi.hProcess, 99);
                WaitForExit(5000);
            }
            ::CloseHandle(m_pi.hProcess);
            ::CloseHandle(m_pi.hThread);
        }
        m_pi = {};
    }
    HANDLE Handle() const { return m_pi.hProcess; }
    DWORD Id() const { return m_pi.dwProcessId; }
    BOOL FindLinuxProcess(CLinuxProcess& process) const
    {
        return process.Find(g_binDir + m_exe);
    }

private:
    PROCESS_INFORMATION m_pi = {};
    std::string m_exe;
};

struct WindowQuery
{
    DWORD dwProcessId;
    const char* pszClass;
    std::function<bool(HWND)> accept;
    HWND hFound;
};

BOOL CALLBACK FindWindowProc(HWND hWnd, LPARAM lParam)
{
    WindowQuery* pQuery = reinterpret_cast<WindowQuery*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    char szClass[64];
    if (dwProcessId != pQuery->dwProcessId || ::GetClassNameA(hWnd, szClass, sizeof(szClass)) == 0 ||
        lstrcmpA(szClass, pQuery->pszClass) != 0)
        return TRUE;
    if (pQuery->accept && !pQuery->accept(hWnd))
        return TRUE;
    pQuery->hFound = hWnd;
    return FALSE;
}

HWND FindProcessWindow(DWORD dwProcessId, const char* pszClass, std::function<bool(HWND)> accept = {})
{
    WindowQuery query = { dwProcessId, pszClass, std::move(accept), nullptr };
    ::EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&query));
    return query.hFound;
}

HWND FindPanel(DWORD dwProcessId)
{
    return FindProcessWindow(dwProcessId, "#32770", [](HWND hWnd) {
        return ::GetDlgItem(hWnd, kIdEnabled) != nullptr && ::GetDlgItem(hWnd, kIdPresetButtons[0]) != nullptr;
    });
}

// Resident: main window, tray receiver (the icon is added with it) and a hidden panel.
bool IsProgramResident(DWORD dwProcessId)
{
    HWND hPanel = FindPanel(dwProcessId);
    return hPanel != nullptr && !::IsWindowVisible(hPanel) &&
           FindProcessWindow(dwProcessId, kMainClass) != nullptr &&
           FindProcessWindow(dwProcessId, kReceiverClass) != nullptr;
}

bool IsFloorResident(DWORD dwProcessId)
{
    return FindProcessWindow(dwProcessId, kFloorClass) != nullptr;
}

// Milliseconds from CreateProcess until the process has first gone idle (its message loop
// waits on an empty queue, so everything its start-up sends is done) and its windows exist.
double StartToResident(CTarget& target, const char* pszExe, bool (*pfnResident)(DWORD),
                       const char* pszArgs = "")
{
    double dStart = NowMs();
    if (!target.Start(pszExe, pszArgs))
        return -1.0;
    ::WaitForInputIdle(target.Handle(), 15000);
    if (!PollUntil([&] { return pfnResident(target.Id()); }, 15000))
        return -1.0;
    return NowMs() - dStart;
}

double StartToExit(const char* pszExe, const char* pszArgs)
{
    CTarget target;
    double dStart = NowMs();
    if (!target.Start(pszExe, pszArgs) || !target.WaitForExit(15000))
        return -1.0;
    return NowMs() - dStart;
}

void CloseProgram(CTarget& program)
{
    program.Close(FindPanel(program.Id()), WM_COMMAND, kCmdExit);
}

void CloseFloor(CTarget& floor)
{
    floor.Close(FindProcessWindow(floor.Id(), kFloorClass), WM_CLOSE, 0);
}

// ---- registry -----------------------------------------------------------------------

void CleanRegistry(bool bFactoryToo)
{
    ::SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Aurelon");
    if (bFactoryToo)
        ::SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Aurelon");
}

void SetFactoryPreset(int nPreset, int nCenter, int nSpace)
{
    std::string path = kPresetRoot + std::to_string(nPreset);
    HKEY hKey = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &hKey,
                          nullptr) != ERROR_SUCCESS)
        return;
    std::string center = std::to_string(nCenter), space = std::to_string(nSpace);
    ::RegSetValueExA(hKey, "Center", 0, REG_SZ, reinterpret_cast<const BYTE*>(center.c_str()),
                     static_cast<DWORD>(center.size() + 1));
    ::RegSetValueExA(hKey, "Space", 0, REG_SZ, reinterpret_cast<const BYTE*>(space.c_str()),
                     static_cast<DWORD>(space.size() + 1));
    ::RegCloseKey(hKey);
}

// ---- the simulated chip, written as another mixer program would ----------------------

class CChipWriter
{
public:
    explicit CChipWriter(const std::string& dllPath)
        : m_chip(dllPath.c_str()), m_hModule(::LoadLibraryA(dllPath.c_str()))
    {
        if (m_hModule != nullptr)
        {
            m_pfnOpen = reinterpret_cast<decltype(m_pfnOpen)>(
                reinterpret_cast<void*>(::GetProcAddress(m_hModule, "mixerOpen")));
            m_pfnSet = reinterpret_cast<decltype(m_pfnSet)>(
                reinterpret_cast<void*>(::GetProcAddress(m_hModule, "mixerSetControlDetails")));
            m_pfnClose = reinterpret_cast<decltype(m_pfnClose)>(
                reinterpret_cast<void*>(::GetProcAddress(m_hModule, "mixerClose")));
        }
    }
    ~CChipWriter()
    {
        if (m_hMixer != nullptr)
            m_pfnClose(m_hMixer);
        if (m_hModule != nullptr)
            ::FreeLibrary(m_hModule);
    }
    BOOL Open()
    {
        if (!m_chip.IsLoaded() || m_pfnOpen == nullptr || m_pfnSet == nullptr || m_pfnClose == nullptr)
            return FALSE;
        CHIPSIM_LAYOUT layout = { CHIPSIM_LAYOUT_SRS, CHIPSIM_DEFAULT_STEPS, CHIPSIM_DEFAULT_MAXIMUM, 0 };
        return m_chip.m_pfnSetLayout(&layout) && Reopen();
    }
    // Handles do not survive a layout change, and the program's start does not change it.
    BOOL Reopen()
    {
        if (m_hMixer != nullptr)
            m_pfnClose(m_hMixer);
        m_hMixer = nullptr;
        return m_pfnOpen(&m_hMixer, 0, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR;
    }
    BOOL Write(DWORD dwControlID, DWORD dwValue) const
    {
        MIXERCONTROLDETAILS details = SingleValueDetails(dwControlID, &dwValue);
        return m_pfnSet(reinterpret_cast<HMIXEROBJ>(m_hMixer), &details, 0) == MMSYSERR_NOERROR;
    }
    DWORD Value(DWORD dwControlID) const
    {
        DWORD dwValue = 0;
        m_chip.m_pfnGetValue(0, dwControlID, &dwValue);
        return dwValue;
    }
    // Writes to every control of the first device since the counts were cleared.
    DWORD TotalWrites() const
    {
        DWORD nTotal = 0;
        for (DWORD id = 0; id < 1024; ++id)
            nTotal += m_chip.m_pfnGetWriteCount(0, id);
        return nTotal;
    }
    void ClearWrites() const { m_chip.m_pfnClearWriteCounts(); }

private:
    CChipSimLibrary m_chip;
    HMODULE m_hModule;
    HMIXER m_hMixer = nullptr;
    MMRESULT(WINAPI* m_pfnOpen)(LPHMIXER, UINT, DWORD_PTR, DWORD_PTR, DWORD) = nullptr;
    MMRESULT(WINAPI* m_pfnSet)(HMIXEROBJ, LPMIXERCONTROLDETAILS, DWORD) = nullptr;
    MMRESULT(WINAPI* m_pfnClose)(HMIXER) = nullptr;
};

// Markers: a message posted behind everything else sent so far; once its effect shows,
// the process has handled all that came before it (sent messages would overtake).
// The program's marker is a page size of the Center trackbar, a window of its one thread.
void PostProgramMarker(HWND hPanel, LPARAM nMarker)
{
    ::PostMessageA(::GetDlgItem(hPanel, kIdCenterTrackbar), TBM_SETPAGESIZE, 0, nMarker);
}

bool ProgramMarkerSeen(HWND hPanel, LPARAM nMarker)
{
    return ::SendMessageA(::GetDlgItem(hPanel, kIdCenterTrackbar), TBM_GETPAGESIZE, 0, 0) == nMarker;
}

void SyncPanel(HWND hPanel)
{
    HWND hSlider = ::GetDlgItem(hPanel, kIdCenterTrackbar);
    LRESULT nPageSize = ::SendMessageA(hSlider, TBM_GETPAGESIZE, 0, 0);
    const LPARAM nMarker = 9999;
    PostProgramMarker(hPanel, nMarker);
    PollUntil([&] { return ProgramMarkerSeen(hPanel, nMarker); }, 5000);
    ::SendMessageA(hSlider, TBM_SETPAGESIZE, 0, nPageSize);
}

void PostFloorMarker(HWND hFloor, WPARAM nMarker)
{
    ::PostMessageA(hFloor, WM_FLOOR_MARKER, nMarker, 0);
}

bool FloorMarkerSeen(HWND hFloor, WPARAM nMarker)
{
    return static_cast<WPARAM>(::SendMessageA(hFloor, WM_FLOOR_GETMARKER, 0, 0)) == nMarker;
}

// ---- output -------------------------------------------------------------------------

// One row: both figures, their ratio, the target and, unless the row is for information
// only (pszTarget "info"), whether the target is met.
void PrintRow(const char* pszName, double dProgram, double dFloor, const char* pszTarget, bool bMet,
              int nDecimals = 1)
{
    char szRatio[32] = "-";
    if (dFloor > 0.0 && dProgram >= 0.0)
        std::snprintf(szRatio, sizeof(szRatio), "%.2f", dProgram / dFloor);
    const bool bInfo = std::strcmp(pszTarget, "info") == 0;
    std::printf("%-50s %12.*f %12.*f %8s  %-10s %s\n", pszName, nDecimals, dProgram, nDecimals, dFloor, szRatio,
                pszTarget, bInfo ? "" : bMet ? "met" : "MISSED");
}

void PrintInfo(const char* pszName, double dProgram, double dFloor, int nDecimals = 1)
{
    PrintRow(pszName, dProgram, dFloor, "info", true, nDecimals);
}

// ---- the measures -------------------------------------------------------------------

void MeasureStart(int nRuns)
{
    std::vector<double> program, floor, comctl;
    for (int i = -1; i < nRuns; ++i) // run -1 warms the caches and is not counted
    {
        CleanRegistry(false);
        CTarget target;
        double d = StartToResident(target, "Aurelon3D.exe", IsProgramResident);
        CloseProgram(target);
        if (i >= 0 && d >= 0.0)
            program.push_back(d);
        CTarget floorTarget;
        d = StartToResident(floorTarget, "floor_tray.exe", IsFloorResident);
        CloseFloor(floorTarget);
        if (i >= 0 && d >= 0.0)
            floor.push_back(d);
        CTarget comctlTarget;
        d = StartToResident(comctlTarget, "floor_tray.exe", IsFloorResident, "-comctl");
        CloseFloor(comctlTarget);
        if (i >= 0 && d >= 0.0)
            comctl.push_back(d);
    }
    double dProgram = Median(program), dFloor = Median(floor);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "start to resident, ms (median of %zu/%zu)", program.size(),
                  floor.size());
    PrintRow(szName, dProgram, dFloor, "<= 1.25", dProgram <= 1.25 * dFloor && !program.empty());
    PrintInfo("  the same against the floor with comctl32, ms", dProgram, Median(comctl));
}

// A start with an argument must only look for a resident instance, then end: its floor
// loads user32 and string 500 and calls FindWindowA. The empty program is the second floor.
void MeasureEnding(int nRuns)
{
    std::vector<double> program, floor, empty;
    for (int i = -1; i < nRuns; ++i)
    {
        double d = StartToExit("Aurelon3D.exe", "-x");
        if (i >= 0 && d >= 0.0)
            program.push_back(d);
        d = StartToExit("floor_findwindow.exe", "-x");
        if (i >= 0 && d >= 0.0)
            floor.push_back(d);
        d = StartToExit("floor_empty.exe", "-x");
        if (i >= 0 && d >= 0.0)
            empty.push_back(d);
    }
    double dProgram = Median(program), dFloor = Median(floor);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "start to exit with -x, ms (median of %zu/%zu)", program.size(),
                  floor.size());
    PrintRow(szName, dProgram, dFloor, "<= 1.15", dProgram <= 1.15 * dFloor && !program.empty());
    PrintInfo("  the same against the empty program, ms", dProgram, Median(empty));
}

// Shows a resident program's window as a click on its tray icon does, posted as the
// shell posts it, followed by a marker: done when the window is visible and the marker
// has been handled.
struct CClickTarget
{
    HWND hReceiver;
    UINT uMessage;
    WPARAM nIconID;
    HWND hShown;
    std::function<void(int)> postMarker;
    std::function<bool(int)> markerSeen;
};

double ClickToVisible(const CClickTarget& target, int nMarker)
{
    double dStart = NowMs();
    ::PostMessageA(target.hReceiver, target.uMessage, target.nIconID, WM_LBUTTONDOWN);
    ::PostMessageA(target.hReceiver, target.uMessage, target.nIconID, WM_LBUTTONUP);
    target.postMarker(nMarker);
    if (!PollUntil([&] { return ::IsWindowVisible(target.hShown) != FALSE; }, 5000) ||
        !PollUntil([&] { return target.markerSeen(nMarker); }, 5000))
        return -1.0;
    return NowMs() - dStart;
}

void HideAndSettle(HWND hWnd)
{
    ::ShowWindow(hWnd, SW_HIDE);
    ::Sleep(50);
}

// The program and the floor are resident side by side; each click of the program is
// followed by one of the floor.
void MeasureClick(CTarget& program, CTarget& floor, int nRuns)
{
    HWND hPanel = FindPanel(program.Id());
    HWND hFloor = FindProcessWindow(floor.Id(), kFloorClass);
    CClickTarget programClick = {
        FindProcessWindow(program.Id(), kReceiverClass), WM_TASKBARBUTTON, kFirstIconID, hPanel,
        [&](int n) { PostProgramMarker(hPanel, n); }, [&](int n) { return ProgramMarkerSeen(hPanel, n); }
    };
    CClickTarget floorClick = {
        hFloor, WM_FLOOR_TRAY, 1, hFloor,
        [&](int n) { PostFloorMarker(hFloor, static_cast<WPARAM>(n)); },
        [&](int n) { return FloorMarkerSeen(hFloor, static_cast<WPARAM>(n)); }
    };
    HWND hSlider = ::GetDlgItem(hPanel, kIdCenterTrackbar);
    LRESULT nPageSize = ::SendMessageA(hSlider, TBM_GETPAGESIZE, 0, 0);
    std::vector<double> programTimes, floorTimes;
    for (int i = -1; i < nRuns; ++i)
    {
        double d = ClickToVisible(programClick, 1000 + i);
        HideAndSettle(hPanel);
        if (i >= 0 && d >= 0.0)
            programTimes.push_back(d);
        d = ClickToVisible(floorClick, 1000 + i);
        HideAndSettle(hFloor);
        if (i >= 0 && d >= 0.0)
            floorTimes.push_back(d);
    }
    ::SendMessageA(hSlider, TBM_SETPAGESIZE, 0, nPageSize);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "tray click to window shown, ms (median of %zu/%zu)",
                  programTimes.size(), floorTimes.size());
    double dProgram = Median(programTimes), dFloor = Median(floorTimes);
    PrintRow(szName, dProgram, dFloor, "<= 1.5", dProgram <= 1.5 * dFloor && !programTimes.empty());
}

struct IdleFigures
{
    CpuSample program;
    CpuSample floor;
};

// What the program and the floor spend through the same idle seconds.
IdleFigures MeasureIdle(const CLinuxProcess& program, const CLinuxProcess& floor, DWORD dwIdleMs)
{
    CpuSample program0 = program.Cpu(), floor0 = floor.Cpu();
    ::Sleep(dwIdleMs);
    CpuSample program1 = program.Cpu(), floor1 = floor.Cpu();
    IdleFigures figures = { { program1.dTicks - program0.dTicks, program1.dSwitches - program0.dSwitches },
                            { floor1.dTicks - floor0.dTicks, floor1.dSwitches - floor0.dSwitches } };
    return figures;
}

void PrintIdle(const char* pszState, DWORD dwIdleMs, const IdleFigures& figures)
{
    char szName[64];
    std::snprintf(szName, sizeof(szName), "idle %lu s, %s: CPU ticks (1/100 s)", dwIdleMs / 1000, pszState);
    PrintRow(szName, figures.program.dTicks, figures.floor.dTicks, "0", figures.program.dTicks == 0.0, 0);
    std::snprintf(szName, sizeof(szName), "idle %lu s, %s: context switches", dwIdleMs / 1000, pszState);
    PrintRow(szName, figures.program.dSwitches, figures.floor.dSwitches, "0", figures.program.dSwitches == 0.0, 0);
}

// Memory and idle cost, hidden and then shown, and the tray click: the program and the
// floor run side by side through the same seconds, so whatever else the machine does
// falls on both.
void MeasureResident(DWORD dwIdleMs, int nClicks)
{
    CleanRegistry(false);
    CTarget program, floor;
    CLinuxProcess programLinux, floorLinux;
    if (StartToResident(program, "Aurelon3D.exe", IsProgramResident) < 0.0 ||
        StartToResident(floor, "floor_tray.exe", IsFloorResident) < 0.0)
    {
        std::printf("resident: a program did not become resident\n");
        return;
    }
    if (!program.FindLinuxProcess(programLinux) || !floor.FindLinuxProcess(floorLinux))
    {
        std::printf("resident: the Linux processes were not found in /proc\n");
        return;
    }
    MemorySample comctlHidden = { 0.0, 0.0, 0.0 };
    {
        CTarget comctl;
        CLinuxProcess comctlLinux;
        if (StartToResident(comctl, "floor_tray.exe", IsFloorResident, "-comctl") >= 0.0 &&
            comctl.FindLinuxProcess(comctlLinux))
        {
            ::Sleep(2000);
            comctlHidden = comctlLinux.Memory();
        }
        CloseFloor(comctl);
    }
    ::Sleep(2000); // the start's after-effects settle
    MemorySample programHidden = programLinux.Memory(), floorHidden = floorLinux.Memory();
    IdleFigures idleHidden = MeasureIdle(programLinux, floorLinux, dwIdleMs);

    // The floor first: showing the panel last keeps it in the foreground, so it stays up.
    HWND hPanel = FindPanel(program.Id());
    HWND hFloor = FindProcessWindow(floor.Id(), kFloorClass);
    ::PostMessageA(hFloor, WM_FLOOR_TRAY, 1, WM_LBUTTONUP);
    PollUntil([&] { return ::IsWindowVisible(hFloor) != FALSE; }, 5000);
    ::Sleep(200);
    ::PostMessageA(hPanel, WM_COMMAND, kCmdSettings, 0);
    PollUntil([&] { return ::IsWindowVisible(hPanel) != FALSE; }, 5000);
    ::Sleep(1000); // painting is not idling
    MemorySample programShown = programLinux.Memory(), floorShown = floorLinux.Memory();
    IdleFigures idleShown = MeasureIdle(programLinux, floorLinux, dwIdleMs);
    const bool bShown = ::IsWindowVisible(hPanel) != FALSE && ::IsWindowVisible(hFloor) != FALSE;
    HideAndSettle(hPanel);
    HideAndSettle(hFloor);
    MeasureClick(program, floor, nClicks);

    MemorySample programEnd = programLinux.Memory(), floorEnd = floorLinux.Memory();
    PrintRow("private dirty memory, hidden, KiB", programHidden.dPrivateDirtyKiB, floorHidden.dPrivateDirtyKiB,
             "<= 1.3", programHidden.dPrivateDirtyKiB <= 1.3 * floorHidden.dPrivateDirtyKiB, 0);
    PrintRow(bShown ? "private dirty memory, shown, KiB" : "private dirty memory, shown, KiB (NOT SHOWN)",
             programShown.dPrivateDirtyKiB, floorShown.dPrivateDirtyKiB, "<= 1.3",
             bShown && programShown.dPrivateDirtyKiB <= 1.3 * floorShown.dPrivateDirtyKiB, 0);
    PrintInfo("  hidden, against the floor with comctl32, KiB", programHidden.dPrivateDirtyKiB,
              comctlHidden.dPrivateDirtyKiB, 0);
    PrintInfo("resident anonymous memory (RssAnon), hidden, KiB", programHidden.dAnonKiB, floorHidden.dAnonKiB, 0);
    PrintInfo("peak resident memory (VmHWM), KiB", programEnd.dPeakKiB, floorEnd.dPeakKiB, 0);
    PrintIdle("hidden", dwIdleMs, idleHidden);
    PrintIdle(bShown ? "shown" : "shown (NOT SHOWN)", dwIdleMs, idleShown);

    CloseProgram(program);
    CloseFloor(floor);
}

// nChanges writes of the Center level by this process through the chip, then a marker:
// the time until the process has handled the last notification, per change. The floor
// reads the control on each notification, as the program does.
struct CFollower
{
    std::function<void(int)> postMarker;
    std::function<bool(int)> markerSeen;
    std::function<bool(int)> shows;   // the follower shows this position
};

double Follow(CChipWriter& chip, const CFollower& follower, int nChanges)
{
    chip.Write(kCenterID, 0);
    follower.postMarker(1);
    PollUntil([&] { return follower.markerSeen(1); }, 5000, 1);
    // Positions 0..14 in turn, then 15: the last value is the only one showing 15.
    double dStart = NowMs();
    for (int i = 1; i < nChanges; ++i)
        chip.Write(kCenterID, static_cast<DWORD>((i % 15) * kStep));
    chip.Write(kCenterID, static_cast<DWORD>(15 * kStep));
    follower.postMarker(2);
    bool bHandled = PollUntil([&] { return follower.markerSeen(2); }, 60000, 1);
    double dPerChange = (NowMs() - dStart) * 1000.0 / nChanges;
    return bHandled && follower.shows(15) ? dPerChange : -1.0;
}

// One change at a time: write, then watch until the follower shows it.
double OneChange(CChipWriter& chip, const CFollower& follower)
{
    std::vector<double> times;
    for (int i = 0; i < 200; ++i)
    {
        int nPosition = i % 2 == 0 ? 3 : 12;
        double dStart = NowMs();
        chip.Write(kCenterID, static_cast<DWORD>(nPosition * kStep));
        PollUntil([&] { return follower.shows(nPosition); }, 5000);
        times.push_back((NowMs() - dStart) * 1000.0);
    }
    return Median(times);
}

void MeasureFollow(CChipWriter& chip, int nChanges)
{
    double dProgram = -1.0, dFloor = -1.0, dProgramOne = 0.0, dFloorOne = 0.0;
    CleanRegistry(false);
    {
        CTarget program;
        if (StartToResident(program, "Aurelon3D.exe", IsProgramResident) >= 0.0 && chip.Reopen())
        {
            HWND hPanel = FindPanel(program.Id());
            HWND hSlider = ::GetDlgItem(hPanel, kIdCenterTrackbar);
            CFollower follower = {
                [&](int n) { PostProgramMarker(hPanel, n); }, [&](int n) { return ProgramMarkerSeen(hPanel, n); },
                [&](int n) { return ::SendMessageA(hSlider, TBM_GETPOS, 0, 0) == n; }
            };
            dProgram = Follow(chip, follower, nChanges);
            dProgramOne = OneChange(chip, follower);
        }
        CloseProgram(program);
    }
    {
        CTarget floor;
        if (StartToResident(floor, "floor_tray.exe", IsFloorResident, "-mixer") >= 0.0)
        {
            HWND hFloor = FindProcessWindow(floor.Id(), kFloorClass);
            CFollower follower = {
                [&](int n) { PostFloorMarker(hFloor, static_cast<WPARAM>(n)); },
                [&](int n) { return FloorMarkerSeen(hFloor, static_cast<WPARAM>(n)); },
                [&](int n) { return ::SendMessageA(hFloor, WM_FLOOR_GETVALUE, 0, 0) == n * kStep; }
            };
            dFloor = Follow(chip, follower, nChanges);
            dFloorOne = OneChange(chip, follower);
        }
        CloseFloor(floor);
    }
    char szName[64];
    std::snprintf(szName, sizeof(szName), "follow %d changes, us per change%s", nChanges,
                  dProgram >= 0.0 && dFloor >= 0.0 ? "" : " (LOST)");
    PrintRow(szName, dProgram, dFloor, "<= 1.5", dProgram >= 0.0 && dFloor > 0.0 && dProgram <= 1.5 * dFloor);
    PrintInfo("one change, us (median of 200)", dProgramOne, dFloorOne);
}

// Presets over random chip states: writes made against the levels that differ.
void MeasureWrites(CChipWriter& chip, int nTrials)
{
    const int kPresets[3][2] = { { 3, 12 }, { 8, 8 }, { 15, 0 } };
    CleanRegistry(true);
    for (int i = 0; i < 3; ++i)
        SetFactoryPreset(i + 1, kPresets[i][0], kPresets[i][1]);
    CTarget program;
    if (StartToResident(program, "Aurelon3D.exe", IsProgramResident) < 0.0 || !chip.Reopen())
    {
        std::printf("writes: the program did not become resident\n");
        return;
    }
    HWND hPanel = FindPanel(program.Id());
    unsigned int nSeed = 20240611;
    auto random = [&](int nRange) {
        nSeed = nSeed * 1103515245u + 12345u;
        return static_cast<int>((nSeed >> 16) % static_cast<unsigned int>(nRange));
    };
    // A level of a random state: often the preset's own value, else any position, now
    // and then a value between positions.
    auto level = [&](int nTarget) {
        int nKind = random(8);
        if (nKind < 2)
            return static_cast<DWORD>(nTarget * kStep);
        if (nKind == 2)
            return static_cast<DWORD>(random(65536));
        return static_cast<DWORD>(random(16) * kStep);
    };
    long nWrites = 0, nMinimum = 0, nWrong = 0;
    for (int t = 0; t < nTrials; ++t)
    {
        int nPreset = t % 3;
        DWORD dwCenter = static_cast<DWORD>(kPresets[nPreset][0] * kStep);
        DWORD dwSpace = static_cast<DWORD>(kPresets[nPreset][1] * kStep);
        // Set from outside: the notices deselect whatever preset was selected.
        chip.Write(kCenterID, level(kPresets[nPreset][0]));
        chip.Write(kSpaceID, level(kPresets[nPreset][1]));
        SyncPanel(hPanel);
        nMinimum += (chip.Value(kCenterID) != dwCenter ? 1 : 0) + (chip.Value(kSpaceID) != dwSpace ? 1 : 0);
        chip.ClearWrites();
        HWND hButton = ::GetDlgItem(hPanel, kIdPresetButtons[nPreset]);
        ::SendMessageA(hPanel, WM_COMMAND, MAKEWPARAM(kIdPresetButtons[nPreset], BN_CLICKED),
                       reinterpret_cast<LPARAM>(hButton));
        nWrites += static_cast<long>(chip.TotalWrites());
        if (chip.Value(kCenterID) != dwCenter || chip.Value(kSpaceID) != dwSpace)
            ++nWrong;
    }
    char szName[64];
    std::snprintf(szName, sizeof(szName), "preset writes over %d states (floor: minimum)", nTrials);
    PrintRow(szName, nWrites, nMinimum, "= minimum", nWrites == nMinimum && nWrong == 0, 0);
    if (nWrong != 0)
        std::printf("  %ld presets left the chip at other levels than theirs\n", nWrong);
    CloseProgram(program);
    CleanRegistry(true);
}

// benchdriver --time EXE [ARGS]: the median start-to-exit of any program, for finding
// where the time of the ending path goes.
int TimeOne(int argc, char** argv)
{
    std::vector<double> times;
    for (int i = 0; i < 11; ++i)
        times.push_back(StartToExit(argv[2], argc > 3 ? argv[3] : ""));
    std::printf("%s: %.3f ms\n", argv[2], Median(times));
    return 0;
}
}

int main(int argc, char** argv)
{
    int nRuns = argc > 1 ? std::atoi(argv[1]) : 21;
    DWORD dwIdleMs = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) * 1000 : 30000;
    char szPath[MAX_PATH];
    DWORD cch = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    g_binDir.assign(szPath, cch);
    g_binDir.erase(g_binDir.find_last_of('\\') + 1);

    std::string chipPath = g_binDir + "chipsim.dll";
    ::SetEnvironmentVariableA("AURELON_MIXER_DRIVER", chipPath.c_str());
    // This process holds the chip's state for the whole run.
    CChipWriter chip(chipPath);
    if (!chip.Open())
    {
        std::printf("cannot load the simulated chip %s\n", chipPath.c_str());
        return 1;
    }
    if (FindWindowA(kMainClass, nullptr) != nullptr)
    {
        std::printf("Aurelon3D.exe is already running; end it first\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (argc > 2 && lstrcmpA(argv[1], "--time") == 0)
        return TimeOne(argc, argv);
    MeasureStart(nRuns);
    MeasureEnding(nRuns);
    MeasureResident(dwIdleMs, nRuns);
    MeasureFollow(chip, 10000);
    MeasureWrites(chip, 1000);
    return 0;
}
