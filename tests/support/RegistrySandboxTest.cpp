// The test kit's registry sandbox: isolation from the real keys and from other sandboxes.
#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/common/RegistrySandbox.h"

TEST(RegistrySandboxTest, RedirectsBothRootsAndCleansUp)
{
    // The prefix always has its own Wine settings under the real HKCU.
    ASSERT_TRUE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Wine"));
    ASSERT_TRUE(CRegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft"));
    std::string strScratch;
    {
        CRegistrySandbox sandbox;
        ASSERT_TRUE(sandbox.IsActive());
        strScratch = sandbox.GetScratchPath(HKEY_CURRENT_USER);
        EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Wine"));
        EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Microsoft"));
        ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_CURRENT_USER, "Software\\Probe", "U", 1));
        ASSERT_TRUE(CRegistrySandbox::SetDword(HKEY_LOCAL_MACHINE, "Software\\Probe", "M", 2));
        DWORD dwType = 0;
        std::vector<BYTE> raw;
        EXPECT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, "Software\\Probe", "U", &dwType, raw));
        EXPECT_FALSE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, "Software\\Probe", "M", &dwType, raw));
    }
    EXPECT_TRUE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Wine"));
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Probe"));
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_LOCAL_MACHINE, "Software\\Probe"));
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, strScratch.c_str()));

    // The next sandbox starts empty.
    CRegistrySandbox next;
    ASSERT_TRUE(next.IsActive());
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, "Software\\Probe"));
}

TEST(RegistrySandboxTest, RawValuesKeepTheirExactBytes)
{
    CRegistrySandbox sandbox;
    ASSERT_TRUE(sandbox.IsActive());
    const char* pszPath = "Software\\Probe";
    DWORD dwType = 0;
    std::vector<BYTE> raw;
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, pszPath, "Bare", REG_SZ, "abc", 3));
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, pszPath, "Bare", &dwType, raw));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), dwType);
    EXPECT_EQ(std::string("abc"), std::string(raw.begin(), raw.end()));
    ASSERT_TRUE(CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, pszPath, "Zero", REG_SZ, "", 0));
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, pszPath, "Zero", &dwType, raw));
    EXPECT_TRUE(raw.empty());
    ASSERT_TRUE(CRegistrySandbox::SetText(HKEY_CURRENT_USER, pszPath, "Expand", "%X%", REG_EXPAND_SZ));
    ASSERT_TRUE(CRegistrySandbox::GetRaw(HKEY_CURRENT_USER, pszPath, "Expand", &dwType, raw));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), dwType);
    EXPECT_EQ(std::string("%X%", 4), std::string(raw.begin(), raw.end()));
    EXPECT_TRUE(CRegistrySandbox::DeleteKey(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(CRegistrySandbox::KeyExists(HKEY_CURRENT_USER, pszPath));
}
