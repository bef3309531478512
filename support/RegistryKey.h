// CRegistryKey: one registry key, named by a parent handle and a sub-key path. It owns
// its handle while open. Every call keeps the platform's result code (0 = success) of
// its last registry call; operations return TRUE exactly when that call succeeded.
#ifndef AURELON_SUPPORT_REGISTRYKEY_H
#define AURELON_SUPPORT_REGISTRYKEY_H

#include <windows.h>
#include <string>
#include <vector>

// A heap copy of a key path or value name (NULL stays NULL), released with delete[].
char* CopyRegistryName(const char* pszName);

class CRegistryKey
{
public:
    // Construction: stores the parent (not owned) and copies the path; opens nothing.
    CRegistryKey(HKEY hParent, const char* pszSubKey);
    virtual ~CRegistryKey();
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens the existing key (bCreate FALSE) or opens/creates it (bCreate TRUE). With
    // bCreate, *pbCreated (when given) tells whether the key was new; a NULL class name
    // is passed as an empty one. A handle still held from an earlier Open is released first.
    BOOL Open(BOOL bCreate, REGSAM samDesired, BOOL* pbCreated, const char* pszClass,
              BOOL bVolatile);
    // Releases the handle; on a closed key nothing is called and the last result stands.
    BOOL Close();
    BOOL IsOpen() const { return m_hKey != NULL; }
    // The open handle (NULL when closed), for values and as the parent of child keys.
    HKEY GetHandle() const { return m_hKey; }
    // Appends the names of all direct sub-keys in index order, opening the key first
    // (all access) when it is closed. If the sub-key set cannot be read completely, or
    // changes while it is read, the whole list is emptied and the result is -1.
    BOOL EnumSubKeys(std::vector<std::string>& names);
    LONG GetResult() const { return m_lResult; }

private:
    BOOL FailEnumeration(std::vector<std::string>& names);

    HKEY m_hParent;
    HKEY m_hKey;
    char* m_pszSubKey;
    LONG m_lResult;
};

#endif
