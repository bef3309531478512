#include "KeyAccess.h"
#include <sddl.h>

const char kReadOnlyForEveryone[] = "D:P(A;;KR;;;WD)";
const char kNoAccessForAnyone[] = "D:P";

namespace
{
// The names of a key's direct sub-keys.
std::vector<std::string> SubKeyNames(HKEY hKey)
{
    std::vector<std::string> names;
    char szName[256];
    for (DWORD i = 0;; ++i)
    {
        DWORD cchName = sizeof(szName);
        if (::RegEnumKeyExA(hKey, i, szName, &cchName, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.push_back(szName);
    }
    return names;
}

// The paths of a key and every key below it, parents first.
void CollectTree(HKEY hRoot, const std::string& strPath, std::vector<std::string>& paths)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    paths.push_back(strPath);
    std::vector<std::string> names = SubKeyNames(hKey);
    ::RegCloseKey(hKey);
    for (const std::string& strName : names)
        CollectTree(hRoot, strPath + "\\" + strName, paths);
}

BOOL SetDacl(HKEY hRoot, const std::string& strPath, PSECURITY_DESCRIPTOR pDescriptor)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strPath.c_str(), 0, WRITE_DAC, &hKey) != ERROR_SUCCESS)
        return FALSE;
    BOOL bSet = ::RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pDescriptor) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return bSet;
}

BOOL GetDacl(HKEY hRoot, const std::string& strPath, std::vector<BYTE>& descriptor)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strPath.c_str(), 0, READ_CONTROL, &hKey) != ERROR_SUCCESS)
        return FALSE;
    DWORD cbDescriptor = 0;
    ::RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, nullptr, &cbDescriptor);
    descriptor.resize(cbDescriptor);
    BOOL bRead = cbDescriptor > 0 &&
                 ::RegGetKeySecurity(hKey, DACL_SECURITY_INFORMATION, descriptor.data(),
                                     &cbDescriptor) == ERROR_SUCCESS;
    ::RegCloseKey(hKey);
    return bRead;
}

void CollectValues(HKEY hRoot, const std::string& strPath,
                   std::map<std::string, std::pair<DWORD, std::vector<BYTE>>>& values)
{
    HKEY hKey = nullptr;
    if (::RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    values[strPath + "|"];      // the key itself, so that a new empty key shows too
    for (DWORD i = 0;; ++i)
    {
        char szName[256];
        DWORD cchName = sizeof(szName);
        BYTE data[2048];
        DWORD cbData = sizeof(data);
        DWORD dwType = 0;
        if (::RegEnumValueA(hKey, i, szName, &cchName, nullptr, &dwType, data, &cbData) != ERROR_SUCCESS)
            break;
        values[strPath + "|" + szName] = { dwType, std::vector<BYTE>(data, data + cbData) };
    }
    std::vector<std::string> names = SubKeyNames(hKey);
    ::RegCloseKey(hKey);
    for (const std::string& strName : names)
        CollectValues(hRoot, strPath + "\\" + strName, values);
}
}

CKeyAccessOverride::CKeyAccessOverride(HKEY hRoot, const char* pszPath, const char* pszSddl)
    : m_hRoot(hRoot), m_bApplied(FALSE)
{
    std::vector<std::string> paths;
    CollectTree(hRoot, pszPath, paths);
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    if (paths.empty() || !::ConvertStringSecurityDescriptorToSecurityDescriptorA(
                             pszSddl, SDDL_REVISION_1, &pDescriptor, nullptr))
        return;
    m_bApplied = TRUE;
    for (const std::string& strPath : paths)
    {
        SavedDacl saved = { strPath, {} };
        if (!GetDacl(hRoot, strPath, saved.descriptor))
        {
            m_bApplied = FALSE;
            continue;
        }
        m_saved.push_back(saved);
    }
    // Children first: a parent that can no longer be read still lets them be opened,
    // but this way nothing depends on that.
    for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
        m_bApplied = SetDacl(hRoot, it->strPath, pDescriptor) && m_bApplied;
    ::LocalFree(pDescriptor);
}

CKeyAccessOverride::~CKeyAccessOverride()
{
    for (SavedDacl& saved : m_saved)
        SetDacl(m_hRoot, saved.strPath, saved.descriptor.data());
}

BOOL KeyOpens(HKEY hRoot, const char* pszPath, REGSAM samDesired, LONG* plError)
{
    HKEY hKey = nullptr;
    LONG lError = ::RegOpenKeyExA(hRoot, pszPath, 0, samDesired, &hKey);
    if (plError != nullptr)
        *plError = lError;
    if (lError != ERROR_SUCCESS)
        return FALSE;
    ::RegCloseKey(hKey);
    return TRUE;
}

std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> SnapshotValues(HKEY hRoot,
                                                                          const char* pszPath)
{
    std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> values;
    CollectValues(hRoot, pszPath, values);
    return values;
}
