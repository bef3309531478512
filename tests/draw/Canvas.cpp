#include "tests/draw/Canvas.h"

#include <cstring>

CCanvas::CCanvas(int cx, int cy, int nBits)
    : m_cx(cx), m_cy(cy), m_nBits(nBits), m_nStride((cx * nBits + 31) / 32 * 4),
      m_hdc(nullptr), m_hBitmap(nullptr), m_hOld(nullptr), m_pBits(nullptr)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = static_cast<WORD>(nBits);
    bmi.bmiHeader.biCompression = BI_RGB;
    void* pBits = nullptr;
    m_hBitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<BYTE*>(pBits);
    m_hdc = ::CreateCompatibleDC(nullptr);
    m_hOld = ::SelectObject(m_hdc, m_hBitmap);
}

CCanvas::~CCanvas()
{
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteDC(m_hdc);
    ::DeleteObject(m_hBitmap);
}

BYTE* CCanvas::Pixel(int x, int y) const
{
    return m_pBits + y * m_nStride + x * (m_nBits / 8);
}

COLORREF CCanvas::At(int x, int y) const
{
    ::GdiFlush();
    const BYTE* p = Pixel(x, y);
    return RGB(p[2], p[1], p[0]);
}

void CCanvas::Set(int x, int y, COLORREF cr)
{
    ::GdiFlush();
    BYTE* p = Pixel(x, y);
    p[0] = GetBValue(cr);
    p[1] = GetGValue(cr);
    p[2] = GetRValue(cr);
}

void CCanvas::Fill(COLORREF cr)
{
    for (int y = 0; y < m_cy; ++y)
        for (int x = 0; x < m_cx; ++x)
            Set(x, y, cr);
}

void CCanvas::FillPattern()
{
    for (int y = 0; y < m_cy; ++y)
        for (int x = 0; x < m_cx; ++x)
            Set(x, y, RGB((x * 7 + 1) & 0xFF, (y * 11 + 2) & 0xFF, (x * 3 + y * 5 + 100) & 0xFF));
}

void CCanvas::CopyFrom(const CCanvas& other)
{
    ::GdiFlush();
    std::memcpy(m_pBits, other.m_pBits, static_cast<size_t>(m_nStride) * m_cy);
}

bool CCanvas::SameAs(const CCanvas& other) const
{
    return CountDiffs(other) == 0;
}

int CCanvas::CountDiffs(const CCanvas& other) const
{
    int nDiffs = 0;
    for (int y = 0; y < m_cy; ++y)
        for (int x = 0; x < m_cx; ++x)
            nDiffs += At(x, y) != other.At(x, y) ? 1 : 0;
    return nDiffs;
}

std::vector<COLORREF> ReadBitmapPixels(HBITMAP hBitmap, int* pcx, int* pcy)
{
    BITMAP bm;
    if (::GetObjectA(hBitmap, sizeof(bm), &bm) == 0)
        return {};
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = bm.bmWidth;
    bmi.bmiHeader.biHeight = -bm.bmHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC hdc = ::GetDC(nullptr);
    int nLines = ::GetDIBits(hdc, hBitmap, 0, static_cast<UINT>(bm.bmHeight), raw.data(), &bmi,
                             DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hdc);
    if (nLines != bm.bmHeight)
        return {};
    std::vector<COLORREF> pixels(raw.size());
    for (size_t i = 0; i < raw.size(); ++i)
        pixels[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    *pcx = bm.bmWidth;
    *pcy = bm.bmHeight;
    return pixels;
}

void CaptureClient(HWND hWnd, CCanvas* pCanvas)
{
    HDC hdc = ::GetDC(hWnd);
    ::BitBlt(pCanvas->GetDC(), 0, 0, pCanvas->Width(), pCanvas->Height(), hdc, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, hdc);
    ::GdiFlush();
}
