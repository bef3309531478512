#include "support/VersionInfo.h"
#include <cstring>
#include <new>

namespace
{
const UINT kPrimaryLanguageMask = 0x3FF;
const UINT kEnglish = 9;

// Index of the last entry whose language satisfies the test, or -1.
template <typename Test>
int FindLast(const DWORD* pTranslations, UINT nTranslations, Test test)
{
    for (UINT i = nTranslations; i-- > 0;)
        if (test(static_cast<UINT>(LOWORD(pTranslations[i]))))
            return static_cast<int>(i);
    return -1;
}

void StoreError(DWORD* pdwError, DWORD dwError)
{
    if (pdwError != NULL)
        *pdwError = dwError;
}
}

int ChooseTranslation(const DWORD* pTranslations, UINT nTranslations, LCID lcid)
{
    if (nTranslations == 0)
        return -1;
    int i = FindLast(pTranslations, nTranslations, [lcid](UINT lang) { return lang == lcid; });
    if (i < 0)
        i = FindLast(pTranslations, nTranslations,
                     [lcid](UINT lang) { return ((lang ^ lcid) & kPrimaryLanguageMask) == 0; });
    if (i < 0)
        i = FindLast(pTranslations, nTranslations,
                     [](UINT lang) { return (lang & kPrimaryLanguageMask) == 0; });
    if (i < 0 && (lcid & kPrimaryLanguageMask) != kEnglish)
        i = FindLast(pTranslations, nTranslations,
                     [](UINT lang) { return (lang & kPrimaryLanguageMask) == kEnglish; });
    if (i < 0)
        i = static_cast<int>(nTranslations - 1);
    return i;
}

std::string MakeStringTablePrefix(DWORD dwTranslation)
{
    char szPrefix[40];
    wsprintfA(szPrefix, "\\StringFileInfo\\%04x%04x\\", LOWORD(dwTranslation),
              HIWORD(dwTranslation));
    return szPrefix;
}

CVersionInfo::CVersionInfo() : m_nBlockSize(0), m_pBlock(NULL)
{
}

CVersionInfo::~CVersionInfo()
{
    FreeBlock();
}

void CVersionInfo::FreeBlock()
{
    delete[] m_pBlock;
    m_pBlock = NULL;
    m_nBlockSize = 0;
    m_strPrefix.clear();
}

