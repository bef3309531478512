// Palette bitmaps from resources and transparent drawing, checked pixel by pixel.
#include <windows.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <set>
#include <string>
#include <vector>
#include "draw/PaletteBitmap.h"
#include "resource.h"
#include "Canvas.h"

namespace
{
const COLORREF kLogoGrey = RGB(192, 192, 192);

// A device-independent bitmap laid out as a resource: header, table, bottom-up rows.
struct DibImage
{
    std::vector<BYTE> data;
    std::vector<COLORREF> pixels;   // what it shows, rows from the top
};

COLORREF TableColour(int i)
{
    return RGB((i * 37 + 5) & 0xFF, (i * 91 + 17) & 0xFF, (255 - i * 13) & 0xFF);
}

// nBits 1, 4, 8 (tableEntries colours written) or 24; pixel (x, y) has an index (below
// clrUsed when that is given) or colour chosen by position so that every row differs.
DibImage MakeDib(int nBits, int cx, int cy, int tableEntries, DWORD clrUsed)
{
    DibImage dib;
    const int stride = (cx * nBits + 31) / 32 * 4;
    dib.data.resize(sizeof(BITMAPINFOHEADER) + 4 * tableEntries + stride * cy);
    BITMAPINFOHEADER* pHeader = reinterpret_cast<BITMAPINFOHEADER*>(dib.data.data());
    pHeader->biSize = sizeof(BITMAPINFOHEADER);
    pHeader->biWidth = cx;
    pHeader->biHeight = cy;
    pHeader->biPlanes = 1;
    pHeader->biBitCount = static_cast<WORD>(nBits);
    pHeader->biCompression = BI_RGB;
    pHeader->biClrUsed = clrUsed;
    RGBQUAD* pTable = reinterpret_cast<RGBQUAD*>(dib.data.data() + sizeof(BITMAPINFOHEADER));
    for (int i = 0; i < tableEntries; ++i)
    {
        COLORREF cr = TableColour(i);
        pTable[i] = { GetBValue(cr), GetGValue(cr), GetRValue(cr), 0 };
    }
    BYTE* pBits = dib.data.data() + sizeof(BITMAPINFOHEADER) + 4 * tableEntries;
    const int colours = nBits <= 8 ? 1 << nBits : 0;
    dib.pixels.resize(static_cast<size_t>(cx) * cy);
    for (int y = 0; y < cy; ++y)
    {
        BYTE* pRow = pBits + (cy - 1 - y) * stride;
        for (int x = 0; x < cx; ++x)
        {
            COLORREF cr;
            if (nBits == 24)
            {
                cr = RGB(x * 40 + 3, y * 50 + 7, x * y + 11);
                pRow[x * 3] = GetBValue(cr);
                pRow[x * 3 + 1] = GetGValue(cr);
                pRow[x * 3 + 2] = GetRValue(cr);
            }
            else
            {
                int used = clrUsed != 0 ? static_cast<int>(clrUsed) : colours;
                int index = (x + 3 * y) % std::min(used, tableEntries);
                cr = TableColour(index);
                int bitPos = x * nBits;
                int shift = 8 - nBits - bitPos % 8;
                pRow[bitPos / 8] = static_cast<BYTE>(pRow[bitPos / 8] | (index << shift));
            }
            dib.pixels[static_cast<size_t>(y) * cx + x] = cr;
        }
    }
    return dib;
}

// The pixels of a bitmap resource with a full colour table, decoded from its bytes.
std::vector<COLORREF> DecodeResource(HMODULE hModule, UINT nID, int* pcx, int* pcy)
{
    HRSRC hRes = ::FindResourceA(hModule, MAKEINTRESOURCEA(nID), MAKEINTRESOURCEA(2));
    const BYTE* p = static_cast<const BYTE*>(::LockResource(::LoadResource(hModule, hRes)));
    const BITMAPINFOHEADER* pHeader = reinterpret_cast<const BITMAPINFOHEADER*>(p);
    const int nBits = pHeader->biBitCount;
    const int colours = nBits <= 8 ? 1 << nBits : 0;
    const RGBQUAD* pTable = reinterpret_cast<const RGBQUAD*>(p + pHeader->biSize);
    const BYTE* pBits = p + pHeader->biSize + 4 * colours;
    const int cx = pHeader->biWidth;
    const int cy = pHeader->biHeight;
    const int stride = (cx * nBits + 31) / 32 * 4;
    std::vector<COLORREF> pixels(static_cast<size_t>(cx) * cy);
    if (pHeader->biCompression != BI_RGB)
    {
        // Run-length encoded: as GDI itself draws it.
        CCanvas canvas(cx, cy);
        ::StretchDIBits(canvas.GetDC(), 0, 0, cx, cy, 0, 0, cx, cy, pBits,
                        reinterpret_cast<const BITMAPINFO*>(pHeader), DIB_RGB_COLORS, SRCCOPY);
        ::GdiFlush();
        for (int y = 0; y < cy; ++y)
            for (int x = 0; x < cx; ++x)
                pixels[static_cast<size_t>(y) * cx + x] = canvas.At(x, y);
    }
    for (int y = 0; y < cy && pHeader->biCompression == BI_RGB; ++y)
    {
        const BYTE* pRow = pBits + (cy - 1 - y) * stride;
        for (int x = 0; x < cx; ++x)
        {
            COLORREF cr;
            if (nBits == 24)
            {
                cr = RGB(pRow[x * 3 + 2], pRow[x * 3 + 1], pRow[x * 3]);
            }
            else
            {
                int bitPos = x * nBits;
                int index = (pRow[bitPos / 8] >> (8 - nBits - bitPos % 8)) & (colours - 1);
                cr = RGB(pTable[index].rgbRed, pTable[index].rgbGreen, pTable[index].rgbBlue);
            }
            pixels[static_cast<size_t>(y) * cx + x] = cr;
        }
    }
    *pcx = cx;
    *pcy = cy;
    return pixels;
}

// Checks the palette against the colour table that follows a header.
void ExpectPaletteMatchesTable(HPALETTE hPalette, const BITMAPINFOHEADER* pHeader, int count)
{
    ASSERT_NE(hPalette, nullptr);
    ASSERT_EQ(::GetPaletteEntries(hPalette, 0, 0, nullptr), static_cast<UINT>(count));
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(count));
    ::GetPaletteEntries(hPalette, 0, static_cast<UINT>(count), entries.data());
    const RGBQUAD* pTable = reinterpret_cast<const RGBQUAD*>(
        reinterpret_cast<const BYTE*>(pHeader) + pHeader->biSize);
    for (int i = 0; i < count; ++i)
    {
        EXPECT_EQ(entries[i].peRed, pTable[i].rgbRed) << "entry " << i;
        EXPECT_EQ(entries[i].peGreen, pTable[i].rgbGreen) << "entry " << i;
        EXPECT_EQ(entries[i].peBlue, pTable[i].rgbBlue) << "entry " << i;
        EXPECT_EQ(entries[i].peFlags, 0) << "entry " << i;
    }
}

