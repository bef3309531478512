// Stored registry values of every shape, for the hostile registry tests, and the count
// of cases tried that the run prints at its end.
#ifndef AURELON_TESTS_HOSTILE_REGISTRYSHAPES_H
#define AURELON_TESTS_HOSTILE_REGISTRYSHAPES_H

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "RegistrySandbox.h"

// A stored value: type and exact bytes; bMissing leaves it out.
struct RawValue
{
    RawValue(DWORD type, const std::string& bytes, bool missing = false)
        : dwType(type), data(bytes), bMissing(missing)
    {
    }

    DWORD dwType;
    std::string data;
    bool bMissing;
};

inline RawValue Missing() { return { REG_NONE, "", true }; }
inline RawValue Text(const std::string& str, DWORD dwType = REG_SZ)
{
    return { dwType, str + std::string(1, '\0') };
}
// Text stored without its terminator.
inline RawValue Unterminated(const std::string& str) { return { REG_SZ, str }; }
inline RawValue Dword(DWORD dw) { return { REG_DWORD, std::string(reinterpret_cast<const char*>(&dw), 4) }; }
inline RawValue Binary(size_t cb) { return { REG_BINARY, std::string(cb, '\x01') }; }

// Stores the value, or only its key when the value is to be missing.
inline void Store(HKEY hRoot, const char* pszPath, const char* pszName, const RawValue& value)
{
    if (value.bMissing)
        ASSERT_TRUE(CRegistrySandbox::CreateKey(hRoot, pszPath));
    else
        ASSERT_TRUE(CRegistrySandbox::SetRaw(hRoot, pszPath, pszName, value.dwType,
                                             value.data.data(), static_cast<DWORD>(value.data.size())));
}

// The wrong types and broken shapes every value is tried with.
inline std::vector<std::pair<std::string, RawValue>> BrokenShapes()
{
    return {
        { "missing", Missing() },
        { "REG_DWORD", Dword(7) },
        { "REG_SZ 7", Text("7") },
        { "REG_EXPAND_SZ", Text("7", REG_EXPAND_SZ) },
        { "REG_MULTI_SZ", { REG_MULTI_SZ, std::string("7\0\0", 3) } },
        { "REG_BINARY 3", Binary(3) },
        { "REG_BINARY 5", Binary(5) },
        { "REG_SZ size 0", { REG_SZ, "" } },
        { "REG_SZ unterminated", Unterminated("7") },
        { "REG_SZ 64 KiB", Text(std::string(65536, '7')) },
        { "REG_SZ non-ASCII", Text("\xC4\xD6\xDC") },
        { "REG_SZ double-byte", Text("\x82\xA0\x83\x41") },
    };
}

// Hostile registry cases tried in this run (all test files add to it).
inline int& HostileCases()
{
    static int s_nCases = 0;
    return s_nCases;
}

#endif
