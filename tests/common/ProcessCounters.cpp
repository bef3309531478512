#include "ProcessCounters.h"
#include <winternl.h>
#include <psapi.h>
#include <vector>

namespace
{
// One entry of SystemExtendedHandleInformation.
struct HandleEntry
{
    PVOID pObject;
    ULONG_PTR nProcessId;
    ULONG_PTR hValue;
    ULONG nAccess;
    USHORT nBackTrace;
    USHORT nType;
    ULONG nAttributes;
    ULONG nReserved;
};
struct HandleTable
{
    ULONG_PTR nHandles;
    ULONG_PTR nReserved;
    HandleEntry entries[1];
};

BOOL CALLBACK CountChild(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<size_t*>(lParam);
    return TRUE;
}

struct WindowCount
{
    DWORD dwProcessId;
    size_t nWindows;
};

BOOL CALLBACK CountTopLevel(HWND hWnd, LPARAM lParam)
{
    WindowCount* pCount = reinterpret_cast<WindowCount*>(lParam);
    DWORD dwProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId == pCount->dwProcessId)
    {
        ++pCount->nWindows;
        ::EnumChildWindows(hWnd, CountChild, reinterpret_cast<LPARAM>(&pCount->nWindows));
    }
    return TRUE;
}
}

ULONG_PTR CountProcessHandles(DWORD dwProcessId)
{
    const SYSTEM_INFORMATION_CLASS kExtendedHandleInformation =
        static_cast<SYSTEM_INFORMATION_CLASS>(64);
    std::vector<BYTE> buffer(1 << 16);
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(kExtendedHandleInformation, buffer.data(),
                                              static_cast<ULONG>(buffer.size()), NULL)) ==
           static_cast<NTSTATUS>(0xC0000004L))
        buffer.resize(buffer.size() * 2);
    if (status != 0)
        return 0;
    const HandleTable* pTable = reinterpret_cast<const HandleTable*>(buffer.data());
    ULONG_PTR nOwn = 0;
    for (ULONG_PTR i = 0; i < pTable->nHandles; ++i)
        if (pTable->entries[i].nProcessId == dwProcessId)
            ++nOwn;
    return nOwn;
}

size_t CountProcessWindows(DWORD dwProcessId)
{
    WindowCount count = { dwProcessId, 0 };
    ::EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    return count.nWindows;
}

SIZE_T ProcessPrivateBytes(DWORD dwProcessId)
{
    HANDLE hProcess = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dwProcessId);
    if (hProcess == nullptr)
        return 0;
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof(pmc);
    SIZE_T cbPrivate = 0;
    if (::GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc)))
        cbPrivate = pmc.PrivateUsage != 0 ? pmc.PrivateUsage : pmc.PagefileUsage;   // Wine may leave PrivateUsage 0
    ::CloseHandle(hProcess);
    return cbPrivate;
}

ProcessCounters TakeProcessCounters(DWORD dwProcessId)
{
    ProcessCounters counters;
    counters.nHandles = CountProcessHandles(dwProcessId);
    counters.nWindows = CountProcessWindows(dwProcessId);
    counters.cbPrivate = ProcessPrivateBytes(dwProcessId);
    return counters;
}

std::string DescribeCounters(const ProcessCounters& counters)
{
    return "handles " + std::to_string(counters.nHandles) + ", windows " +
           std::to_string(counters.nWindows) + ", private " +
           std::to_string(counters.cbPrivate / 1024) + " KiB";
}