// A copy of this executable with extra bitmap resources, loaded as a data file.
class CCraftedModule
{
public:
    CCraftedModule() : m_hModule(nullptr)
    {
        char szExe[MAX_PATH];
        char szTemp[MAX_PATH];
        ::GetModuleFileNameA(nullptr, szExe, MAX_PATH);
        ::GetTempPathA(MAX_PATH, szTemp);
        m_strPath = std::string(szTemp) + "aurelon-draw-" + std::to_string(::GetCurrentProcessId()) +
                    ".exe";
        m_bCopied = ::CopyFileA(szExe, m_strPath.c_str(), FALSE);
        m_hUpdate = m_bCopied ? ::BeginUpdateResourceA(m_strPath.c_str(), TRUE) : nullptr;
    }
    ~CCraftedModule()
    {
        if (m_hModule != nullptr)
            ::FreeLibrary(m_hModule);
        ::DeleteFileA(m_strPath.c_str());
    }
    BOOL Add(UINT nID, const std::vector<BYTE>& data)
    {
        return ::UpdateResourceA(m_hUpdate, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(nID),
                                 MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                 const_cast<BYTE*>(data.data()), static_cast<DWORD>(data.size()));
    }
    HMODULE Load()
    {
        if (!::EndUpdateResourceA(m_hUpdate, FALSE))
            return nullptr;
        m_hModule = ::LoadLibraryExA(m_strPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        return m_hModule;
    }

private:
    std::string m_strPath;
    BOOL m_bCopied;
    HANDLE m_hUpdate;
    HMODULE m_hModule;
};

// Draws hBitmap onto a patterned canvas at (x, y) and checks every pixel: the transparent
// colour shows the canvas, every other pixel is the bitmap's, outside is untouched; and
// the bitmap itself is unchanged.
void ExpectTransparentCopy(HBITMAP hBitmap, COLORREF transparent, int nBits, int x, int y)
{
    int cx = 0;
    int cy = 0;
    std::vector<COLORREF> before = ReadBitmapPixels(hBitmap, &cx, &cy);
    ASSERT_FALSE(before.empty());
    CCanvas canvas(cx + 40, cy + 30, nBits);
    canvas.FillPattern();
    CCanvas original(cx + 40, cy + 30, nBits);
    original.CopyFrom(canvas);

    DrawTransparentBitmap(canvas.GetDC(), hBitmap, static_cast<short>(x), static_cast<short>(y),
                          transparent);

    int nTransparent = 0;
    int nOpaque = 0;
    int nWrong = 0;
    for (int py = 0; py < canvas.Height(); ++py)
    {
        for (int px = 0; px < canvas.Width(); ++px)
        {
            int bx = px - x;
            int by = py - y;
            COLORREF expected = original.At(px, py);
            if (bx >= 0 && by >= 0 && bx < cx && by < cy)
            {
                COLORREF src = before[static_cast<size_t>(by) * cx + bx];
                if (src == transparent)
                    ++nTransparent;
                else
                {
                    ++nOpaque;
                    expected = src;
                }
            }
            if (canvas.At(px, py) != expected && nWrong++ < 5)
                ADD_FAILURE() << "pixel " << px << "," << py << " is " << std::hex
                              << canvas.At(px, py) << ", expected " << expected;
        }
    }
    EXPECT_EQ(nWrong, 0);
    EXPECT_GT(nTransparent, 0);
    EXPECT_GT(nOpaque, 0);
    int cxAfter = 0;
    int cyAfter = 0;
    EXPECT_EQ(ReadBitmapPixels(hBitmap, &cxAfter, &cyAfter), before);
}
}

