#include "ScratchExecutable.h"
#include <algorithm>
#include <cstring>

namespace
{
// One node of a version block: key, value bytes, and children.
struct VersionNode
{
    std::wstring strKey;
    std::vector<BYTE> value;
    WORD wValueLength;
    WORD wType;   // 1 text, 0 binary
    std::vector<VersionNode> children;
};

void AlignTo4(std::vector<BYTE>& bytes)
{
    while (bytes.size() % 4 != 0)
        bytes.push_back(0);
}

void AppendWide(std::vector<BYTE>& bytes, const std::wstring& str)
{
    for (wchar_t ch : str)
    {
        bytes.push_back(static_cast<BYTE>(ch & 0xFF));
        bytes.push_back(static_cast<BYTE>((ch >> 8) & 0xFF));
    }
}

std::vector<BYTE> Serialize(const VersionNode& node)
{
    std::vector<BYTE> bytes(6, 0);
    AppendWide(bytes, node.strKey + L'\0');
    AlignTo4(bytes);
    bytes.insert(bytes.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children)
    {
        AlignTo4(bytes);
        std::vector<BYTE> childBytes = Serialize(child);
        bytes.insert(bytes.end(), childBytes.begin(), childBytes.end());
    }
    WORD header[3] = {static_cast<WORD>(bytes.size()), node.wValueLength, node.wType};
    std::memcpy(bytes.data(), header, sizeof(header));
    return bytes;
}

VersionNode TextNode(const std::wstring& strKey, const std::wstring& strText)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(strText.c_str());
    std::vector<BYTE> value(p, p + (strText.size() + 1) * sizeof(wchar_t));
    return {strKey, value, static_cast<WORD>(strText.size() + 1), 1, {}};
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD wLanguage, LONG_PTR lParam)
{
    reinterpret_cast<std::vector<WORD>*>(lParam)->push_back(wLanguage);
    return TRUE;
}

// The languages in which a file holds one resource, English first, and the bytes of the first.
std::vector<WORD> ResourceLanguages(const char* pszPath, LPCSTR pszType, LPCSTR pszName,
                                    std::vector<BYTE>* pFirst)
{
    std::vector<WORD> languages;
    HMODULE hModule = ::LoadLibraryExA(pszPath, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr)
        return languages;
    ::EnumResourceLanguagesA(hModule, pszType, pszName, &CollectLanguage,
                             reinterpret_cast<LONG_PTR>(&languages));
    // English first: the copies run in English, which the other languages only stand beside.
    std::stable_partition(languages.begin(), languages.end(),
                          [](WORD wLanguage) { return wLanguage == MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US); });
    if (pFirst != nullptr && !languages.empty())
    {
        HRSRC hInfo = ::FindResourceExA(hModule, pszType, pszName, languages.front());
        HGLOBAL hData = hInfo != nullptr ? ::LoadResource(hModule, hInfo) : nullptr;
        const BYTE* p = static_cast<const BYTE*>(::LockResource(hData));
        if (p != nullptr)
            pFirst->assign(p, p + ::SizeofResource(hModule, hInfo));
    }
    ::FreeLibrary(hModule);
    return languages;
}
}

std::vector<BYTE> MakeVersionBlock(const std::vector<DWORD>& translations, const TextList& texts)
{
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    const BYTE* pFixed = reinterpret_cast<const BYTE*>(&fixed);
    VersionNode root{L"VS_VERSION_INFO", std::vector<BYTE>(pFixed, pFixed + sizeof(fixed)),
                     sizeof(fixed), 0, {}};
    VersionNode stringInfo{L"StringFileInfo", {}, 0, 1, {}};
    for (DWORD dwEntry : translations)
    {
        wchar_t szKey[9];
        wsprintfW(szKey, L"%04x%04x", LOWORD(dwEntry), HIWORD(dwEntry));
        VersionNode table{szKey, {}, 0, 1, {TextNode(L"Table", szKey)}};
        for (const auto& text : texts)
            table.children.push_back(TextNode(text.first, text.second));
        stringInfo.children.push_back(table);
    }
    const BYTE* pList = reinterpret_cast<const BYTE*>(translations.data());
    VersionNode var{L"Translation",
                    std::vector<BYTE>(pList, pList + translations.size() * sizeof(DWORD)),
                    static_cast<WORD>(translations.size() * sizeof(DWORD)), 0, {}};
    root.children.push_back(stringInfo);
    root.children.push_back({L"VarFileInfo", {}, 0, 1, {var}});
    return Serialize(root);
}

