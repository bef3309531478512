#include "tests/common/RegistrySandbox.h"
#include <shlwapi.h>
#include <cstdio>
#include <cstring>

namespace
{
const char kScratchRoot[] = "Software\\AurelonTests";
LONG g_nSandboxes = 0;

HKEY CreateScratch(const std::string& strPath)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, strPath.c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, NULL, &hKey, NULL) != ERROR_SUCCESS)
        return NULL;
    return hKey;
}
}

CRegistrySandbox::CRegistrySandbox()
    : m_hScratchUser(NULL), m_hScratchMachine(NULL), m_bActive(FALSE)
{
    char szName[64];
    std::snprintf(szName, sizeof(szName), "\\%lu-%lu-%ld", GetCurrentProcessId(), GetTickCount(),
                  InterlockedIncrement(&g_nSandboxes));
    m_strBase = std::string(kScratchRoot) + szName;
    HKEY hBase = CreateScratch(m_strBase);
    if (hBase != NULL)
        RegCloseKey(hBase);
    m_hScratchUser = CreateScratch(m_strBase + "\\HKCU");
    m_hScratchMachine = CreateScratch(m_strBase + "\\HKLM");
    if (m_hScratchUser == NULL || m_hScratchMachine == NULL)
        return;
    if (RegOverridePredefKey(HKEY_CURRENT_USER, m_hScratchUser) != ERROR_SUCCESS)
        return;
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_hScratchMachine) != ERROR_SUCCESS)
    {
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        return;
    }
    m_bActive = TRUE;
}

CRegistrySandbox::~CRegistrySandbox()
{
    Restore();
}

void CRegistrySandbox::Restore()
{
    if (m_bActive)
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
        RegOverridePredefKey(HKEY_CURRENT_USER, NULL);
        m_bActive = FALSE;
    }
    if (m_hScratchUser != NULL)
        RegCloseKey(m_hScratchUser);
    if (m_hScratchMachine != NULL)
        RegCloseKey(m_hScratchMachine);
    m_hScratchUser = m_hScratchMachine = NULL;
    SHDeleteKeyA(HKEY_CURRENT_USER, m_strBase.c_str());
    // Succeeds only when no other sandbox is alive.
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);
}

std::string CRegistrySandbox::GetScratchPath(HKEY hRoot) const
{
    return m_strBase + (hRoot == HKEY_LOCAL_MACHINE ? "\\HKLM" : "\\HKCU");
}

BOOL CRegistrySandbox::SetRaw(HKEY hRoot, const char* pszPath, const char* pszName, DWORD dwType,
                              const void* pData, DWORD cbData)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(hRoot, pszPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return FALSE;
    // RegSetValueExA adds a terminator to text when the byte after the data is already 0,
    // so the data travels in a copy whose next byte is not.
    std::vector<BYTE> copy(static_cast<size_t>(cbData) + 1, 'X');
    if (cbData > 0)
        std::memcpy(copy.data(), pData, cbData);
    LONG lResult = RegSetValueExA(hKey, pszName, 0, dwType, copy.data(), cbData);
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

BOOL CRegistrySandbox::SetText(HKEY hRoot, const char* pszPath, const char* pszName,
                               const char* pszText, DWORD dwType)
{
    return SetRaw(hRoot, pszPath, pszName, dwType, pszText,
                  static_cast<DWORD>(std::strlen(pszText) + 1));
}

BOOL CRegistrySandbox::SetDword(HKEY hRoot, const char* pszPath, const char* pszName,
                                DWORD dwValue)
{
    return SetRaw(hRoot, pszPath, pszName, REG_DWORD, &dwValue, sizeof(dwValue));
}

BOOL CRegistrySandbox::GetRaw(HKEY hRoot, const char* pszPath, const char* pszName,
                              DWORD* pdwType, std::vector<BYTE>& data)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD cbData = 0;
    LONG lResult = RegQueryValueExA(hKey, pszName, NULL, pdwType, NULL, &cbData);
    if (lResult == ERROR_SUCCESS)
    {
        data.assign(static_cast<size_t>(cbData) + 1, 0);
        lResult = RegQueryValueExA(hKey, pszName, NULL, pdwType, data.data(), &cbData);
        data.resize(cbData);
    }
    RegCloseKey(hKey);
    return lResult == ERROR_SUCCESS;
}

DWORD CRegistrySandbox::GetDword(HKEY hRoot, const char* pszPath, const char* pszName)
{
    DWORD dwType = 0;
    std::vector<BYTE> data;
    DWORD dwValue = 0xFFFFFFFF;
    if (GetRaw(hRoot, pszPath, pszName, &dwType, data) && dwType == REG_DWORD &&
        data.size() == sizeof(dwValue))
        std::memcpy(&dwValue, data.data(), sizeof(dwValue));
    return dwValue;
}

BOOL CRegistrySandbox::CreateKey(HKEY hRoot, const char* pszPath)
{
    HKEY hKey = NULL;
    if (RegCreateKeyExA(hRoot, pszPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &hKey, NULL) !=
        ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(hKey);
    return TRUE;
}

BOOL CRegistrySandbox::DeleteKey(HKEY hRoot, const char* pszPath)
{
    // The named key with everything below it.
    return SHDeleteKeyA(hRoot, pszPath) == ERROR_SUCCESS;
}

BOOL CRegistrySandbox::KeyExists(HKEY hRoot, const char* pszPath)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(hRoot, pszPath, 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return FALSE;
    RegCloseKey(hKey);
    return TRUE;
}
