// The panel as it appears on screen: the logo painted with its background left out,
// and the preset lamps lit by the selection.
#include <gtest/gtest.h>
#include "AurelonProgram.h"
#include "resource.h"

namespace
{
// A copy of a screen rectangle, 32 bits per pixel.
class CScreenShot
{
public:
    explicit CScreenShot(const RECT& rc)
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
        memcpy(m_pixels.data(), pBits, m_pixels.size() * 4);
        ::SelectObject(hdcMem, hOld);
        ::DeleteObject(hBitmap);
        ::DeleteDC(hdcMem);
        ::ReleaseDC(nullptr, hdcScreen);
    }

    // Pixels of a colour inside a screen rectangle.
    int Count(const RECT& rc, COLORREF cr) const
    {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += At(x, y) == cr;
        return n;
    }

    COLORREF At(int x, int y) const
    {
        DWORD dw = m_pixels[static_cast<size_t>((y - m_rc.top) * (m_rc.right - m_rc.left) + (x - m_rc.left))];
        return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
    }

private:
    RECT m_rc;
    std::vector<DWORD> m_pixels;
};

class PanelPictureTest : public ::testing::Test
{
protected:
    CScreenShot Shoot()
    {
        m_program.Sync();
        PumpFor(300);
        RECT rc;
        ::GetWindowRect(m_program.Panel(), &rc);
        return CScreenShot(rc);
    }

    RECT ButtonRect(int nID)
    {
        RECT rc;
        ::GetWindowRect(m_program.Control(nID), &rc);
        return rc;
    }

    CAurelonProgram m_program;
};

const COLORREF kLogoBackground = RGB(192, 192, 192);
const COLORREF kRedLamp = RGB(255, 0, 0);
const COLORREF kGreenLamp = RGB(0, 255, 0);

TEST_F(PanelPictureTest, LogoIsPaintedWithoutItsBackgroundAndLampsFollowSelection)
{
    ASSERT_TRUE(m_program.StartResident());
    ASSERT_TRUE(MoveCursorTo(200, 200));
    m_program.Command(ID_SETTINGS);
    ASSERT_TRUE(WaitUntil([&] { return ::IsWindowVisible(m_program.Panel()) != FALSE; }));

    // The logo sits at client pixel (24, 3), 116 x 60.
    POINT ptLogo = { 24, 3 };
    ::ClientToScreen(m_program.Panel(), &ptLogo);
    RECT rcLogo = { ptLogo.x, ptLogo.y, ptLogo.x + 116, ptLogo.y + 60 };
    COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);

    CScreenShot before = Shoot();
    int nFace = before.Count(rcLogo, crFace);
    EXPECT_GT(nFace, 116 * 60 / 4);                  // the panel shows through...
    EXPECT_LT(nFace, 116 * 60);                      // ...around a drawn emblem
    if (crFace != kLogoBackground)
    {
        EXPECT_EQ(before.Count(rcLogo, kLogoBackground), 0);
    }

    for (int nID : { IDC_PRESET1, IDC_PRESET2, IDC_PRESET3 })
    {
        RECT rc = ButtonRect(nID);
        EXPECT_EQ(rc.right - rc.left, 31);
        EXPECT_EQ(rc.bottom - rc.top, 21);
        EXPECT_GT(before.Count(rc, kRedLamp), 10) << nID;
        EXPECT_EQ(before.Count(rc, kGreenLamp), 0) << nID;
    }

    m_program.Click(IDC_PRESET2);
    CScreenShot after = Shoot();
    EXPECT_GT(after.Count(ButtonRect(IDC_PRESET2), kGreenLamp), 10);
    EXPECT_EQ(after.Count(ButtonRect(IDC_PRESET2), kRedLamp), 0);
    EXPECT_GT(after.Count(ButtonRect(IDC_PRESET1), kRedLamp), 10);

    // A change from elsewhere puts the lamp out again.
    ASSERT_TRUE(m_program.SetChipValue(39, 0));
    ASSERT_TRUE(WaitUntil([&] { return m_program.SliderPos(IDC_CENTER) == 0; }, 5000));
    CScreenShot deselected = Shoot();
    EXPECT_EQ(deselected.Count(ButtonRect(IDC_PRESET2), kGreenLamp), 0);
}
}