CScratchExecutable::CScratchExecutable(const char* pszSource, BOOL bKeepResources)
{
    char szTemp[MAX_PATH];
    char szFile[MAX_PATH];
    char szSelf[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    ::GetTempFileNameA(szTemp, "scr", 0, szFile);
    // A program started from the copy needs the name of an executable.
    m_strPath = std::string(szFile) + ".exe";
    ::DeleteFileA(szFile);
    if (pszSource == nullptr)
    {
        ::GetModuleFileNameA(nullptr, szSelf, MAX_PATH);
        pszSource = szSelf;
    }
    if (!::CopyFileA(pszSource, m_strPath.c_str(), FALSE))
        return;
    if (bKeepResources)
    {
        m_bReady = TRUE;
        return;
    }
    HANDLE hUpdate = ::BeginUpdateResourceA(m_strPath.c_str(), TRUE);
    m_bReady = hUpdate != nullptr && ::EndUpdateResourceA(hUpdate, FALSE);
}

CScratchExecutable::~CScratchExecutable()
{
    ::DeleteFileA(m_strPath.c_str());
}

BOOL CScratchExecutable::SetResource(LPCSTR pszType, LPCSTR pszName, const std::vector<BYTE>& data)
{
    // Written in the language of the copy's own resource, which it then replaces.
    std::vector<WORD> languages = ResourceLanguages(GetPath(), pszType, pszName, nullptr);
    WORD wLanguage = languages.empty() ? MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL) : languages.front();
    HANDLE hUpdate = ::BeginUpdateResourceA(GetPath(), FALSE);
    BOOL bOK = hUpdate != nullptr &&
               ::UpdateResourceA(hUpdate, pszType, pszName, wLanguage, const_cast<BYTE*>(data.data()),
                                 static_cast<DWORD>(data.size()));
    if (hUpdate == nullptr || !::EndUpdateResourceA(hUpdate, !bOK) || !bOK)
        m_bReady = FALSE;
    return m_bReady;
}

BOOL CScratchExecutable::SetString(UINT nID, const std::wstring& strText)
{
    // A string block holds 16 counted UTF-16 texts; block n + 1 holds ids 16 n to 16 n + 15.
    LPCSTR pszBlock = MAKEINTRESOURCEA(nID / 16 + 1);
    std::vector<BYTE> block;
    ResourceLanguages(GetPath(), RT_STRING, pszBlock, &block);
    std::vector<std::wstring> texts(16);
    size_t nOffset = 0;
    for (std::wstring& text : texts)
    {
        if (nOffset + 2 > block.size())
            break;
        WORD cch = 0;
        std::memcpy(&cch, &block[nOffset], 2);
        nOffset += 2;
        for (WORD i = 0; i < cch && nOffset + 2 <= block.size(); ++i, nOffset += 2)
            text.push_back(static_cast<wchar_t>(block[nOffset] | (block[nOffset + 1] << 8)));
    }
    texts[nID % 16] = strText;
    std::vector<BYTE> rebuilt;
    for (const std::wstring& text : texts)
    {
        rebuilt.push_back(static_cast<BYTE>(text.size() & 0xFF));
        rebuilt.push_back(static_cast<BYTE>(text.size() >> 8));
        AppendWide(rebuilt, text);
    }
    return SetResource(RT_STRING, pszBlock, rebuilt);
}
