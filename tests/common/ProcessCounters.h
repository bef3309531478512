// What a process holds, counted from outside: kernel handles, windows and private memory.
// GetProcessHandleCount and GetGuiResources are stubs under Wine, so the handle count
// comes from the system's handle table.
#ifndef AURELON_TESTS_COMMON_PROCESSCOUNTERS_H
#define AURELON_TESTS_COMMON_PROCESSCOUNTERS_H

#include <windows.h>
#include <string>

// Kernel handles held by a process (0 when the table cannot be read).
ULONG_PTR CountProcessHandles(DWORD dwProcessId);
// Windows of a process: its top-level windows and all their descendants.
size_t CountProcessWindows(DWORD dwProcessId);
// Private bytes committed by a process (0 when it cannot be opened).
SIZE_T ProcessPrivateBytes(DWORD dwProcessId);

struct ProcessCounters
{
    ULONG_PTR nHandles = 0;
    size_t nWindows = 0;
    SIZE_T cbPrivate = 0;
};
ProcessCounters TakeProcessCounters(DWORD dwProcessId);
// "handles 41, windows 17, private 1234 KiB"
std::string DescribeCounters(const ProcessCounters& counters);

#endif
