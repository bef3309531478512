#include "Picture.h"
#include "Harness.h"
#include <cctype>
#include <cstdio>
#include <memory>
#include <vector>

namespace
{
BITMAPINFO TopDownInfo(int cx, int cy)
{
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    return bmi;
}

const DWORD kColourBits = 0x00FFFFFF;
}

CPicture::CPicture(int cx, int cy, COLORREF crFill)
    : m_cx(cx), m_cy(cy), m_hdc(::CreateCompatibleDC(nullptr)), m_hBitmap(nullptr), m_hOld(nullptr),
      m_pBits(nullptr)
{
    BITMAPINFO bmi = TopDownInfo(cx, cy);
    void* pBits = nullptr;
    m_hBitmap = ::CreateDIBSection(m_hdc, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<DWORD*>(pBits);
    m_hOld = ::SelectObject(m_hdc, m_hBitmap);
    RECT rc = { 0, 0, cx, cy };
    HBRUSH hBrush = ::CreateSolidBrush(crFill);
    ::FillRect(m_hdc, &rc, hBrush);
    ::DeleteObject(hBrush);
}

CPicture::~CPicture()
{
    ::SelectObject(m_hdc, m_hOld);
    ::DeleteObject(m_hBitmap);
    ::DeleteDC(m_hdc);
}

CPicture* CPicture::FromScreen(const RECT& rc)
{
    CPicture* pShot = new CPicture(rc.right - rc.left, rc.bottom - rc.top, RGB(0, 0, 0));
    HDC hdcScreen = ::GetDC(nullptr);
    ::BitBlt(pShot->m_hdc, 0, 0, pShot->m_cx, pShot->m_cy, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::ReleaseDC(nullptr, hdcScreen);
    return pShot;
}

COLORREF CPicture::At(int x, int y) const
{
    ::GdiFlush();
    DWORD dw = m_pBits[y * m_cx + x];
    return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}

int CPicture::Differences(const CPicture& other) const
{
    if (other.m_cx != m_cx || other.m_cy != m_cy || m_pBits == nullptr || other.m_pBits == nullptr)
        return m_cx * m_cy;
    ::GdiFlush();
    int nDiffer = 0;
    for (int i = 0; i < m_cx * m_cy; ++i)
        nDiffer += (m_pBits[i] & kColourBits) != (other.m_pBits[i] & kColourBits);
    return nDiffer;
}

bool CPicture::FindIn(const CPicture& larger, POINT* pptAt) const
{
    ::GdiFlush();
    for (int y = 0; y + m_cy <= larger.m_cy; ++y)
        for (int x = 0; x + m_cx <= larger.m_cx; ++x)
        {
            bool bSame = true;
            for (int j = 0; bSame && j < m_cy; ++j)
                for (int i = 0; bSame && i < m_cx; ++i)
                    bSame = (m_pBits[j * m_cx + i] & kColourBits) ==
                            (larger.m_pBits[(y + j) * larger.m_cx + x + i] & kColourBits);
            if (bSame)
            {
                pptAt->x = x;
                pptAt->y = y;
                return true;
            }
        }
    return false;
}

bool CPicture::DrawTransparent(HMODULE hModule, UINT nBitmapID, int x, int y)
{
    HBITMAP hBitmap = static_cast<HBITMAP>(
        ::LoadImageA(hModule, MAKEINTRESOURCEA(nBitmapID), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP bm = {};
    if (hBitmap == nullptr || !::GetObjectA(hBitmap, sizeof(bm), &bm))
        return false;
    std::vector<DWORD> source(static_cast<size_t>(bm.bmWidth * bm.bmHeight));
    BITMAPINFO bmi = TopDownInfo(bm.bmWidth, bm.bmHeight);
    bool bRead = ::GetDIBits(m_hdc, hBitmap, 0, bm.bmHeight, source.data(), &bmi, DIB_RGB_COLORS) == bm.bmHeight;
    ::DeleteObject(hBitmap);
    if (!bRead)
        return false;
    ::GdiFlush();
    const DWORD dwKey = source[0] & kColourBits;
    for (int j = 0; j < bm.bmHeight; ++j)
        for (int i = 0; i < bm.bmWidth; ++i)
        {
            DWORD dw = source[static_cast<size_t>(j * bm.bmWidth + i)] & kColourBits;
            if (dw != dwKey && x + i >= 0 && x + i < m_cx && y + j >= 0 && y + j < m_cy)
                m_pBits[(y + j) * m_cx + x + i] = dw;
        }
    return true;
}

bool CPicture::DrawIcon(HMODULE hModule, UINT nIconID, int x, int y, int cx)
{
    HICON hIcon = static_cast<HICON>(::LoadImageA(hModule, MAKEINTRESOURCEA(nIconID), IMAGE_ICON, cx, cx,
                                                  LR_DEFAULTCOLOR));
    if (hIcon == nullptr)
        return false;
    BOOL bDrawn = ::DrawIconEx(m_hdc, x, y, hIcon, cx, cx, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(hIcon);
    return bDrawn != FALSE;
}

bool CPicture::Save(const std::string& path) const
{
    ::GdiFlush();
    BITMAPINFO bmi = TopDownInfo(m_cx, m_cy);
    const DWORD cbBits = static_cast<DWORD>(m_cx * m_cy * 4);
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;    // "BM"
    bfh.bfOffBits = sizeof(bfh) + sizeof(bmi.bmiHeader);
    bfh.bfSize = bfh.bfOffBits + cbBits;
    FILE* pFile = std::fopen(path.c_str(), "wb");
    if (pFile == nullptr)
        return false;
    bool bWritten = std::fwrite(&bfh, sizeof(bfh), 1, pFile) == 1 &&
                    std::fwrite(&bmi.bmiHeader, sizeof(bmi.bmiHeader), 1, pFile) == 1 &&
                    std::fwrite(m_pBits, cbBits, 1, pFile) == 1;
    return std::fclose(pFile) == 0 && bWritten;
}

HMODULE ProgramResources()
{
    static HMODULE s_hModule =
        ::LoadLibraryExA(BinPath("Aurelon3D.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return s_hModule;
}

::testing::AssertionResult ScreenShows(const RECT& rc, const CPicture& expected, const std::string& name,
                                       DWORD dwTimeoutMs)
{
    const RECT rcShot = { rc.left, rc.top, rc.left + expected.Width(), rc.top + expected.Height() };
    std::unique_ptr<CPicture> pShown;
    if (WaitUntil([&] {
            pShown.reset(CPicture::FromScreen(rcShot));
            return pShown->Differences(expected) == 0;
        }, dwTimeoutMs))
        return ::testing::AssertionSuccess();

    std::string file = name;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '-';
    const std::string folder = BinPath("failed-pictures");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string base = folder + "\\" + file;
    pShown->Save(base + "-shown.bmp");
    expected.Save(base + "-expected.bmp");
    return ::testing::AssertionFailure() << name << ": " << pShown->Differences(expected) << " of "
                                         << expected.Width() * expected.Height() << " pixels differ at ("
                                         << rc.left << "," << rc.top << "); saved as " << base
                                         << "-shown.bmp and -expected.bmp";
}
