// Measures Aurelon3D.exe against floor programs that do the least the platform allows,
// in the same run, and prints one row per figure: program, floor, ratio, target.
// It drives the program from outside, as another process would: window messages,
// the simulated chip's mixer functions, the registry.
//
//   benchdriver [runs]      (the programs and chipsim.dll sit next to this executable)
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <psapi.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include "chipsim/ChipSimClient.h"

namespace
{
// The program's names, as another program sees them.
const char kMainClass[] = "Aurelon3DAudioControl";
const char kReceiverClass[] = "TaskBarButtonWindowClass";
const int kIdCenterTrackbar = 1001;
const int kIdEnabled = 1019;
const int kIdPresetButtons[] = { 1018, 1017, 1016 };
const UINT kCmdExit = 32773;
const UINT kCmdSettings = 32774;
const DWORD kCenterID = 39;
const DWORD kSpaceID = 38;
const int kStep = 65535 / 15;
const char kPresetRoot[] = "Software\\Aurelon\\Morvane\\Preset";

const char kFloorClass[] = "AurelonBenchFloorTray";
const UINT WM_FLOOR_COUNT = WM_APP + 1;
const UINT WM_FLOOR_GETCOUNT = WM_APP + 2;

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

bool PollUntil(const std::function<bool()>& cond, DWORD dwTimeoutMs)
{
    double dEnd = NowMs() + dwTimeoutMs;
    while (!cond())
    {
        if (NowMs() > dEnd)
            return false;
        ::Sleep(0);
    }
    return true;
}

// ---- processes and windows ----------------------------------------------------------

class CTarget
{
public:
    ~CTarget() { End(); }

    BOOL Start(const char* pszExe, const char* pszArgs)
    {
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

private:
    PROCESS_INFORMATION m_pi = {};
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
double StartToResident(CTarget& target, const char* pszExe, bool (*pfnResident)(DWORD))
{
    double dStart = NowMs();
    if (!target.Start(pszExe, ""))
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
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Aurelon");
    if (bFactoryToo)
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Aurelon");
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
        MIXERCONTROLDETAILS_UNSIGNED detail = { dwValue };
        MIXERCONTROLDETAILS details = {};
        details.cbStruct = sizeof(details);
        details.dwControlID = dwControlID;
        details.cChannels = 1;
        details.cbDetails = sizeof(detail);
        details.paDetails = &detail;
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

// Everything posted to the panel's thread so far has been handled: a marker page size
// posted behind it reaches the Center trackbar (sent messages would overtake).
void SyncPanel(HWND hPanel)
{
    HWND hSlider = ::GetDlgItem(hPanel, kIdCenterTrackbar);
    LRESULT nPageSize = ::SendMessageA(hSlider, TBM_GETPAGESIZE, 0, 0);
    const LPARAM nMarker = 9999;
    ::PostMessageA(hSlider, TBM_SETPAGESIZE, 0, nMarker);
    PollUntil([&] { return ::SendMessageA(hSlider, TBM_GETPAGESIZE, 0, 0) == nMarker; }, 5000);
    ::SendMessageA(hSlider, TBM_SETPAGESIZE, 0, nPageSize);
}

// ---- output -------------------------------------------------------------------------

void PrintRow(const char* pszName, double dProgram, double dFloor, const char* pszTarget, bool bMet)
{
    char szRatio[32] = "-";
    if (dFloor > 0.0)
        std::snprintf(szRatio, sizeof(szRatio), "%.2f", dProgram / dFloor);
    std::printf("%-46s %12.3f %12.3f %8s  %-12s %s\n", pszName, dProgram, dFloor, szRatio, pszTarget,
                bMet ? "met" : "MISSED");
}

// ---- the measures -------------------------------------------------------------------

void MeasureStart(int nRuns)
{
    std::vector<double> program, floor;
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
    }
    double dProgram = Median(program), dFloor = Median(floor);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "start to resident, ms (median of %zu/%zu)", program.size(),
                  floor.size());
    PrintRow(szName, dProgram, dFloor, "<= 1.25", dProgram <= 1.25 * dFloor && !program.empty());
}

void MeasureEnding(int nRuns)
{
    std::vector<double> program, floor;
    for (int i = -1; i < nRuns; ++i)
    {
        double d = StartToExit("Aurelon3D.exe", "-x");
        if (i >= 0 && d >= 0.0)
            program.push_back(d);
        d = StartToExit("floor_empty.exe", "");
        if (i >= 0 && d >= 0.0)
            floor.push_back(d);
    }
    double dProgram = Median(program), dFloor = Median(floor);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "start to exit with -x, ms (median of %zu/%zu)", program.size(),
                  floor.size());
    PrintRow(szName, dProgram, dFloor, "<= 1.10", dProgram <= 1.10 * dFloor && !program.empty());
}

double CpuMs(HANDLE hProcess)
{
    FILETIME ftCreation, ftExit, ftKernel, ftUser;
    if (!::GetProcessTimes(hProcess, &ftCreation, &ftExit, &ftKernel, &ftUser))
        return 0.0;
    ULARGE_INTEGER kernel = { { ftKernel.dwLowDateTime, ftKernel.dwHighDateTime } };
    ULARGE_INTEGER user = { { ftUser.dwLowDateTime, ftUser.dwHighDateTime } };
    return static_cast<double>(kernel.QuadPart + user.QuadPart) / 10000.0;
}

PROCESS_MEMORY_COUNTERS_EX Memory(HANDLE hProcess)
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    ::GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
    return pmc;
}

