#include "Canvas.h"
#include "Harness.h"

#include <cctype>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <wincodec.h>

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
    if (other.m_cx != m_cx || other.m_cy != m_cy)
        return m_cx * m_cy;
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

bool CCanvas::FindIn(const CCanvas& larger, POINT* pptAt) const
{
    for (int y = 0; y + m_cy <= larger.m_cy; ++y)
        for (int x = 0; x + m_cx <= larger.m_cx; ++x)
        {
            bool bSame = true;
            for (int j = 0; bSame && j < m_cy; ++j)
                for (int i = 0; bSame && i < m_cx; ++i)
                    bSame = At(i, j) == larger.At(x + i, y + j);
            if (bSame)
            {
                pptAt->x = x;
                pptAt->y = y;
                return true;
            }
        }
    return false;
}

CCanvas* CCanvas::FromScreen(const RECT& rc)
{
    CCanvas* pShot = new CCanvas(rc.right - rc.left, rc.bottom - rc.top);
    HDC hdcScreen = ::GetDC(nullptr);
    ::BitBlt(pShot->m_hdc, 0, 0, pShot->m_cx, pShot->m_cy, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::ReleaseDC(nullptr, hdcScreen);
    ::GdiFlush();
    return pShot;
}

CCanvas* CCanvas::FromReference(const std::string& name)
{
    const std::string path = std::string(AURELON_REFERENCE_DIR) + "/" + name + ".png";
    const std::wstring widePath(path.begin(), path.end());
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* pFactory = nullptr;
    IWICBitmapDecoder* pDecoder = nullptr;
    IWICBitmapFrameDecode* pFrame = nullptr;
    IWICBitmapSource* pPixels = nullptr;
    UINT cx = 0, cy = 0;
    CCanvas* pCanvas = nullptr;
    if (SUCCEEDED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IWICImagingFactory, reinterpret_cast<void**>(&pFactory))) &&
        SUCCEEDED(pFactory->CreateDecoderFromFilename(widePath.c_str(), nullptr, GENERIC_READ,
                                                      WICDecodeMetadataCacheOnDemand, &pDecoder)) &&
        SUCCEEDED(pDecoder->GetFrame(0, &pFrame)) &&
        SUCCEEDED(::WICConvertBitmapSource(GUID_WICPixelFormat32bppBGR, pFrame, &pPixels)) &&
        SUCCEEDED(pPixels->GetSize(&cx, &cy)))
    {
        pCanvas = new CCanvas(static_cast<int>(cx), static_cast<int>(cy));
        const UINT cbStride = static_cast<UINT>(pCanvas->m_nStride);
        if (FAILED(pPixels->CopyPixels(nullptr, cbStride, cbStride * cy, pCanvas->m_pBits)))
        {
            delete pCanvas;
            pCanvas = nullptr;
        }
    }
    for (IUnknown* pUnknown : std::initializer_list<IUnknown*>{ pPixels, pFrame, pDecoder, pFactory })
        if (pUnknown != nullptr)
            pUnknown->Release();
    return pCanvas;
}

bool CCanvas::DrawTransparent(HMODULE hModule, UINT nBitmapID, int x, int y, int nDpi)
{
    int cx = 0, cy = 0;
    const std::vector<COLORREF> pixels = BitmapPixels(hModule, nBitmapID, nDpi, &cx, &cy);
    if (pixels.empty())
        return false;
    for (int j = 0; j < cy; ++j)
        for (int i = 0; i < cx; ++i)
        {
            const COLORREF cr = pixels[static_cast<size_t>(j * cx + i)];
            if (cr != pixels[0] && x + i >= 0 && x + i < m_cx && y + j >= 0 && y + j < m_cy)
                Set(x + i, y + j, cr);
        }
    return true;
}