TEST(CreateDIBPaletteTest, EntriesFollowBitCountWhateverColoursUsedSays)
{
    const struct { int nBits; int nCount; } cases[] = { { 1, 2 }, { 4, 16 }, { 8, 256 } };
    for (const auto& c : cases)
    {
        for (DWORD clrUsed : { 0ul, 1ul, 3ul, 1000ul })
        {
            SCOPED_TRACE(testing::Message() << c.nBits << " bits, biClrUsed " << clrUsed);
            DibImage dib = MakeDib(c.nBits, 4, 2, c.nCount, clrUsed);
            const BITMAPINFOHEADER* pHeader =
                reinterpret_cast<const BITMAPINFOHEADER*>(dib.data.data());
            int count = -1;
            HPALETTE hPalette = CreateDIBPalette(pHeader, &count);
            EXPECT_EQ(count, c.nCount);
            ExpectPaletteMatchesTable(hPalette, pHeader, c.nCount);
            ::DeleteObject(hPalette);
        }
    }
}

TEST(CreateDIBPaletteTest, DeepBitmapsHaveNoPalette)
{
    for (int nBits : { 16, 24, 32 })
    {
        DibImage dib = MakeDib(24, 2, 2, 0, 0);
        reinterpret_cast<BITMAPINFOHEADER*>(dib.data.data())->biBitCount = static_cast<WORD>(nBits);
        int count = -1;
        EXPECT_EQ(CreateDIBPalette(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data.data()), &count),
                  nullptr);
        EXPECT_EQ(count, 0) << nBits << " bits";
    }
}

