// Scratch copies of executables whose resources a test rewrites (UpdateResource), and
// version blocks built from texts to write into them.
#ifndef AURELON_TESTS_COMMON_SCRATCHEXECUTABLE_H
#define AURELON_TESTS_COMMON_SCRATCHEXECUTABLE_H

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<std::wstring, std::wstring>> TextList;

// A complete version block with one string table per translation entry; table i holds
// "Table" = its own key plus the texts given for it.
std::vector<BYTE> MakeVersionBlock(const std::vector<DWORD>& translations, const TextList& texts);

// A copy of an executable in the temporary folder, deleted with the object.
class CScratchExecutable
{
public:
    // Copies pszSource (NULL: this executable); bKeepResources FALSE leaves the copy none.
    CScratchExecutable(const char* pszSource, BOOL bKeepResources);
    ~CScratchExecutable();
    CScratchExecutable(const CScratchExecutable&) = delete;
    CScratchExecutable& operator=(const CScratchExecutable&) = delete;

    // Replaces one resource (or adds it, language neutral) by the given bytes.
    BOOL SetResource(LPCSTR pszType, LPCSTR pszName, const std::vector<BYTE>& data);
    // Replaces one entry of the copy's string table, keeping the others of its block.
    BOOL SetString(UINT nID, const std::wstring& strText);

    BOOL IsReady() const { return m_bReady; }
    const char* GetPath() const { return m_strPath.c_str(); }

private:
    std::string m_strPath;
    BOOL m_bReady = FALSE;
};

#endif
