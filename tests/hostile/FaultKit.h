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

// Handles and windows must come back exactly; private memory within a small allowance
// for heap growth that is reused, not leaked.
inline void ExpectFlat(const char* pszWhat, const ProcessCounters& before, const ProcessCounters& after)
{
    std::printf("[ figures  ] %s: before %s; after %s\n", pszWhat, DescribeCounters(before).c_str(),
                DescribeCounters(after).c_str());
    EXPECT_NE(before.nHandles, 0u);
    EXPECT_LE(after.nHandles, before.nHandles + 2) << pszWhat;
    EXPECT_EQ(after.nWindows, before.nWindows) << pszWhat;
    EXPECT_LE(after.cbPrivate, before.cbPrivate + 512 * 1024) << pszWhat;
}

// Shows or hides the panel the way a second start does (synchronous).
inline void ShowPanel(const CAurelonProgram& program, BOOL bShow)
{
    ::SendMessageA(program.MainWnd(), WM_INSTANCENOTIFY, bShow ? 1 : 0, 0);
}

#endif