TEST(LoadResourceBitmapTest, LogosLoadWithTheirPaletteAndPixels)
{
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    for (UINT nID : { IDB_SRS_LOGO, IDB_QSOUND_LOGO })
    {
        SCOPED_TRACE(testing::Message() << "bitmap " << nID);
        HPALETTE hPalette = nullptr;
        HBITMAP hBitmap = LoadResourceBitmap(hModule, MAKEINTRESOURCEA(nID), &hPalette);
        ASSERT_NE(hBitmap, nullptr);

        HRSRC hRes = ::FindResourceA(hModule, MAKEINTRESOURCEA(nID), MAKEINTRESOURCEA(2));
        const BITMAPINFOHEADER* pHeader = static_cast<const BITMAPINFOHEADER*>(
            ::LockResource(::LoadResource(hModule, hRes)));
        ASSERT_LE(pHeader->biBitCount, 8);
        ExpectPaletteMatchesTable(hPalette, pHeader, 1 << pHeader->biBitCount);

        int cx = 0;
        int cy = 0;
        std::vector<COLORREF> pixels = ReadBitmapPixels(hBitmap, &cx, &cy);
        EXPECT_EQ(cx, 116);
        EXPECT_EQ(cy, 60);
        ASSERT_FALSE(pixels.empty());
        EXPECT_EQ(pixels[0], kLogoGrey);
        int cxDib = 0;
        int cyDib = 0;
        EXPECT_EQ(pixels, DecodeResource(hModule, nID, &cxDib, &cyDib));
        ::DeleteObject(hBitmap);
        ::DeleteObject(hPalette);
    }
}

TEST(LoadResourceBitmapTest, MissingResourceGivesNothing)
{
    HPALETTE hPalette = reinterpret_cast<HPALETTE>(static_cast<INT_PTR>(1));
    EXPECT_EQ(LoadResourceBitmap(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(9999), &hPalette),
              nullptr);
    EXPECT_EQ(hPalette, nullptr);
}

TEST(LoadResourceBitmapTest, BitsFollowTheFullTableAndStayInsideTheResource)
{
    CCraftedModule crafted;
    DibImage deep = MakeDib(24, 5, 3, 0, 0);
    DibImage fewUsed = MakeDib(4, 7, 5, 16, 2);
    DibImage full8 = MakeDib(8, 9, 4, 256, 0);
    // Claims 256 colours but carries 16: the rows it describes run past the resource.
    DibImage shortTable = MakeDib(8, 9, 4, 16, 16);
    std::vector<BYTE> headerOnly(shortTable.data.begin(), shortTable.data.begin() + 20);
    ASSERT_TRUE(crafted.Add(901, deep.data));
    ASSERT_TRUE(crafted.Add(902, fewUsed.data));
    ASSERT_TRUE(crafted.Add(903, full8.data));
    ASSERT_TRUE(crafted.Add(904, shortTable.data));
    ASSERT_TRUE(crafted.Add(905, headerOnly));
    HMODULE hModule = crafted.Load();
    ASSERT_NE(hModule, nullptr);

    const struct { UINT nID; const DibImage* pDib; bool bPalette; } loadable[] = {
        { 901, &deep, false }, { 902, &fewUsed, true }, { 903, &full8, true } };
    for (const auto& c : loadable)
    {
        SCOPED_TRACE(testing::Message() << "bitmap " << c.nID);
        HPALETTE hPalette = nullptr;
        HBITMAP hBitmap = LoadResourceBitmap(hModule, MAKEINTRESOURCEA(c.nID), &hPalette);
        ASSERT_NE(hBitmap, nullptr);
        EXPECT_EQ(hPalette != nullptr, c.bPalette);
        int cx = 0;
        int cy = 0;
        EXPECT_EQ(ReadBitmapPixels(hBitmap, &cx, &cy), c.pDib->pixels);
        ::DeleteObject(hBitmap);
        if (hPalette != nullptr)
            ::DeleteObject(hPalette);
    }
    for (UINT nID : { 904u, 905u })
    {
        HPALETTE hPalette = reinterpret_cast<HPALETTE>(static_cast<INT_PTR>(1));
        EXPECT_EQ(LoadResourceBitmap(hModule, MAKEINTRESOURCEA(nID), &hPalette), nullptr) << nID;
        EXPECT_EQ(hPalette, nullptr) << nID;
    }
}

