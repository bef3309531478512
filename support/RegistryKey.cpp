#include "support/RegistryKey.h"
#include <cstring>

char* CopyRegistryName(const char* pszName)
{
    if (pszName == NULL)
        return NULL;
    size_t cb = std::strlen(pszName) + 1;
    char* pszCopy = new char[cb];
    std::memcpy(pszCopy, pszName, cb);
    return pszCopy;
}

CRegistryKey::CRegistryKey(HKEY hParent, const char* pszSubKey)
    : m_hParent(hParent), m_hKey(NULL), m_pszSubKey(CopyRegistryName(pszSubKey)), m_lResult(0)
{
}

CRegistryKey::~CRegistryKey()
{
    Close();
    delete[] m_pszSubKey;
}

BOOL CRegistryKey::Open(BOOL bCreate, REGSAM samDesired, BOOL* pbCreated, const char* pszClass,
                        BOOL bVolatile)
{
    if (m_hKey != NULL)
        Close();
    if (!bCreate)
    {
        m_lResult = RegOpenKeyExA(m_hParent, m_pszSubKey, 0, samDesired, &m_hKey);
    }
    else
    {
        DWORD dwDisposition = 0;
        char szNoClass[] = "";
        m_lResult = RegCreateKeyExA(m_hParent, m_pszSubKey, 0,
                                    pszClass != NULL ? const_cast<char*>(pszClass) : szNoClass,
                                    bVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                                    samDesired, NULL, &m_hKey, &dwDisposition);
        if (m_lResult == ERROR_SUCCESS && pbCreated != NULL)
            *pbCreated = dwDisposition == REG_CREATED_NEW_KEY ? 1 : 0;
    }
    if (m_lResult != ERROR_SUCCESS)
        m_hKey = NULL;
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryKey::Close()
{
    if (m_hKey != NULL)
    {
        m_lResult = RegCloseKey(m_hKey);
        m_hKey = NULL;
    }
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryKey::EnumSubKeys(std::vector<std::string>& names)
{
    if (m_hKey == NULL && !Open(FALSE, KEY_ALL_ACCESS, NULL, NULL, FALSE))
        return FALSE;

    DWORD nSubKeys = 0;
    DWORD cchLongest = 0;
    m_lResult = RegQueryInfoKeyA(m_hKey, NULL, NULL, NULL, &nSubKeys, &cchLongest, NULL, NULL,
                                 NULL, NULL, NULL, NULL);
    if (m_lResult != ERROR_SUCCESS)
        return FailEnumeration(names);

    std::vector<char> name(cchLongest + 1);
    for (DWORD i = 0; i < nSubKeys; ++i)
    {
        m_lResult = RegEnumKeyA(m_hKey, i, name.data(), cchLongest + 1);
        if (m_lResult != ERROR_SUCCESS)
            return FailEnumeration(names);
        names.emplace_back(name.data());
    }

    DWORD nAfter = 0;
    m_lResult = RegQueryInfoKeyA(m_hKey, NULL, NULL, NULL, &nAfter, NULL, NULL, NULL, NULL, NULL,
                                 NULL, NULL);
    if (m_lResult != ERROR_SUCCESS || nAfter != nSubKeys)
        return FailEnumeration(names);
    return TRUE;
}

// A partial list would look like a complete one, so a failed enumeration leaves none.
BOOL CRegistryKey::FailEnumeration(std::vector<std::string>& names)
{
    names.clear();
    m_lResult = -1;
    return FALSE;
}
