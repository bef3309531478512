#include "support/RegistryValue.h"
#include <vector>

CRegistryValue::CRegistryValue(CRegistryKey* pKey, const char* pszName)
    : m_pKey(pKey), m_pszName(CopyRegistryName(pszName)), m_lResult(0)
{
}

CRegistryValue::~CRegistryValue()
{
    delete[] m_pszName;
}

BOOL CRegistryValue::QueryValue(DWORD* pdwType, BYTE* pData, DWORD* pcbSize)
{
    m_lResult = RegQueryValueExA(m_pKey->GetHandle(), m_pszName, NULL, pdwType, pData, pcbSize);
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryValue::SetValue(DWORD dwType, const BYTE* pData, DWORD cbSize)
{
    m_lResult = RegSetValueExA(m_pKey->GetHandle(), m_pszName, 0, dwType, pData, cbSize);
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryValue::DeleteValue()
{
    m_lResult = RegDeleteValueA(m_pKey->GetHandle(), m_pszName);
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryValue::Exists()
{
    m_lResult = RegQueryValueExA(m_pKey->GetHandle(), m_pszName, NULL, NULL, NULL, NULL);
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryValue::QuerySize(DWORD* pcbSize)
{
    m_lResult = RegQueryValueExA(m_pKey->GetHandle(), m_pszName, NULL, NULL, NULL, pcbSize);
    return m_lResult == ERROR_SUCCESS;
}

BOOL CRegistryStringValue::Read(char* pszBuffer, DWORD* pcbSize)
{
    // Without a buffer the query would only report the size and leave nothing to terminate.
    if (pszBuffer == NULL || pcbSize == NULL)
    {
        m_lResult = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    DWORD cbCapacity = *pcbSize;
    DWORD dwType = REG_NONE;
    if (!QueryValue(&dwType, reinterpret_cast<BYTE*>(pszBuffer), pcbSize) || dwType != REG_SZ)
        return FALSE;

    DWORD cbStored = *pcbSize;
    if (cbStored > 0 && pszBuffer[cbStored - 1] == '\0')
        return TRUE;
    // Stored without a terminator (or empty): add one if the buffer has room for it.
    if (cbStored >= cbCapacity)
    {
        m_lResult = ERROR_MORE_DATA;
        *pcbSize = cbStored + 1;
        return FALSE;
    }
    pszBuffer[cbStored] = '\0';
    *pcbSize = cbStored + 1;
    return TRUE;
}

BOOL CRegistryStringValue::ReadText(std::string& strText)
{
    DWORD cbStored = 0;
    if (!QuerySize(&cbStored))
        return FALSE;
    // One byte more than stored, for text saved without its terminator.
    std::vector<char> buffer(static_cast<size_t>(cbStored) + 1);
    DWORD cbSize = static_cast<DWORD>(buffer.size());
    if (!Read(buffer.data(), &cbSize))
        return FALSE;
    strText.assign(buffer.data());
    return TRUE;
}

BOOL CRegistryStringValue::Write(const char* pszText)
{
    return SetValue(REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                    static_cast<DWORD>(lstrlenA(pszText) + 1));
}

BOOL CRegistryDwordValue::Read(DWORD* pdwValue)
{
    DWORD dwValue = 0;
    DWORD dwType = REG_NONE;
    DWORD cbSize = sizeof(dwValue);
    if (!QueryValue(&dwType, reinterpret_cast<BYTE*>(&dwValue), &cbSize) || dwType != REG_DWORD ||
        cbSize != sizeof(dwValue))
        return FALSE;
    *pdwValue = dwValue;
    return TRUE;
}

BOOL CRegistryDwordValue::Write(DWORD dwValue)
{
    return SetValue(REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof(dwValue));
}

BOOL CRegistryBinaryValue::Read(BYTE* pBuffer, DWORD* pcbSize)
{
    DWORD dwType = REG_NONE;
    return QueryValue(&dwType, pBuffer, pcbSize) && dwType == REG_BINARY;
}