bool CCanvas::DrawIcon(HMODULE hModule, UINT nIconID, int x, int y, int cx)
{
    HICON hIcon = static_cast<HICON>(::LoadImageA(hModule, MAKEINTRESOURCEA(nIconID), IMAGE_ICON, cx, cx,
                                                  LR_DEFAULTCOLOR));
    if (hIcon == nullptr)
        return false;
    BOOL bDrawn = ::DrawIconEx(m_hdc, x, y, hIcon, cx, cx, 0, nullptr, DI_NORMAL);
    ::DestroyIcon(hIcon);
    ::GdiFlush();
    return bDrawn != FALSE;
}

bool CCanvas::Save(const std::string& path) const
{
    ::GdiFlush();
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = m_cx;
    bih.biHeight = -m_cy;
    bih.biPlanes = 1;
    bih.biBitCount = static_cast<WORD>(m_nBits);
    bih.biCompression = BI_RGB;
    const DWORD cbBits = static_cast<DWORD>(m_nStride * m_cy);
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42;    // "BM"
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + cbBits;
    FILE* pFile = std::fopen(path.c_str(), "wb");
    if (pFile == nullptr)
        return false;
    bool bWritten = std::fwrite(&bfh, sizeof(bfh), 1, pFile) == 1 && std::fwrite(&bih, sizeof(bih), 1, pFile) == 1 &&
                    std::fwrite(m_pBits, cbBits, 1, pFile) == 1;
    return std::fclose(pFile) == 0 && bWritten;
}

std::vector<COLORREF> BitmapPixels(HMODULE hModule, UINT nBitmapID, int nDpi, int* pcx, int* pcy)
{
    if (nDpi == kBaseDpi)
    {
        HBITMAP hBitmap = static_cast<HBITMAP>(
            ::LoadImageA(hModule, MAKEINTRESOURCEA(nBitmapID), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        const std::vector<COLORREF> pixels = hBitmap != nullptr ? ReadBitmapPixels(hBitmap, pcx, pcy)
                                                                : std::vector<COLORREF>();
        if (hBitmap != nullptr)
            ::DeleteObject(hBitmap);
        return pixels;
    }
    std::unique_ptr<CCanvas> pReference(
        CCanvas::FromReference("art-" + std::to_string(nBitmapID) + "-" + std::to_string(nDpi)));
    if (pReference == nullptr)
        return std::vector<COLORREF>();
    *pcx = pReference->Width();
    *pcy = pReference->Height();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < *pcy; ++y)
        for (int x = 0; x < *pcx; ++x)
            pixels.push_back(pReference->At(x, y));
    return pixels;
}

HMODULE ProgramResources()
{
    static HMODULE s_hModule =
        ::LoadLibraryExA(BinPath("Aurelon3D.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return s_hModule;
}

std::string SaveFailedPicture(const CCanvas& picture, const std::string& name)
{
    std::string file = name;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '-';
    const std::string folder = BinPath("failed-pictures");
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string path = folder + "\\" + file + ".bmp";
    picture.Save(path);
    return path;
}

::testing::AssertionResult ScreenShows(const RECT& rc, const CCanvas& expected, const std::string& name,
                                       DWORD dwTimeoutMs)
{
    const RECT rcShot = { rc.left, rc.top, rc.left + expected.Width(), rc.top + expected.Height() };
    std::unique_ptr<CCanvas> pShown;
    if (WaitUntil([&] {
            pShown.reset(CCanvas::FromScreen(rcShot));
            return pShown->SameAs(expected);
        }, dwTimeoutMs))
        return ::testing::AssertionSuccess();
    const std::string shown = SaveFailedPicture(*pShown, name + " shown");
    SaveFailedPicture(expected, name + " expected");
    return ::testing::AssertionFailure() << name << ": " << pShown->CountDiffs(expected) << " of "
                                         << expected.Width() * expected.Height() << " pixels differ at ("
                                         << rc.left << "," << rc.top << "); saved as " << shown
                                         << " beside the expected one";
}