TEST(DrawTransparentBitmapTest, LogoBackgroundShowsTheDestination)
{
    for (UINT nID : { IDB_SRS_LOGO, IDB_QSOUND_LOGO })
    {
        for (int nBits : { 24, 32 })
        {
            SCOPED_TRACE(testing::Message() << "bitmap " << nID << ", " << nBits << " bits");
            HPALETTE hPalette = nullptr;
            HBITMAP hLogo = LoadResourceBitmap(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(nID),
                                               &hPalette);
            ASSERT_NE(hLogo, nullptr);
            ExpectTransparentCopy(hLogo, kLogoGrey, nBits, 24, 3);
            ::DeleteObject(hLogo);
            ::DeleteObject(hPalette);
        }
    }
}

TEST(DrawTransparentBitmapTest, OnlyTheExactColourIsTransparent)
{
    // Neighbours of the transparent colour must be copied, and the picture may be
    // clipped at the destination's top-left corner.
    const COLORREF transparent = RGB(40, 90, 140);
    const COLORREF colours[] = { transparent, RGB(41, 90, 140), RGB(40, 89, 140),
                                 RGB(40, 90, 141), RGB(0, 0, 0), RGB(255, 255, 255) };
    CCanvas source(13, 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 13; ++x)
            source.Set(x, y, colours[(x * 5 + y * 3) % 6]);
    HDC hScreen = ::GetDC(nullptr);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hScreen, 13, 9);
    ::ReleaseDC(nullptr, hScreen);
    HDC hdc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOld = ::SelectObject(hdc, hBitmap);
    ::BitBlt(hdc, 0, 0, 13, 9, source.GetDC(), 0, 0, SRCCOPY);
    ::SelectObject(hdc, hOld);
    ::DeleteDC(hdc);

    ExpectTransparentCopy(hBitmap, transparent, 32, 5, 4);
    ExpectTransparentCopy(hBitmap, transparent, 32, 0, 0);

    // Partly above and left of the destination: the visible part lands at (0, 0).
    int cx = 0;
    int cy = 0;
    std::vector<COLORREF> pixels = ReadBitmapPixels(hBitmap, &cx, &cy);
    CCanvas canvas(20, 20);
    canvas.FillPattern();
    CCanvas original(20, 20);
    original.CopyFrom(canvas);
    DrawTransparentBitmap(canvas.GetDC(), hBitmap, -3, -2, transparent);
    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 20; ++x)
        {
            COLORREF expected = original.At(x, y);
            if (x + 3 < cx && y + 2 < cy && pixels[static_cast<size_t>(y + 2) * cx + x + 3] != transparent)
                expected = pixels[static_cast<size_t>(y + 2) * cx + x + 3];
            EXPECT_EQ(canvas.At(x, y), expected) << x << "," << y;
        }
    }
    ::DeleteObject(hBitmap);
}

TEST(DrawTransparentBitmapTest, NullBitmapDrawsNothing)
{
    CCanvas canvas(16, 16);
    canvas.FillPattern();
    CCanvas original(16, 16);
    original.CopyFrom(canvas);
    DrawTransparentBitmap(canvas.GetDC(), nullptr, 2, 2, RGB(0, 0, 0));
    EXPECT_TRUE(canvas.SameAs(original));
}

// Takes every GDI handle the process can still get but a few, and gives them back at the end.
class CGdiHandleHog
{
public:
    explicit CGdiHandleHog(size_t nLeft)
    {
        for (HRGN hRegion; m_regions.size() < 200000 && (hRegion = ::CreateRectRgn(0, 0, 1, 1)) != nullptr;)
            m_regions.push_back(hRegion);
        for (size_t i = 0; i < nLeft && !m_regions.empty(); ++i)
        {
            ::DeleteObject(m_regions.back());
            m_regions.pop_back();
        }
    }
    ~CGdiHandleHog()
    {
        for (HRGN hRegion : m_regions)
            ::DeleteObject(hRegion);
    }
    CGdiHandleHog(const CGdiHandleHog&) = delete;
    CGdiHandleHog& operator=(const CGdiHandleHog&) = delete;