BOOL CVersionInfo::Load(const char* pszFileName, DWORD* pdwError)
{
    FreeBlock();
    LCID lcid = GetUserDefaultLCID();
    char szModule[MAX_PATH];
    if (pszFileName == NULL)
    {
        DWORD cch = GetModuleFileNameA(GetModuleHandleA(NULL), szModule, MAX_PATH);
        // A full buffer means a cut path, which would name another file.
        if (cch == 0 || cch >= MAX_PATH)
        {
            StoreError(pdwError, cch == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        pszFileName = szModule;
    }

    DWORD dwHandle = 0;
    DWORD nSize = GetFileVersionInfoSizeA(pszFileName, &dwHandle);
    if (nSize == 0)
    {
        StoreError(pdwError, GetLastError());
        return FALSE;
    }
    m_pBlock = new (std::nothrow) BYTE[nSize];
    if (m_pBlock == NULL)
        return FALSE;
    m_nBlockSize = nSize;
    if (!GetFileVersionInfoA(pszFileName, dwHandle, nSize, m_pBlock))
    {
        StoreError(pdwError, GetLastError());
        return FALSE;
    }

    void* pList = NULL;
    UINT cbList = 0;
    char szTranslation[] = "\\VarFileInfo\\Translation";
    if (!VerQueryValueA(m_pBlock, szTranslation, &pList, &cbList))
    {
        StoreError(pdwError, GetLastError());
        return FALSE;
    }
    const DWORD* pTranslations = static_cast<const DWORD*>(pList);
    int iChosen = ChooseTranslation(pTranslations, cbList / sizeof(DWORD), lcid);
    if (iChosen < 0)
        return FALSE;
    m_strPrefix = MakeStringTablePrefix(pTranslations[iChosen]);
    return TRUE;
}

BOOL CVersionInfo::QueryString(const char* pszName, char* pszBuffer, UINT nCapacity,
                               DWORD* pdwError)
{
    if (m_pBlock == NULL || m_strPrefix.empty())
        return FALSE;
    std::string strPath = m_strPrefix + pszName;
    void* pValue = NULL;
    UINT nLength = 0;
    if (!VerQueryValueA(m_pBlock, &strPath[0], &pValue, &nLength))
    {
        StoreError(pdwError, GetLastError());
        return FALSE;
    }
    if (nLength > nCapacity)
    {
        StoreError(pdwError, nLength);
        return FALSE;
    }
    // Copy up to the text's terminator, zero the rest of the reported length.
    const char* pszValue = static_cast<const char*>(pValue);
    const void* pEnd = std::memchr(pszValue, 0, nLength);
    size_t cchText = pEnd != NULL ? static_cast<const char*>(pEnd) - pszValue : nLength;
    std::memcpy(pszBuffer, pszValue, cchText);
    std::memset(pszBuffer + cchText, 0, nLength - cchText);
    pszBuffer[nLength] = '\0';
    return TRUE;
}

BOOL CVersionInfo::GetProductName(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("ProductName", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetProductVersion(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("ProductVersion", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetFileDescription(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("FileDescription", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetFileVersion(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("FileVersion", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetCompanyName(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("CompanyName", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetLegalCopyright(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("LegalCopyright", pszBuffer, nCapacity, pdwError);
}

BOOL CVersionInfo::GetLegalTrademarks(char* pszBuffer, UINT nCapacity, DWORD* pdwError)
{
    return QueryString("LegalTrademarks", pszBuffer, nCapacity, pdwError);
}

BOOL FillVersionStrings(CVersionInfo& info, VERSIONSTRINGS* pStrings, DWORD* pdwError)
{
    typedef BOOL (CVersionInfo::*Accessor)(char*, UINT, DWORD*);
    struct Field
    {
        Accessor pfnGet;
        char* pszField;
        int cbField;
    };
    std::memset(pStrings, 0, sizeof(*pStrings));
    pStrings->cbSize = sizeof(*pStrings);
    const Field fields[] = {
        {&CVersionInfo::GetProductName, pStrings->ProductName, sizeof(pStrings->ProductName)},
        {&CVersionInfo::GetProductVersion, pStrings->ProductVersion,
         sizeof(pStrings->ProductVersion)},
        {&CVersionInfo::GetFileDescription, pStrings->FileDescription,
         sizeof(pStrings->FileDescription)},
        {&CVersionInfo::GetFileVersion, pStrings->FileVersion, sizeof(pStrings->FileVersion)},
        {&CVersionInfo::GetCompanyName, pStrings->CompanyName, sizeof(pStrings->CompanyName)},
        {&CVersionInfo::GetLegalCopyright, pStrings->LegalCopyright,
         sizeof(pStrings->LegalCopyright)},
        {&CVersionInfo::GetLegalTrademarks, pStrings->LegalTrademarks,
         sizeof(pStrings->LegalTrademarks)},
    };
    char szValue[256];
    for (const Field& field : fields)
    {
        // The version fields are narrower than the work buffer: a longer text is cut so
        // that it stays terminated inside its own field.
        if ((info.*field.pfnGet)(szValue, sizeof(szValue) - 1, pdwError))
            lstrcpynA(field.pszField, szValue, field.cbField);
    }
    return TRUE;
}

BOOL GetVersionStrings(VERSIONSTRINGS* pStrings, DWORD* pdwError)
{
    CVersionInfo info;
    if (!info.Load(NULL, NULL))
        return FALSE;
    return FillVersionStrings(info, pStrings, pdwError);
}
