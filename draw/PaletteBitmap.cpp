#include "draw/PaletteBitmap.h"

#include "draw/DpiScale.h"

#include <cstdlib>

namespace
{
// Colours in the table that follows the header: 2^bits for at most 8 bits per pixel.
int ColourCount(const BITMAPINFOHEADER* header)
{
    return header->biBitCount <= 8 ? 1 << header->biBitCount : 0;
}

// TRUE when the header, the colour table and the pixel rows that the header describes
// all lie inside a resource of size bytes, so that nothing reads past its end.
BOOL FitsInResource(const BITMAPINFOHEADER* header, DWORD size)
{
    if (size < sizeof(BITMAPINFOHEADER) || header->biSize < sizeof(BITMAPINFOHEADER) ||
        header->biSize > size)
        return FALSE;
    unsigned long long bitsSize;
    if (header->biCompression == BI_RGB)
    {
        unsigned long long width = static_cast<unsigned long long>(std::llabs(header->biWidth));
        unsigned long long height = static_cast<unsigned long long>(std::llabs(header->biHeight));
        bitsSize = (width * header->biBitCount + 31) / 32 * 4 * height;
    }
    else if (header->biCompression == BI_RLE8 || header->biCompression == BI_RLE4)
    {
        bitsSize = header->biSizeImage;
    }
    else
    {
        // Other layouts keep more than a colour table before their bits.
        return FALSE;
    }
    unsigned long long total = header->biSize + 4ull * ColourCount(header) + bitsSize;
    return total <= size;
}
}

HPALETTE CreateDIBPalette(const BITMAPINFOHEADER* header, int* colourCount)
{
    int count = ColourCount(header);
    if (colourCount != nullptr)
        *colourCount = count;
    if (count == 0)
        return nullptr;

    HGLOBAL hMem = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                 sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
    if (hMem == nullptr)
        return nullptr;
    LOGPALETTE* pPalette = static_cast<LOGPALETTE*>(::GlobalLock(hMem));
    if (pPalette == nullptr)
    {
        ::GlobalFree(hMem);
        return nullptr;
    }
    const RGBQUAD* pTable = reinterpret_cast<const RGBQUAD*>(
        reinterpret_cast<const BYTE*>(header) + header->biSize);
    pPalette->palVersion = 0x300;
    pPalette->palNumEntries = static_cast<WORD>(count);
    for (int i = 0; i < count; ++i)
    {
        pPalette->palPalEntry[i].peRed = pTable[i].rgbRed;
        pPalette->palPalEntry[i].peGreen = pTable[i].rgbGreen;
        pPalette->palPalEntry[i].peBlue = pTable[i].rgbBlue;
        pPalette->palPalEntry[i].peFlags = 0;
    }
    HPALETTE hPalette = ::CreatePalette(pPalette);
    ::GlobalUnlock(hMem);
    ::GlobalFree(hMem);
    return hPalette;
}

HBITMAP LoadResourceBitmap(HINSTANCE module, LPCSTR name, HPALETTE* palette, int nDpi,
                           int nHeight)
{
    HPALETTE hPalette = nullptr;
    if (palette != nullptr)
        *palette = nullptr;
    HRSRC hResource = ::FindResourceA(module, name, MAKEINTRESOURCEA(2));   // RT_BITMAP
    if (hResource == nullptr)
        return nullptr;
    HGLOBAL hData = ::LoadResource(module, hResource);
    const BITMAPINFOHEADER* header =
        hData != nullptr ? static_cast<const BITMAPINFOHEADER*>(::LockResource(hData)) : nullptr;
    if (header == nullptr || !FitsInResource(header, ::SizeofResource(module, hResource)))
        return nullptr;
    std::unique_ptr<BYTE[]> pScaled;
    if (nDpi != kBaseDpi || nHeight != 0)
        pScaled = ScalePixelArt(header, nDpi, nHeight);
    if (pScaled != nullptr)
        header = reinterpret_cast<const BITMAPINFOHEADER*>(pScaled.get());

    HDC hScreen = ::GetDC(nullptr);
    const int count = ColourCount(header);
    if (palette != nullptr)
        hPalette = CreateDIBPalette(header, nullptr);
    // Realized in the background, so that the bitmap's colours map onto the system palette
    // without taking it from the window in front: the panel realizes its own palette in
    // its own DC when it may.
    HPALETTE hOldPalette = nullptr;
    if (hPalette != nullptr)
    {
        hOldPalette = ::SelectPalette(hScreen, hPalette, TRUE);
        ::RealizePalette(hScreen);
    }
    const BYTE* pBits = reinterpret_cast<const BYTE*>(header) + header->biSize + 4 * count;
    HBITMAP hBitmap = ::CreateDIBitmap(hScreen, header, CBM_INIT, pBits,
                                       reinterpret_cast<const BITMAPINFO*>(header), DIB_RGB_COLORS);
    // The caller may delete the palette at any time: it must not stay selected.
    if (hOldPalette != nullptr)
        ::SelectPalette(hScreen, hOldPalette, FALSE);
    ::ReleaseDC(nullptr, hScreen);

    if (hBitmap == nullptr && hPalette != nullptr)
        ::DeleteObject(hPalette);
    else if (palette != nullptr)
        *palette = hPalette;
    return hBitmap;
}

