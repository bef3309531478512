#include "ScreenShot.h"
#include "AurelonProgram.h"
#include <cstring>

CScreenShot::CScreenShot(const RECT& rc)
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
    HGDIOBJ hOld = ::SelectObject(hdcMem, hBitmap);
    ::BitBlt(hdcMem, 0, 0, cx, cy, hdcScreen, rc.left, rc.top, SRCCOPY);
    ::GdiFlush();
    if (pBits != nullptr)
        std::memcpy(m_pixels.data(), pBits, m_pixels.size() * 4);
    ::SelectObject(hdcMem, hOld);
    ::DeleteObject(hBitmap);
    ::DeleteDC(hdcMem);
    ::ReleaseDC(nullptr, hdcScreen);
}

int CScreenShot::Count(const RECT& rc, COLORREF cr) const
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

COLORREF CScreenShot::At(int x, int y) const
{
    DWORD dw = m_pixels[static_cast<size_t>((y - m_rc.top) * (m_rc.right - m_rc.left) + (x - m_rc.left))];
    return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}

namespace
{
// A lamp is lit in one colour when more than a few pixels show it and none the other.
bool ShowsLamp(HWND hButton, COLORREF crLit, COLORREF crOther)
{
    RECT rc;
    if (!::IsWindowVisible(hButton) || !::GetWindowRect(hButton, &rc))
        return false;
    CScreenShot shot(rc);
    return shot.Count(rc, crLit) > 10 && shot.Count(rc, crOther) == 0;
}
}

bool ShowsLitLamp(HWND hButton)
{
    return ShowsLamp(hButton, kGreenLamp, kRedLamp);
}

bool ShowsUnlitLamp(HWND hButton)
{
    return ShowsLamp(hButton, kRedLamp, kGreenLamp);
}

bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp)
{
    program.Sync();
    HWND hButton = program.Control(nButtonID);
    return WaitUntil([&] {
        // A repaint that the program has still to do is done now, inside this call.
        ::RedrawWindow(program.Panel(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return lamp == LAMP_SELECTED ? ShowsLitLamp(hButton) : ShowsUnlitLamp(hButton);
    }, 5000);
}
