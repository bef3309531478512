// CVersionInfo reads an executable's version resource and hands out the texts of the
// string table that best fits the user's language. GetVersionStrings fills the fixed
// record that the About box shows.
#ifndef AURELON_SUPPORT_VERSIONINFO_H
#define AURELON_SUPPORT_VERSIONINFO_H

#include <windows.h>
#include <string>

// Each text is zero-terminated inside its field; a missing value leaves it empty.
struct VERSIONSTRINGS
{
    DWORD cbSize;
    char ProductName[255];
    char ProductVersion[25];
    char FileDescription[255];
    char FileVersion[25];
    char CompanyName[255];
    char LegalCopyright[255];
    char LegalTrademarks[255];
};

// Picks one entry of a translation list (low word language, high word code page) for
// the user's lcid and returns its index, or -1 for an empty list. Passes, each scanning
// from the last entry back: exact language, same primary language, neutral, English
// (only for users whose own language is not English), else the last entry.
int ChooseTranslation(const DWORD* pTranslations, UINT nTranslations, LCID lcid);
// The path of the string table of one translation entry: "\StringFileInfo\llllcccc\".
std::string MakeStringTablePrefix(DWORD dwTranslation);

class CVersionInfo
{
public:
    CVersionInfo();
    virtual ~CVersionInfo();
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;

    // Reads the version block of the file (the running executable when NULL) and chooses
    // the string table. On failure *pdwError (when given) gets the system error code;
    // out of memory and an empty translation list leave it alone.
    BOOL Load(const char* pszFileName, DWORD* pdwError);
    // Copies the named text into pszBuffer, which holds nCapacity + 1 bytes. If the text
    // (counted with its terminator) exceeds nCapacity, *pdwError gets the length needed.
    // Before a successful Load it fails and leaves *pdwError alone.
    BOOL QueryString(const char* pszName, char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    // The chosen table's path, empty before a successful Load.
    const std::string& GetStringPrefix() const { return m_strPrefix; }

    // Standard values of the chosen table.
    BOOL GetProductName(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetProductVersion(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetFileDescription(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetFileVersion(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetCompanyName(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetLegalCopyright(char* pszBuffer, UINT nCapacity, DWORD* pdwError);
    BOOL GetLegalTrademarks(char* pszBuffer, UINT nCapacity, DWORD* pdwError);

private:
    void FreeBlock();

    DWORD m_nBlockSize;
    BYTE* m_pBlock;
    std::string m_strPrefix;
};

// Fills the record from a loaded CVersionInfo: cleared, cbSize set, each value that can
// be read copied (cut to its field when longer). TRUE also when values are missing;
// *pdwError then holds the code of the last failure.
BOOL FillVersionStrings(CVersionInfo& info, VERSIONSTRINGS* pStrings, DWORD* pdwError);
// The same for the running executable; FALSE, with the record untouched, when its
// version resource cannot be read.
BOOL GetVersionStrings(VERSIONSTRINGS* pStrings, DWORD* pdwError);

#endif
