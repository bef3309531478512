// CRegistryKey against the real registry, inside a sandbox.
#include <windows.h>
#include <winternl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "support/RegistryKey.h"
#include "tests/common/ProcessCounters.h"
#include "tests/common/RegistrySandbox.h"

namespace
{
const char kPath[] = "Software\\Aurelon\\KeyTest";

// Kernel handles held by this process.
ULONG_PTR CountOwnHandles()
{
    return CountProcessHandles(GetCurrentProcessId());
}

BOOL IsLiveKey(HKEY hKey)
{
    DWORD nSubKeys = 0;
    return RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubKeys, NULL, NULL, NULL, NULL, NULL, NULL,
                            NULL) == ERROR_SUCCESS;
}
}

class RegistryKeyTest : public CRegistrySandboxTest
{
};

TEST_F(RegistryKeyTest, OpenMissingKeyFailsAndStaysClosed)
{
    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    EXPECT_FALSE(key.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetResult());
    EXPECT_FALSE(key.IsOpen());
    EXPECT_EQ(nullptr, key.GetHandle());
    // Opening never creates.
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPath));
}

TEST_F(RegistryKeyTest, CreateReportsWhetherTheKeyIsNew)
{
    BOOL bCreated = 7;
    {
        CRegistryKey key(HKEY_CURRENT_USER, kPath);
        ASSERT_TRUE(key.Open(TRUE, KEY_ALL_ACCESS, &bCreated, NULL, FALSE));
        EXPECT_EQ(1, bCreated);
        EXPECT_EQ(0, key.GetResult());
        EXPECT_TRUE(key.IsOpen());
        EXPECT_TRUE(IsLiveKey(key.GetHandle()));
    }
    EXPECT_TRUE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, kPath));
    CRegistryKey again(HKEY_CURRENT_USER, kPath);
    ASSERT_TRUE(again.Open(TRUE, KEY_ALL_ACCESS, &bCreated, "", FALSE));
    EXPECT_EQ(0, bCreated);
    // The plain open finds what create made.
    CRegistryKey opened(HKEY_CURRENT_USER, kPath);
    EXPECT_TRUE(opened.Open(FALSE, KEY_ALL_ACCESS, &bCreated, NULL, FALSE));
}

TEST_F(RegistryKeyTest, FailedCreateLeavesTheFlagAlone)
{
    CRegistryKey parent(HKEY_CURRENT_USER, kPath);   // never opened: NULL parent handle
    CRegistryKey child(parent.GetHandle(), "Child");
    BOOL bCreated = 7;
    EXPECT_FALSE(child.Open(TRUE, KEY_ALL_ACCESS, &bCreated, NULL, FALSE));
    EXPECT_NE(0, child.GetResult());
    EXPECT_EQ(7, bCreated);
    EXPECT_FALSE(child.IsOpen());
}

TEST_F(RegistryKeyTest, VolatileFlagReachesTheRegistry)
{
    // Only a volatile key refuses a lasting child; keys created on the way take the
    // same option, so the lasting tree is made first.
    CRegistryKey lasting(HKEY_CURRENT_USER, "Software\\Lasting");
    ASSERT_TRUE(lasting.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    CRegistryKey lastingChild(lasting.GetHandle(), "Child");
    EXPECT_TRUE(lastingChild.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, FALSE));

    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    ASSERT_TRUE(key.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, TRUE));
    CRegistryKey refused(key.GetHandle(), "Lasting");
    EXPECT_FALSE(refused.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    CRegistryKey passing(key.GetHandle(), "Passing");
    EXPECT_TRUE(passing.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, TRUE));
}

