// Registry sandbox for tests. While a CRegistrySandbox lives, HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE of this process are redirected (RegOverridePredefKey) onto two fresh,
// empty scratch keys; its destructor undoes the redirection and deletes both scratch keys.
// Code under test keeps using the predefined roots and sees only what the test put there,
// never the prefix's real keys or another test's. Other processes are not affected.
//
//     TEST_F(CRegistrySandboxTest, Something)   // the fixture holds a sandbox
//     {
//         CRegistrySandbox::SetRaw(HKEY_CURRENT_USER, "Software\\A", "Name", REG_SZ, "abc", 3);
//         ...
//     }
//
// One sandbox at a time per process. The helpers below work on any root or open key;
// paths are created as needed.
#ifndef AURELON_TESTS_COMMON_REGISTRYSANDBOX_H
#define AURELON_TESTS_COMMON_REGISTRYSANDBOX_H

#include <windows.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class CRegistrySandbox
{
public:
    CRegistrySandbox();
    ~CRegistrySandbox();
    CRegistrySandbox(const CRegistrySandbox&) = delete;
    CRegistrySandbox& operator=(const CRegistrySandbox&) = delete;

    // TRUE when both roots are redirected.
    BOOL IsActive() const { return m_bActive; }
    // The real HKEY_CURRENT_USER path of the scratch key behind hRoot (for reg.exe checks).
    std::string GetScratchPath(HKEY hRoot) const;

    // Stores exactly cbData bytes of pData as a value of type dwType, creating the key.
    // Text is stored as given: no terminator is added (cbData 0 stores an empty value).
    static BOOL SetRaw(HKEY hRoot, const char* pszPath, const char* pszName, DWORD dwType,
                       const void* pData, DWORD cbData);
    // Stores text with its terminator (REG_SZ or any other text type).
    static BOOL SetText(HKEY hRoot, const char* pszPath, const char* pszName, const char* pszText,
                        DWORD dwType = REG_SZ);
    static BOOL SetDword(HKEY hRoot, const char* pszPath, const char* pszName, DWORD dwValue);
    // Reads a value's type and exact bytes; FALSE when the key or value is missing.
    static BOOL GetRaw(HKEY hRoot, const char* pszPath, const char* pszName, DWORD* pdwType,
                       std::vector<BYTE>& data);
    // A REG_DWORD value of four bytes; 0xFFFFFFFF when it is missing, of another type or
    // of another size.
    static DWORD GetDword(HKEY hRoot, const char* pszPath, const char* pszName);
    static BOOL CreateKey(HKEY hRoot, const char* pszPath);
    // Deletes a key with all its sub-keys.
    static BOOL DeleteKey(HKEY hRoot, const char* pszPath);
    static BOOL KeyExists(HKEY hRoot, const char* pszPath);

private:
    void Restore();

    std::string m_strBase;
    HKEY m_hScratchUser;
    HKEY m_hScratchMachine;
    BOOL m_bActive;
};

// A gtest fixture whose every test runs inside its own sandbox.
class CRegistrySandboxTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_sandbox.IsActive()); }

    CRegistrySandbox m_sandbox;
};

#endif
