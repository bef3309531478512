#include "draw/DpiScale.h"

#include <cstdlib>
#include <cstring>

namespace
{
// Colour indices, one byte a pixel, rows in the stored order.
struct CIndexImage
{
    int nWidth;
    int nHeight;
    std::unique_ptr<BYTE[]> pPixels;

    void Put(int x, int y, BYTE index)
    {
        if (x >= 0 && x < nWidth && y >= 0 && y < nHeight)
            pPixels[static_cast<size_t>(y) * nWidth + x] = index;
    }

    BYTE At(int x, int y) const
    {
        x = x < 0 ? 0 : (x >= nWidth ? nWidth - 1 : x);
        y = y < 0 ? 0 : (y >= nHeight ? nHeight - 1 : y);
        return pPixels[static_cast<size_t>(y) * nWidth + x];
    }
};

int RowBytes(int nWidth, int nBits)
{
    return (nWidth * nBits + 31) / 32 * 4;
}

// The rows of a BI_RLE4 or BI_RLE8 bitmap (bits up to pEnd), in the stored order. What
// the runs skip keeps index 0; nothing is read past pEnd or written outside the image.
void DecodeRle(const BYTE* p, const BYTE* pEnd, int nBits, CIndexImage& image)
{
    auto pixel = [nBits](const BYTE* pData, int i) {
        return static_cast<BYTE>(nBits == 8 ? pData[i] : (pData[i / 2] >> (i % 2 ? 0 : 4)) & 15);
    };
    int x = 0;
    int y = 0;
    while (pEnd - p >= 2)
    {
        const int n = p[0];
        const BYTE c = p[1];
        p += 2;
        if (n > 0)                      // a run of one pixel, or of a pair of them
        {
            for (int i = 0; i < n; ++i)
                image.Put(x++, y, pixel(&c, nBits == 8 ? 0 : i % 2));
        }
        else if (c == 0)                // end of line
        {
            x = 0;
            ++y;
        }
        else if (c == 1)                // end of bitmap
        {
            return;
        }
        else if (c == 2)                // move right and up
        {
            if (pEnd - p < 2)
                return;
            x += p[0];
            y += p[1];
            p += 2;
        }
        else                            // c pixels as they are, padded to a word
        {
            const int nBytes = nBits == 8 ? c : (c + 1) / 2;
            if (pEnd - p < nBytes)
                return;
            for (int i = 0; i < c; ++i)
                image.Put(x++, y, pixel(p, i));
            p += (nBytes + 1) & ~1;
        }
    }
}

// Each pixel becomes four that follow the edges through it (Scale2x).
void Scale2x(CIndexImage& image)
{
    const int nWidth = image.nWidth * 2;
    std::unique_ptr<BYTE[]> pOut(new BYTE[static_cast<size_t>(nWidth) * image.nHeight * 2]);
    for (int y = 0; y < image.nHeight; ++y)
    {
        for (int x = 0; x < image.nWidth; ++x)
        {
            BYTE b = image.At(x, y - 1), d = image.At(x - 1, y), e = image.At(x, y);
            BYTE f = image.At(x + 1, y), h = image.At(x, y + 1);
            BYTE* top = &pOut[static_cast<size_t>(2 * y) * nWidth + 2 * x];
            BYTE* bottom = top + nWidth;
            top[0] = d == b && b != f && d != h ? d : e;
            top[1] = b == f && b != d && f != h ? f : e;
            bottom[0] = d == h && d != b && h != f ? d : e;
            bottom[1] = h == f && h != d && f != b ? f : e;
        }
    }
    image.nWidth = nWidth;
    image.nHeight *= 2;
    image.pPixels = std::move(pOut);
}
}

int ScreenDpi()
{
    HDC hdc = ::GetDC(nullptr);
    int nDpi = hdc != nullptr ? ::GetDeviceCaps(hdc, LOGPIXELSY) : 0;
    if (hdc != nullptr)
        ::ReleaseDC(nullptr, hdc);
    return nDpi > 0 ? nDpi : kBaseDpi;
}

int ScaleToDpi(int n, int nDpi)
{
    return ::MulDiv(n, nDpi, kBaseDpi);
}

std::unique_ptr<BYTE[]> ScalePixelArt(const BITMAPINFOHEADER* header, int nDpi, int nHeight)
{
    const int nBits = header->biBitCount;
    const int nWidth = ScaleToDpi(header->biWidth, nDpi);
    if (nHeight == 0)
        nHeight = ScaleToDpi(std::abs(header->biHeight), nDpi);
    const BOOL bRle = (header->biCompression == BI_RLE4 && nBits == 4) ||
                      (header->biCompression == BI_RLE8 && nBits == 8);
    if ((header->biCompression != BI_RGB && !bRle) || (nBits != 1 && nBits != 4 && nBits != 8) ||
        nWidth <= 0 || nHeight <= 0)
        return nullptr;
    const int nColours = 1 << nBits;
    const int nMask = nColours - 1;
    const BYTE* pTable = reinterpret_cast<const BYTE*>(header) + header->biSize;
    const BYTE* pBits = pTable + 4 * nColours;

    CIndexImage image = { header->biWidth, std::abs(header->biHeight), nullptr };
    image.pPixels.reset(new BYTE[static_cast<size_t>(image.nWidth) * image.nHeight]());
    if (bRle)
        DecodeRle(pBits, pBits + header->biSizeImage, nBits, image);
    for (int y = 0; y < image.nHeight && !bRle; ++y)
    {
        const BYTE* pRow = pBits + static_cast<size_t>(y) * RowBytes(image.nWidth, nBits);
        for (int x = 0; x < image.nWidth; ++x)
        {
            int nBit = x * nBits;
            image.Put(x, y, static_cast<BYTE>((pRow[nBit / 8] >> (8 - nBits - nBit % 8)) & nMask));
        }
    }
    while (image.nWidth < nWidth || image.nHeight < nHeight)
        Scale2x(image);

    const int nStride = RowBytes(nWidth, nBits);
    BITMAPINFOHEADER out = *header;
    out.biSize = sizeof(BITMAPINFOHEADER);
    out.biCompression = BI_RGB;
    out.biWidth = nWidth;
    out.biHeight = header->biHeight < 0 ? -nHeight : nHeight;
    out.biSizeImage = static_cast<DWORD>(nStride) * nHeight;
    const size_t nHead = sizeof(out) + 4 * nColours;
    std::unique_ptr<BYTE[]> pScaled(new BYTE[nHead + out.biSizeImage]());
    memcpy(pScaled.get(), &out, sizeof(out));
    memcpy(pScaled.get() + sizeof(out), pTable, 4 * nColours);
    for (int y = 0; y < nHeight; ++y)
    {
        // The source pixel under the centre of each target pixel.
        int sy = (2 * y + 1) * image.nHeight / (2 * nHeight);
        BYTE* pRow = pScaled.get() + nHead + static_cast<size_t>(y) * nStride;
        for (int x = 0; x < nWidth; ++x)
        {
            int sx = (2 * x + 1) * image.nWidth / (2 * nWidth);
            int nBit = x * nBits;
            pRow[nBit / 8] |= static_cast<BYTE>(image.At(sx, sy) << (8 - nBits - nBit % 8));
        }
    }
    return pScaled;
}
