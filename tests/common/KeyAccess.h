// Registry access as another user meets it. While a CKeyAccessOverride lives, a key and
// every key below it carry a new DACL; the destructor puts each key's old DACL back (the
// keys' owner keeps the right to change DACLs whatever the DACL says). With
// kReadOnlyForEveryone a key opens with KEY_READ and refuses KEY_ALL_ACCESS (error 5): a
// standard user's view of HKEY_LOCAL_MACHINE. With kNoAccessForAnyone it does not open.
#ifndef AURELON_TESTS_COMMON_KEYACCESS_H
#define AURELON_TESTS_COMMON_KEYACCESS_H

#include <windows.h>
#include <map>
#include <string>
#include <vector>

extern const char kReadOnlyForEveryone[];
extern const char kNoAccessForAnyone[];

class CKeyAccessOverride
{
public:
    CKeyAccessOverride(HKEY hRoot, const char* pszPath, const char* pszSddl);
    ~CKeyAccessOverride();
    CKeyAccessOverride(const CKeyAccessOverride&) = delete;
    CKeyAccessOverride& operator=(const CKeyAccessOverride&) = delete;

    // TRUE when every key of the tree got the new DACL.
    BOOL IsApplied() const { return m_bApplied; }

private:
    struct SavedDacl
    {
        std::string strPath;
        std::vector<BYTE> descriptor;
    };

    HKEY m_hRoot;
    std::vector<SavedDacl> m_saved;     // the tree, parents before children
    BOOL m_bApplied;
};

// Whether a key opens with the given access (the answer of RegOpenKeyExA through *plError).
BOOL KeyOpens(HKEY hRoot, const char* pszPath, REGSAM samDesired, LONG* plError = nullptr);

// Every value below a key, by "subkey path|value name", as type and bytes: a snapshot to
// compare before and after a run.
std::map<std::string, std::pair<DWORD, std::vector<BYTE>>> SnapshotValues(HKEY hRoot,
                                                                          const char* pszPath);

#endif
