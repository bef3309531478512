#include "ScreenPixels.h"
#include "AurelonProgram.h"
#include <cstring>

namespace
{
const COLORREF kGreenLamp = RGB(0, 255, 0);
const COLORREF kRedLamp = RGB(255, 0, 0);
// A lit or dark lamp covers far more pixels than this; an edge or a stray pixel does not.
const int kLampPixels = 10;
}

CScreenPixels::CScreenPixels(const RECT& rc)
    : m_rc(rc), m_pixels(static_cast<size_t>((rc.right - rc.left) * (rc.bottom - rc.top)))
{
    int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = cx;
    bmi.bmiHeader.biHeight = -cy;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    HDC hdcScreen = ::GetDC(nullptr);
    HDC hdcMem = ::CreateCompatibleDC(hdcScreen);
    void* pBits = nullptr;
    HBITMAP hBitmap = ::CreateDIBSection(hdcScreen, &bmi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hBitmap != nullptr)
    {
        HGDIOBJ hOld = ::SelectObject(hdcMem, hBitmap);
        ::BitBlt(hdcMem, 0, 0, cx, cy, hdcScreen, rc.left, rc.top, SRCCOPY);
        ::GdiFlush();
        memcpy(m_pixels.data(), pBits, m_pixels.size() * sizeof(DWORD));
        ::SelectObject(hdcMem, hOld);
        ::DeleteObject(hBitmap);
    }
    ::DeleteDC(hdcMem);
    ::ReleaseDC(nullptr, hdcScreen);
}

COLORREF CScreenPixels::At(int x, int y) const
{
    DWORD dw = m_pixels[static_cast<size_t>((y - m_rc.top) * (m_rc.right - m_rc.left) + (x - m_rc.left))];
    return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}

int CScreenPixels::Count(const RECT& rc, COLORREF cr) const
{
    RECT rcIn;
    if (!::IntersectRect(&rcIn, &rc, &m_rc))
        return 0;
    int n = 0;
    for (int y = rcIn.top; y < rcIn.bottom; ++y)
        for (int x = rcIn.left; x < rcIn.right; ++x)
            n += At(x, y) == cr;
    return n;
}

PresetLamp ReadPresetLamp(const CAurelonProgram& program, int nButtonID)
{
    // A repaint that the program has still to do is done now, inside this call.
    ::RedrawWindow(program.Panel(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT rc;
    ::GetWindowRect(program.Control(nButtonID), &rc);
    CScreenPixels pixels(rc);
    int nGreen = pixels.Count(rc, kGreenLamp), nRed = pixels.Count(rc, kRedLamp);
    if (nGreen > kLampPixels && nRed == 0)
        return LAMP_SELECTED;
    if (nRed > kLampPixels && nGreen == 0)
        return LAMP_NOT_SELECTED;
    return LAMP_UNKNOWN;
}

bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp)
{
    program.Sync();
    return WaitUntil([&] { return ReadPresetLamp(program, nButtonID) == lamp; }, 5000);
}