void DrawTransparentBitmap(HDC dc, HBITMAP bitmap, short x, short y, COLORREF transparent)
{
    BITMAP bm;
    if (bitmap == nullptr || ::GetObjectA(bitmap, sizeof(bm), &bm) == 0)
        return;

    HDC hdcSource = ::CreateCompatibleDC(dc);
    HGDIOBJ hSourceOld = ::SelectObject(hdcSource, bitmap);
    POINT size = { bm.bmWidth, bm.bmHeight };
    ::DPtoLP(hdcSource, &size, 1);
    const int w = size.x;
    const int h = size.y;

    HDC hdcInverseMask = ::CreateCompatibleDC(dc);
    HDC hdcMask = ::CreateCompatibleDC(dc);
    HDC hdcWork = ::CreateCompatibleDC(dc);
    HDC hdcSave = ::CreateCompatibleDC(dc);

    HBITMAP hInverseMask = ::CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP hMask = ::CreateBitmap(w, h, 1, 1, nullptr);
    HBITMAP hWork = ::CreateCompatibleBitmap(dc, w, h);
    HBITMAP hSave = ::CreateCompatibleBitmap(dc, w, h);

    HGDIOBJ hInverseMaskOld = ::SelectObject(hdcInverseMask, hInverseMask);
    HGDIOBJ hMaskOld = ::SelectObject(hdcMask, hMask);
    HGDIOBJ hWorkOld = ::SelectObject(hdcWork, hWork);
    HGDIOBJ hSaveOld = ::SelectObject(hdcSave, hSave);

    ::SetMapMode(hdcSource, ::GetMapMode(dc));

    // Keep the bitmap's pixels: masking below changes them.
    ::BitBlt(hdcSave, 0, 0, w, h, hdcSource, 0, 0, SRCCOPY);

    // Colour to monochrome: the background colour becomes 1, everything else 0.
    COLORREF oldBk = ::SetBkColor(hdcSource, transparent);
    ::BitBlt(hdcMask, 0, 0, w, h, hdcSource, 0, 0, SRCCOPY);
    ::SetBkColor(hdcSource, oldBk);
    ::BitBlt(hdcInverseMask, 0, 0, w, h, hdcMask, 0, 0, NOTSRCCOPY);

    // Background where transparent, bitmap elsewhere, assembled off screen.
    ::BitBlt(hdcWork, 0, 0, w, h, dc, x, y, SRCCOPY);
    ::BitBlt(hdcWork, 0, 0, w, h, hdcMask, 0, 0, SRCAND);
    ::BitBlt(hdcSource, 0, 0, w, h, hdcInverseMask, 0, 0, SRCAND);
    ::BitBlt(hdcWork, 0, 0, w, h, hdcSource, 0, 0, SRCPAINT);
    ::BitBlt(dc, x, y, w, h, hdcWork, 0, 0, SRCCOPY);

    ::BitBlt(hdcSource, 0, 0, w, h, hdcSave, 0, 0, SRCCOPY);

    ::SelectObject(hdcInverseMask, hInverseMaskOld);
    ::SelectObject(hdcMask, hMaskOld);
    ::SelectObject(hdcWork, hWorkOld);
    ::SelectObject(hdcSave, hSaveOld);
    ::SelectObject(hdcSource, hSourceOld);
    ::DeleteObject(hInverseMask);
    ::DeleteObject(hMask);
    ::DeleteObject(hWork);
    ::DeleteObject(hSave);
    ::DeleteDC(hdcWork);
    ::DeleteDC(hdcInverseMask);
    ::DeleteDC(hdcMask);
    ::DeleteDC(hdcSave);
    ::DeleteDC(hdcSource);
}
