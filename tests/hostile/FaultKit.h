// Shared pieces of the fault tests: a resident program with its panel shown, and the
// process figures taken before and after a stress run.
#ifndef AURELON_TESTS_HOSTILE_FAULTKIT_H
#define AURELON_TESTS_HOSTILE_FAULTKIT_H

#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include "AurelonProgram.h"
#include "ProcessCounters.h"
#include "app/PrivateMessages.h"
#include "mixer/Mixer3D.h"

// Repetitions: the short count in ctest, or AURELON_LONGRUN_SCALE times it (scripts/longrun).
inline int Repetitions(int nShort)
{
    const char* pszScale = std::getenv("AURELON_LONGRUN_SCALE");
    int nScale = pszScale != nullptr ? std::atoi(pszScale) : 1;
    return nShort * (nScale > 0 ? nScale : 1);
}

// Heap checking for the program (scripts/test's second pass) delays the reuse of freed
// blocks, so its private memory grows by design and says nothing about leaks.
inline bool ProgramHeapChecked()
{
    DWORD dwFlags = 0;
    DWORD cbFlags = sizeof(dwFlags);
    return ::RegGetValueA(HKEY_LOCAL_MACHINE,
                          "Software\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\Aurelon3D.exe",
                          "GlobalFlag", RRF_RT_REG_DWORD, nullptr, &dwFlags, &cbFlags) == ERROR_SUCCESS &&
           dwFlags != 0;
}

// Handles and windows must come back exactly. Private memory may grow once by a small
// allowance (heap and caches that are then reused); a leak grows it in proportion to the
// cycles, so the second half of a run (from middle to after) must add almost nothing.
inline void ExpectFlat(const char* pszWhat, const ProcessCounters& before,
                       const ProcessCounters& middle, const ProcessCounters& after)
{
    std::printf("[ figures  ] %s: before %s; half way %s; after %s\n", pszWhat,
                DescribeCounters(before).c_str(), DescribeCounters(middle).c_str(),
                DescribeCounters(after).c_str());
    EXPECT_NE(before.nHandles, 0u);
    EXPECT_NE(before.cbPrivate, 0u) << "no private memory figure";
    EXPECT_LE(after.nHandles, before.nHandles + 2) << pszWhat;
    EXPECT_EQ(after.nWindows, before.nWindows) << pszWhat;
    if (ProgramHeapChecked())
        return;
    const SIZE_T cbOnce = 512 * 1024;
    const SIZE_T cbNoise = 128 * 1024;
    // Under an emulator (scripts/test names it) the figure also holds the emulator's
    // translated code, which grows once by megabytes as new code paths run.
    if (std::getenv("AURELON_EMULATOR") == nullptr)
    {
        EXPECT_LE(after.cbPrivate, before.cbPrivate + cbOnce) << pszWhat;
    }
    EXPECT_LE(after.cbPrivate, middle.cbPrivate + cbNoise) << pszWhat << ": grows with the cycles";
}

// The figures half way through a run, once the program has handled what was sent.
inline ProcessCounters HalfWay(const CAurelonProgram& program, DWORD dwProcessId)
{
    program.Sync();
    return TakeProcessCounters(dwProcessId);
}

// Shows or hides the panel the way a second start does (synchronous).
inline void ShowPanel(const CAurelonProgram& program, BOOL bShow)
{
    SendTo(program.MainWnd(), WM_INSTANCENOTIFY, bShow ? 1 : 0, 0);
}

#endif