TEST_F(RegistryKeyTest, ChildKeysOpenRelativeToTheParentHandle)
{
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, "Software\\Aurelon\\KeyTest\\Sub",
                                           "N", 5));
    CRegistryKey parent(HKEY_CURRENT_USER, kPath);
    ASSERT_TRUE(parent.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    CRegistryKey child(parent.GetHandle(), "Sub");
    EXPECT_TRUE(child.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    CRegistryKey missing(parent.GetHandle(), "Other");
    EXPECT_FALSE(missing.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
}

TEST_F(RegistryKeyTest, CloseReleasesTheHandleOnce)
{
    ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_CURRENT_USER, kPath));
    CRegistryKey closed(HKEY_CURRENT_USER, "Software\\Aurelon\\Missing");
    // Nothing to close: the last result (the failed open) decides.
    EXPECT_FALSE(closed.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    EXPECT_FALSE(closed.Close());
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, closed.GetResult());

    ULONG_PTR nBefore = CountOwnHandles();
    HKEY hOther = NULL;
    {
        CRegistryKey key(HKEY_CURRENT_USER, kPath);
        ASSERT_TRUE(key.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
        HKEY hOld = key.GetHandle();
        EXPECT_TRUE(key.Close());
        EXPECT_FALSE(key.IsOpen());
        EXPECT_EQ(nullptr, key.GetHandle());
        EXPECT_FALSE(IsLiveKey(hOld));
        EXPECT_TRUE(key.Close());   // again: nothing is called, the success stands
        // A handle opened now may reuse the old value; the destructor must not close it.
        ASSERT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_ALL_ACCESS, &hOther));
    }
    EXPECT_TRUE(IsLiveKey(hOther));
    RegCloseKey(hOther);
    EXPECT_EQ(nBefore, CountOwnHandles());
}

TEST_F(RegistryKeyTest, NoHandleOutlivesItsKey)
{
    ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Software\\Aurelon\\KeyTest\\A"));
    ULONG_PTR nBefore = CountOwnHandles();
    ASSERT_NE(0u, nBefore);
    for (int i = 0; i < 20; ++i)
    {
        CRegistryKey key(HKEY_CURRENT_USER, kPath);
        ASSERT_TRUE(key.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
        // A second Open on the same object must not strand the first handle.
        ASSERT_TRUE(key.Open(TRUE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
        std::vector<std::string> names;
        ASSERT_TRUE(key.EnumSubKeys(names));
        CRegistryKey enumerated(HKEY_CURRENT_USER, kPath);
        ASSERT_TRUE(enumerated.EnumSubKeys(names));
    }
    EXPECT_EQ(nBefore, CountOwnHandles());
}

TEST_F(RegistryKeyTest, EnumeratesInIndexOrderAfterExistingEntries)
{
    const std::string strLong(200, 'L');
    const char* apszNames[] = {"Preset1", "b", "Preset3", strLong.c_str(), "Z"};
    for (const char* pszName : apszNames)
        ASSERT_TRUE(CRegistrySandbox::CreateKey(
            HKEY_CURRENT_USER, (std::string(kPath) + "\\" + pszName).c_str()));

    std::vector<std::string> expected = {"kept"};
    HKEY hRaw = NULL;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, kPath, 0, KEY_READ, &hRaw));
    char szName[300];
    for (DWORD i = 0; RegEnumKeyA(hRaw, i, szName, sizeof(szName)) == ERROR_SUCCESS; ++i)
        expected.push_back(szName);
    RegCloseKey(hRaw);
    ASSERT_EQ(6u, expected.size());

    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    ASSERT_TRUE(key.Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE));
    std::vector<std::string> names = {"kept"};
    EXPECT_TRUE(key.EnumSubKeys(names));
    EXPECT_EQ(expected, names);
    EXPECT_EQ(0, key.GetResult());
}

TEST_F(RegistryKeyTest, EnumerationWithoutSubKeysKeepsTheList)
{
    ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, kPath, "Value", 1));
    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    std::vector<std::string> names = {"one", "two"};
    // Never opened: the enumeration opens it itself.
    EXPECT_TRUE(key.EnumSubKeys(names));
    EXPECT_TRUE(key.IsOpen());
    EXPECT_EQ((std::vector<std::string>{"one", "two"}), names);
}

TEST_F(RegistryKeyTest, EnumerationOfMissingKeyLeavesTheListAlone)
{
    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    std::vector<std::string> names = {"one"};
    EXPECT_FALSE(key.EnumSubKeys(names));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, key.GetResult());
    EXPECT_EQ(std::vector<std::string>{"one"}, names);
    EXPECT_FALSE(key.IsOpen());
}

TEST_F(RegistryKeyTest, FailedEnumerationEmptiesTheList)
{
    ASSERT_TRUE(CRegistrySandbox::CreateKey(HKEY_CURRENT_USER, "Software\\Aurelon\\KeyTest\\A"));
    CRegistryKey key(HKEY_CURRENT_USER, kPath);
    // A handle that may only set values cannot count or name the sub-keys.
    ASSERT_TRUE(key.Open(FALSE, KEY_SET_VALUE, NULL, NULL, FALSE));
    std::vector<std::string> names = {"stale"};
    EXPECT_FALSE(key.EnumSubKeys(names));
    EXPECT_TRUE(names.empty());
    EXPECT_EQ(-1, key.GetResult());
}