// Memory and idle CPU: the program and the floor run side by side through the same
// seconds, so whatever else the machine does falls on both.
void MeasureMemoryAndIdle(DWORD dwIdleMs)
{
    CleanRegistry(false);
    CTarget program, floor;
    if (StartToResident(program, "Aurelon3D.exe", IsProgramResident) < 0.0 ||
        StartToResident(floor, "floor_tray.exe", IsFloorResident) < 0.0)
    {
        std::printf("memory/idle: a program did not become resident\n");
        return;
    }
    ::Sleep(2000); // the start's after-effects settle
    PROCESS_MEMORY_COUNTERS_EX memProgram = Memory(program.Handle()), memFloor = Memory(floor.Handle());

    double dProgram0 = CpuMs(program.Handle()), dFloor0 = CpuMs(floor.Handle());
    ::Sleep(dwIdleMs);
    double dProgramHidden = CpuMs(program.Handle()) - dProgram0, dFloorHidden = CpuMs(floor.Handle()) - dFloor0;

    HWND hPanel = FindPanel(program.Id());
    ::PostMessageA(hPanel, WM_COMMAND, kCmdSettings, 0);
    PollUntil([&] { return ::IsWindowVisible(hPanel) != FALSE; }, 5000);
    bool bShown = ::IsWindowVisible(hPanel) != FALSE;
    ::Sleep(1000); // painting the panel is not idling
    dProgram0 = CpuMs(program.Handle());
    dFloor0 = CpuMs(floor.Handle());
    ::Sleep(dwIdleMs);
    double dProgramShown = CpuMs(program.Handle()) - dProgram0, dFloorShown = CpuMs(floor.Handle()) - dFloor0;
    PROCESS_MEMORY_COUNTERS_EX memProgramShown = Memory(program.Handle());

    const double kKiB = 1024.0;
    PrintRow("peak private memory, KiB", memProgram.PeakPagefileUsage / kKiB, memFloor.PeakPagefileUsage / kKiB,
             "<= 1.5", memProgram.PeakPagefileUsage <= 1.5 * memFloor.PeakPagefileUsage);
    // Wine leaves PrivateUsage at 0; PagefileUsage is the same commit charge.
    PrintRow("steady private memory (hidden), KiB", memProgram.PagefileUsage / kKiB, memFloor.PagefileUsage / kKiB,
             "<= 1.5", memProgram.PagefileUsage <= 1.5 * memFloor.PagefileUsage);
    PrintRow("steady private memory (panel shown), KiB", memProgramShown.PagefileUsage / kKiB,
             memFloor.PagefileUsage / kKiB, "info", true);
    PrintRow("working set (hidden), KiB", memProgram.WorkingSetSize / kKiB, memFloor.WorkingSetSize / kKiB,
             "info", true);
    char szName[64];
    std::snprintf(szName, sizeof(szName), "idle CPU over %lu s, hidden, ms", dwIdleMs / 1000);
    PrintRow(szName, dProgramHidden, dFloorHidden, "+0 ms", dProgramHidden <= dFloorHidden);
    std::snprintf(szName, sizeof(szName), "idle CPU over %lu s, panel shown%s, ms", dwIdleMs / 1000,
                  bShown ? "" : " (NOT SHOWN)");
    PrintRow(szName, dProgramShown, dFloorShown, "+0 ms", bShown && dProgramShown <= dFloorShown);

    CloseProgram(program);
    CloseFloor(floor);
}

