// CRegistryValue and its typed forms: one named value inside a CRegistryKey. A value
// object asks its key for the handle at every call, so it may be built before the key
// is opened; through a closed key every operation fails. Nothing is cached. A NULL and
// an empty name both address the key's unnamed default value.
#ifndef AURELON_SUPPORT_REGISTRYVALUE_H
#define AURELON_SUPPORT_REGISTRYVALUE_H

#include <windows.h>
#include <string>
#include "support/RegistryKey.h"

class CRegistryValue
{
public:
    // Construction: the key is not owned and must outlive the value; the name is copied.
    CRegistryValue(CRegistryKey* pKey, const char* pszName);
    virtual ~CRegistryValue();
    CRegistryValue(const CRegistryValue&) = delete;
    CRegistryValue& operator=(const CRegistryValue&) = delete;

    // Raw access. *pcbSize is the buffer's capacity on entry and the stored size on return.
    BOOL QueryValue(DWORD* pdwType, BYTE* pData, DWORD* pcbSize);
    BOOL SetValue(DWORD dwType, const BYTE* pData, DWORD cbSize);
    BOOL DeleteValue();
    BOOL Exists();
    // The stored size in bytes. For text this counts a terminator only if one was
    // stored: a buffer for CRegistryStringValue::Read needs this size + 1.
    BOOL QuerySize(DWORD* pcbSize);
    LONG GetResult() const { return m_lResult; }

protected:
    CRegistryKey* m_pKey;
    char* m_pszName;
    LONG m_lResult;
};

// Text (REG_SZ only; REG_EXPAND_SZ and REG_MULTI_SZ count as the wrong type).
class CRegistryStringValue : public CRegistryValue
{
public:
    CRegistryStringValue(CRegistryKey* pKey, const char* pszName) : CRegistryValue(pKey, pszName) {}

    // Reads the text into pszBuffer of *pcbSize bytes. On TRUE the text is terminated
    // inside the buffer and *pcbSize counts it with its terminator. The registry may hold
    // text stored without a terminator, or with size 0; such text is terminated here when
    // there is room and fails with ERROR_MORE_DATA (and *pcbSize = the size needed) when
    // there is not, so a buffer of exactly QuerySize bytes is not always enough.
    BOOL Read(char* pszBuffer, DWORD* pcbSize);
    // Reads the whole text, of any length, into strText (unchanged on FALSE).
    BOOL ReadText(std::string& strText);
    // Stores the text with its terminator.
    BOOL Write(const char* pszText);
};

// 32-bit numbers (REG_DWORD of exactly 4 bytes).
class CRegistryDwordValue : public CRegistryValue
{
public:
    CRegistryDwordValue(CRegistryKey* pKey, const char* pszName) : CRegistryValue(pKey, pszName) {}

    // *pdwValue is written only on TRUE.
    BOOL Read(DWORD* pdwValue);
    BOOL Write(DWORD dwValue);
};

// Raw bytes (REG_BINARY), read only.
class CRegistryBinaryValue : public CRegistryValue
{
public:
    CRegistryBinaryValue(CRegistryKey* pKey, const char* pszName) : CRegistryValue(pKey, pszName) {}

    // The buffer's content is meaningful only on TRUE.
    BOOL Read(BYTE* pBuffer, DWORD* pcbSize);
};

#endif
