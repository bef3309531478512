// What the built programs carry for Windows itself: the manifest that both builds embed,
// and icons that hold every size the tray asks for.
#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include "Harness.h"
#include "resource.h"

namespace
{
// The program's manifest (resource 1 of type RT_MANIFEST), read from the file.
std::string ManifestOf(const std::string& path)
{
    HMODULE hModule = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (hModule == nullptr)
        return std::string();
    std::string text;
    HRSRC hRes = ::FindResourceA(hModule, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    if (hRes != nullptr)
        text.assign(static_cast<const char*>(::LockResource(::LoadResource(hModule, hRes))),
                    ::SizeofResource(hModule, hRes));
    ::FreeLibrary(hModule);
    return text;
}

void ExpectManifest(const std::string& path)
{
    SCOPED_TRACE(path);
    std::string manifest = ManifestOf(path);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""),
              std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    // Vista, 7, 8, 8.1 and 10 (and later) run the program as one that knows them.
    for (const char* pszOS : { "e2011457", "35138b9a", "4a2f28e3", "1f676c76", "8e0f7a12" })
        EXPECT_NE(manifest.find(std::string("{") + pszOS), std::string::npos) << pszOS;
}

TEST(ResourceFileTest, TheProgramCarriesTheManifest)
{
    ExpectManifest(BinPath("Aurelon3D.exe"));
}

// The image that Windows picks for a size, from the icon's own directory.
SIZE IconImageFor(HMODULE hModule, UINT nIconID, int nSize)
{
    SIZE size = { 0, 0 };
    HRSRC hGroup = ::FindResourceA(hModule, MAKEINTRESOURCEA(nIconID), MAKEINTRESOURCEA(14));
    if (hGroup == nullptr)
        return size;
    PBYTE pDir = static_cast<PBYTE>(::LockResource(::LoadResource(hModule, hGroup)));
    int nImage = ::LookupIconIdFromDirectoryEx(pDir, TRUE, nSize, nSize, LR_DEFAULTCOLOR);
    HRSRC hImage = ::FindResourceA(hModule, MAKEINTRESOURCEA(nImage), MAKEINTRESOURCEA(3));
    if (hImage == nullptr)
        return size;
    const BITMAPINFOHEADER* pHeader =
        static_cast<const BITMAPINFOHEADER*>(::LockResource(::LoadResource(hModule, hImage)));
    size.cx = pHeader->biWidth;
    size.cy = pHeader->biHeight / 2;    // the colour and the mask image, one above the other
    return size;
}

void ExpectEverySmallIconSize(HMODULE hModule)
{
    for (UINT nIconID : { IDI_SRS_ON, IDI_SRS_OFF, IDI_QSOUND_ON, IDI_QSOUND_OFF })
    {
        for (int nSize : { 16, 20, 24, 32 })
        {
            SIZE size = IconImageFor(hModule, nIconID, nSize);
            EXPECT_EQ(size.cx, nSize) << "icon " << nIconID;
            EXPECT_EQ(size.cy, nSize) << "icon " << nIconID;
        }
    }
}

TEST(ResourceFileTest, TrayPicturesHoldEverySmallIconSize)
{
    ExpectEverySmallIconSize(::GetModuleHandleA(nullptr));
}

// The 32-bit program where it was built (AURELON_PROGRAM_I686, a Unix path): required
// wherever the build names it.
TEST(ResourceFileTest, TheI686ProgramCarriesTheManifest)
{
    const char* pszPath = getenv("AURELON_PROGRAM_I686");
    if (pszPath == nullptr || *pszPath == '\0')
        GTEST_SKIP() << "AURELON_PROGRAM_I686 is empty";
    const std::string path = std::string("Z:") + pszPath;
    HMODULE hModule = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hModule, nullptr) << path;
    ExpectEverySmallIconSize(hModule);
    ::FreeLibrary(hModule);
    ExpectManifest(path);
}
}