    size_t Count() const { return m_regions.size(); }

private:
    std::vector<HRGN> m_regions;
};

TEST(DrawTransparentBitmapTest, ReleasesEverythingItCreates)
{
    // With all but a few dozen GDI handles taken, a call that kept even one of its nine
    // objects would use up the rest within that many calls; the last draw, and the check
    // that needs a few handles itself, would then fail.
    HPALETTE hPalette = nullptr;
    HBITMAP hLogo = LoadResourceBitmap(::GetModuleHandleA(nullptr),
                                       MAKEINTRESOURCEA(IDB_SRS_LOGO), &hPalette);
    ASSERT_NE(hLogo, nullptr);
    CCanvas canvas(8, 8);
    {
        CGdiHandleHog hog(48);
        ASSERT_GT(hog.Count(), 1000u);
        for (int i = 0; i < 200; ++i)
            DrawTransparentBitmap(canvas.GetDC(), hLogo, 0, 0, kLogoGrey);
        ExpectTransparentCopy(hLogo, kLogoGrey, 32, 24, 3);
    }
    ::DeleteObject(hLogo);
    ::DeleteObject(hPalette);
}

// Above 96 DPI the pixel art (run-length encoded or not) is drawn larger without blur: the
// size the DPI calls for, no colour that the picture does not have (the transparent corner
// stays exact), and at 144 DPI exactly the reference picture.
TEST(LoadResourceBitmapTest, PixelArtGrowsWithTheDpiWithoutNewColours)
{
    HMODULE hModule = ::GetModuleHandleA(nullptr);
    for (UINT nID : { IDB_SRS_LOGO, IDB_QSOUND_LOGO, IDB_STRIP, IDB_PRESET2_SEL })
    {
        int cx = 0;
        int cy = 0;
        const std::vector<COLORREF> original = DecodeResource(hModule, nID, &cx, &cy);
        ASSERT_FALSE(original.empty());
        std::set<COLORREF> colours(original.begin(), original.end());
        // Drawn anew at its own size, it is the picture itself, whatever its encoding.
        HBITMAP hSame = LoadResourceBitmap(hModule, MAKEINTRESOURCEA(nID), nullptr, 96, cy);
        int cxSame = 0;
        int cySame = 0;
        EXPECT_EQ(ReadBitmapPixels(hSame, &cxSame, &cySame), original) << "bitmap " << nID;
        ::DeleteObject(hSame);
        for (int nDpi : { 120, 144, 192 })
        {
            SCOPED_TRACE(testing::Message() << "bitmap " << nID << " at " << nDpi << " DPI");
            HBITMAP hBitmap = LoadResourceBitmap(hModule, MAKEINTRESOURCEA(nID), nullptr, nDpi);
            ASSERT_NE(hBitmap, nullptr);
            int cxScaled = 0;
            int cyScaled = 0;
            std::vector<COLORREF> pixels = ReadBitmapPixels(hBitmap, &cxScaled, &cyScaled);
            ::DeleteObject(hBitmap);
            EXPECT_EQ(cxScaled, ::MulDiv(cx, nDpi, 96));
            EXPECT_EQ(cyScaled, ::MulDiv(cy, nDpi, 96));
            ASSERT_EQ(pixels.size(), static_cast<size_t>(cxScaled) * cyScaled);
            EXPECT_EQ(pixels[0], original[0]);
            EXPECT_EQ(pixels.back(), original.back());
            int nForeign = 0;
            for (COLORREF cr : pixels)
                nForeign += colours.count(cr) == 0;
            EXPECT_EQ(nForeign, 0);
            int cxReference = 0, cyReference = 0;
            const bool bAsReference =
                nDpi != 144 || pixels == BitmapPixels(hModule, nID, nDpi, &cxReference, &cyReference);
            EXPECT_TRUE(bAsReference) << "not the reference picture";
        }
    }
}
