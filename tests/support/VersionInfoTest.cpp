// CVersionInfo: the choice of string table, and reading real version resources, both the
// program's own and ones written into a scratch copy of this executable.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "ScratchExecutable.h"
#include "support/VersionInfo.h"

namespace
{
DWORD Entry(WORD wLanguage, WORD wCodePage)
{
    return MAKELONG(wLanguage, wCodePage);
}

std::string ModuleDirectory()
{
    char szPath[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    std::string strPath(szPath, cch);
    return strPath.substr(0, strPath.find_last_of('\\') + 1);
}

// A scratch copy of this executable whose only resource is the given version block.
class CVersionedCopy : public CScratchExecutable
{
public:
    explicit CVersionedCopy(const std::vector<BYTE>& block)
        : CScratchExecutable(nullptr, FALSE)
    {
        SetResource(RT_VERSION, MAKEINTRESOURCEA(VS_VERSION_INFO), block);
    }
};
}

TEST(ChooseTranslationTest, PicksByLanguageInPassOrder)
{
    const DWORD german_english[] = {Entry(0x0407, 0x04E4), Entry(0x0409, 0x04B0)};
    EXPECT_EQ(1, ChooseTranslation(german_english, 2, 0x0409));   // exact
    EXPECT_EQ(1, ChooseTranslation(german_english, 2, 0x0809));   // same primary language
    EXPECT_EQ(1, ChooseTranslation(german_english, 2, 0x040C));   // English for a French user
    EXPECT_EQ(0, ChooseTranslation(german_english, 2, 0x0807));   // Swiss German
    EXPECT_EQ("\\StringFileInfo\\040904b0\\", MakeStringTablePrefix(german_english[1]));
    EXPECT_EQ("\\StringFileInfo\\040704e4\\", MakeStringTablePrefix(german_english[0]));

    // Exact beats a later entry of the same primary language; a sort id defeats exact.
    const DWORD us_uk[] = {Entry(0x0409, 0x04E4), Entry(0x0809, 0x04E4)};
    EXPECT_EQ(0, ChooseTranslation(us_uk, 2, 0x0409));
    EXPECT_EQ(1, ChooseTranslation(us_uk, 2, 0x0809));
    EXPECT_EQ(1, ChooseTranslation(us_uk, 2, 0x10409));

    // Neutral comes before English, wherever it stands.
    const DWORD english_neutral[] = {Entry(0x0409, 0x04E4), Entry(0x0000, 0x04B0)};
    const DWORD neutral_english[] = {Entry(0x0000, 0x04B0), Entry(0x0409, 0x04E4)};
    EXPECT_EQ(1, ChooseTranslation(english_neutral, 2, 0x040C));
    EXPECT_EQ(0, ChooseTranslation(neutral_english, 2, 0x040C));
}

TEST(ChooseTranslationTest, EdgeLists)
{
    const DWORD duplicates[] = {Entry(0x0409, 0x04E4), Entry(0x0407, 0x04E4), Entry(0x0409, 0x04B0)};
    EXPECT_EQ(2, ChooseTranslation(duplicates, 3, 0x0409));
    EXPECT_EQ(2, ChooseTranslation(duplicates, 3, 0x0411));

    const DWORD neutral[] = {Entry(0x0000, 0x04B0)};
    for (LCID lcid : {0x0409u, 0x0407u, 0x0411u, 0x0000u})
        EXPECT_EQ(0, ChooseTranslation(neutral, 1, lcid)) << lcid;

    const DWORD unmatched[] = {Entry(0x0407, 0x04E4), Entry(0x040C, 0x04E4), Entry(0x0410, 0x04E4)};
    EXPECT_EQ(2, ChooseTranslation(unmatched, 3, 0x0411));
    EXPECT_EQ(2, ChooseTranslation(unmatched, 3, 0x0409));   // an English user gets no English pass

    EXPECT_EQ(-1, ChooseTranslation(unmatched, 0, 0x0409));
}

TEST(VersionInfoTest, ReadsTheProgramAndThisExecutable)
{
    const std::string strProgram = ModuleDirectory() + "Aurelon3D.exe";
    for (const char* pszFile : {strProgram.c_str(), static_cast<const char*>(NULL)})
    {
        SCOPED_TRACE(pszFile != NULL ? pszFile : "running executable");
        CVersionInfo info;
        DWORD dwError = 0;
        ASSERT_TRUE(info.Load(pszFile, &dwError)) << dwError;
        EXPECT_EQ("\\StringFileInfo\\040904e4\\", info.GetStringPrefix());
        char szText[256];
        EXPECT_TRUE(info.GetProductVersion(szText, 255, &dwError));
        EXPECT_STREQ("1.80", szText);
        EXPECT_TRUE(info.GetFileDescription(szText, 255, &dwError));
        EXPECT_STREQ("Aurelon 3D Audio Control", szText);
        EXPECT_TRUE(info.GetFileVersion(szText, 255, &dwError));
        EXPECT_STREQ("1.01.001", szText);
        EXPECT_TRUE(info.GetLegalTrademarks(szText, 255, &dwError));
        EXPECT_STREQ("All Rights Reserved", szText);
        EXPECT_TRUE(info.GetProductName(szText, 255, &dwError));
        EXPECT_NE('\0', szText[0]);
        EXPECT_FALSE(info.QueryString("NoSuchValue", szText, 255, NULL));
    }
}

TEST(VersionInfoTest, CapacityIsCheckedAndTheNeedIsReported)
{
    CVersionInfo info;
    ASSERT_TRUE(info.Load(NULL, NULL));
    char szText[32];
    std::memset(szText, 'G', sizeof(szText));
    DWORD dwNeeded = 0;
    EXPECT_FALSE(info.GetFileVersion(szText, 3, &dwNeeded));
    ASSERT_GE(dwNeeded, 9u);   // "1.01.001" and its terminator
    EXPECT_EQ('G', szText[0]);

    // Exactly the reported length fits; the byte after it is the last one written.
    std::memset(szText, 'G', sizeof(szText));
    EXPECT_TRUE(info.GetFileVersion(szText, dwNeeded, NULL));
    EXPECT_STREQ("1.01.001", szText);
    EXPECT_EQ('\0', szText[dwNeeded]);
    EXPECT_EQ('G', szText[dwNeeded + 1]);
}

TEST(VersionInfoTest, FailuresReportTheSystemError)
{
    CVersionInfo info;
    char szText[16] = "kept";
    DWORD dwError = 0;
    EXPECT_FALSE(info.GetProductName(szText, 15, &dwError));   // never loaded
    EXPECT_STREQ("kept", szText);
    EXPECT_FALSE(info.Load("C:\\no\\such\\file.exe", &dwError));
    EXPECT_NE(0u, dwError);
    EXPECT_FALSE(info.GetProductName(szText, 15, NULL));

    // A file that is no executable at all.
    char szTemp[MAX_PATH];
    char szFile[MAX_PATH];
    GetTempPathA(MAX_PATH, szTemp);
    GetTempFileNameA(szTemp, "ver", 0, szFile);
    dwError = 0;
    EXPECT_FALSE(info.Load(szFile, &dwError));
    EXPECT_NE(0u, dwError);
    DeleteFileA(szFile);
}

TEST(VersionInfoTest, ScratchBlockChoosesAndCutsLongVersions)
{
    const std::wstring strLong = L"1.2.3.4.5.6.7.8.9.10.11.12.13";   // 29 characters
    const std::wstring str24 = L"123456789012345678901234";
    CVersionedCopy exe(MakeVersionBlock(
        {Entry(0x0407, 0x04E4), Entry(0x0000, 0x04B0)},
        {{L"ProductName", L"Kestrix"}, {L"ProductVersion", strLong}, {L"FileVersion", str24},
         {L"FileDescription", std::wstring(300, L'd')}}));
    ASSERT_TRUE(exe.IsReady());

    CVersionInfo info;
    DWORD dwError = 0;
    ASSERT_TRUE(info.Load(exe.GetPath(), &dwError)) << dwError;
    const DWORD translations[] = {Entry(0x0407, 0x04E4), Entry(0x0000, 0x04B0)};
    int iChosen = ChooseTranslation(translations, 2, GetUserDefaultLCID());
    ASSERT_GE(iChosen, 0);
    EXPECT_EQ(MakeStringTablePrefix(translations[iChosen]), info.GetStringPrefix());
    char szTable[32];
    ASSERT_TRUE(info.QueryString("Table", szTable, 31, NULL));
    EXPECT_EQ(MakeStringTablePrefix(translations[iChosen]),
              std::string("\\StringFileInfo\\") + szTable + "\\");

    VERSIONSTRINGS strings;
    std::memset(&strings, 'G', sizeof(strings));
    dwError = 0;
    EXPECT_TRUE(FillVersionStrings(info, &strings, &dwError));
    EXPECT_EQ(sizeof(strings), strings.cbSize);
    EXPECT_STREQ("Kestrix", strings.ProductName);
    EXPECT_STREQ("1.2.3.4.5.6.7.8.9.10.11.", strings.ProductVersion);   // cut to 24
    EXPECT_STREQ("123456789012345678901234", strings.FileVersion);      // fits exactly
    EXPECT_STREQ("", strings.FileDescription);                          // too long for 255
    EXPECT_STREQ("", strings.CompanyName);
    EXPECT_STREQ("", strings.LegalTrademarks);
    EXPECT_NE(0u, dwError);   // the last failure: a missing value

    char szText[256];
    dwError = 0;
    EXPECT_FALSE(info.GetFileDescription(szText, 255, &dwError));
    EXPECT_EQ(301u, dwError);
}

TEST(VersionInfoTest, EmptyTranslationListFailsTheLoad)
{
    CVersionedCopy exe(MakeVersionBlock({}, {}));
    ASSERT_TRUE(exe.IsReady());
    CVersionInfo info;
    DWORD dwError = 12345;
    EXPECT_FALSE(info.Load(exe.GetPath(), &dwError));
    EXPECT_EQ(12345u, dwError);
}

TEST(VersionInfoTest, GetVersionStringsFillsTheRecord)
{
    VERSIONSTRINGS strings;
    std::memset(&strings, 'G', sizeof(strings));
    DWORD dwError = 0;
    ASSERT_TRUE(GetVersionStrings(&strings, &dwError));
    EXPECT_EQ(sizeof(strings), strings.cbSize);
    EXPECT_STREQ("1.80", strings.ProductVersion);
    EXPECT_STREQ("Aurelon 3D Audio Control", strings.FileDescription);
    EXPECT_STREQ("1.01.001", strings.FileVersion);
    EXPECT_STREQ("All Rights Reserved", strings.LegalTrademarks);
    EXPECT_NE('\0', strings.ProductName[0]);
    EXPECT_NE('\0', strings.CompanyName[0]);
    EXPECT_NE('\0', strings.LegalCopyright[0]);
    EXPECT_EQ(0u, dwError);
}