// Follow: nChanges writes of the Center level by this process through the chip; the
// time until the trackbar shows the last one, per change. The floor posts as many plain
// messages to a bare window and waits until it has counted them all.
void MeasureFollow(CChipWriter& chip, int nChanges)
{
    CleanRegistry(false);
    CTarget program, floor;
    if (StartToResident(program, "Aurelon3D.exe", IsProgramResident) < 0.0 ||
        StartToResident(floor, "floor_tray.exe", IsFloorResident) < 0.0 || !chip.Reopen())
    {
        std::printf("follow: a program did not become resident\n");
        return;
    }
    HWND hSlider = ::GetDlgItem(FindPanel(program.Id()), kIdCenterTrackbar);
    auto pos = [&] { return ::SendMessageA(hSlider, TBM_GETPOS, 0, 0); };

    // Positions 0..14 in turn, then 15: the last value is the only one showing 15.
    chip.Write(kCenterID, 0);
    PollUntil([&] { return pos() == 0; }, 5000);
    double dStart = NowMs();
    for (int i = 1; i < nChanges; ++i)
        chip.Write(kCenterID, static_cast<DWORD>((i % 15) * kStep));
    chip.Write(kCenterID, static_cast<DWORD>(15 * kStep));
    bool bFollowed = PollUntil([&] { return pos() == 15; }, 60000);
    double dProgram = (NowMs() - dStart) * 1000.0 / nChanges;

    HWND hFloor = FindProcessWindow(floor.Id(), kFloorClass);
    ::SendMessageA(hFloor, WM_FLOOR_GETCOUNT, 1, 0);
    dStart = NowMs();
    for (int i = 0; i < nChanges; ++i)
        ::PostMessageA(hFloor, WM_FLOOR_COUNT, static_cast<WPARAM>(i), 0);
    PollUntil([&] { return ::SendMessageA(hFloor, WM_FLOOR_GETCOUNT, 0, 0) >= nChanges; }, 60000);
    double dFloor = (NowMs() - dStart) * 1000.0 / nChanges;

    char szName[64];
    std::snprintf(szName, sizeof(szName), "follow %d changes, us per change%s", nChanges,
                  bFollowed ? "" : " (LOST)");
    PrintRow(szName, dProgram, dFloor, "<= 3.00", bFollowed && dProgram <= 3.0 * dFloor);

    // One change at a time: write, then watch the trackbar until it shows it.
    std::vector<double> one, oneFloor;
    for (int i = 0; i < 200; ++i)
    {
        int nPosition = i % 2 == 0 ? 3 : 12;
        dStart = NowMs();
        chip.Write(kCenterID, static_cast<DWORD>(nPosition * kStep));
        while (pos() != nPosition && NowMs() - dStart < 5000)
            ;
        one.push_back((NowMs() - dStart) * 1000.0);
        ::SendMessageA(hFloor, WM_FLOOR_GETCOUNT, 1, 0);
        dStart = NowMs();
        ::PostMessageA(hFloor, WM_FLOOR_COUNT, 0, 0);
        while (::SendMessageA(hFloor, WM_FLOOR_GETCOUNT, 0, 0) < 1 && NowMs() - dStart < 5000)
            ;
        oneFloor.push_back((NowMs() - dStart) * 1000.0);
    }
    dProgram = Median(one);
    dFloor = Median(oneFloor);
    PrintRow("one change, us (median of 200)", dProgram, dFloor, "info", true);

    CloseProgram(program);
    CloseFloor(floor);
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
    PrintRow(szName, nWrites, nMinimum, "= minimum", nWrites == nMinimum && nWrong == 0);
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
    MeasureMemoryAndIdle(dwIdleMs);
    MeasureFollow(chip, 10000);
    MeasureWrites(chip, 1000);
    return 0;
}
