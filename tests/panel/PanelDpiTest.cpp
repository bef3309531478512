// The real program's panel at 96, 120, 144 and 192 DPI (see CLogPixels). Wine never
// stretches a window: the panel looks the way Windows XP shows it, where the dialog grows
// with its font and our own pixels must grow by themselves.
#include <gtest/gtest.h>
#include <memory>
#include <algorithm>
#include <climits>
#include "AurelonProgram.h"
#include "LogPixels.h"
#include "Canvas.h"
#include "resource.h"

namespace
{
int Scaled(int n, int nDpi)
{
    return ::MulDiv(n, nDpi, 96);
}

RECT ClientRectOf(HWND hPanel, HWND hChild)
{
    RECT rc;
    ::GetWindowRect(hChild, &rc);
    ::MapWindowPoints(nullptr, hPanel, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

// The rectangles of all the panel's controls.
std::vector<RECT> ControlRects(HWND hPanel)
{
    std::vector<RECT> rects;
    for (HWND hChild = ::GetWindow(hPanel, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        rects.push_back(ClientRectOf(hPanel, hChild));
    return rects;
}

// The painted logo: the smallest rectangle around the panel's client pixels that are not
// its face colour and lie outside every control.
RECT PaintedLogo(HWND hPanel)
{
    const std::vector<RECT> controls = ControlRects(hPanel);
    RECT rcClient;
    ::GetClientRect(hPanel, &rcClient);
    RECT rcScreen = rcClient;
    ::MapWindowPoints(hPanel, nullptr, reinterpret_cast<POINT*>(&rcScreen), 2);
    std::unique_ptr<CCanvas> shot(CCanvas::FromScreen(rcScreen));
    const COLORREF crFace = ::GetSysColor(COLOR_BTNFACE);
    RECT rcLogo = { LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN };
    for (int y = 0; y < rcClient.bottom; ++y)
    {
        for (int x = 0; x < rcClient.right; ++x)
        {
            POINT pt = { x, y };
            if (shot->At(x, y) == crFace ||
                std::any_of(controls.begin(), controls.end(),
                            [&](const RECT& rc) { return ::PtInRect(&rc, pt) != FALSE; }))
                continue;
            rcLogo.left = std::min(rcLogo.left, static_cast<LONG>(x));
            rcLogo.top = std::min(rcLogo.top, static_cast<LONG>(y));
            rcLogo.right = std::max(rcLogo.right, static_cast<LONG>(x + 1));
            rcLogo.bottom = std::max(rcLogo.bottom, static_cast<LONG>(y + 1));
        }
    }
    return rcLogo;
}

TEST(PanelDpiTest, OurPixelsGrowWithTheDpiAndNothingOverlaps)
{
    CAurelonProgram::Clean();
    // The SRS logo's opaque pixels (res/art/srs_logo.bmp) drawn at client pixel (24, 3).
    const RECT rcLogoAt96 = { 26, 12, 138, 57 };
    for (int nDpi : { 96, 120, 144, 192 })
    {
        SCOPED_TRACE(testing::Message() << nDpi << " DPI");
        CLogPixels dpi(static_cast<DWORD>(nDpi));
        CAurelonProgram program;
        ASSERT_TRUE(program.StartResident());
        ASSERT_TRUE(MoveCursorTo(100, 60));
        ASSERT_TRUE(program.ShowPanel());
        const HWND hPanel = program.Panel();
        RECT rcClient;
        ::GetClientRect(hPanel, &rcClient);

        // The controls that must neither overlap nor leave the panel ("-" and "+" sit on
        // the ends of the sliders by design).
        std::vector<RECT> controls;
        for (int nID : { IDC_STRIP, IDC_PRESET1, IDC_PRESET2, IDC_PRESET3, IDC_CENTER_LABEL,
                         IDC_CENTER, IDC_SPACE_LABEL, IDC_SPACE, IDC_ENABLED })
        {
            RECT rc = ClientRectOf(hPanel, program.Control(nID));
            RECT rcInside;
            EXPECT_TRUE(::IntersectRect(&rcInside, &rc, &rcClient) && ::EqualRect(&rcInside, &rc))
                << "control " << nID << " leaves the panel";
            for (size_t i = 0; i < controls.size(); ++i)
            {
                // Dialog units round each control's position and size apart: neighbours
                // in the template may share a row or column of pixels.
                RECT rcBoth;
                EXPECT_FALSE(::IntersectRect(&rcBoth, &rc, &controls[i]) &&
                             (rcBoth.right - rcBoth.left > 1 && rcBoth.bottom - rcBoth.top > 1))
                    << "control " << nID << " overlaps control number " << i;
            }
            controls.push_back(rc);
        }
        const RECT& rcStrip = controls[0];
        EXPECT_EQ(rcStrip.right - rcStrip.left, Scaled(20, nDpi));
        EXPECT_EQ(rcStrip.top, 0);
        EXPECT_EQ(rcStrip.bottom, rcClient.bottom);
        for (size_t i = 1; i <= 3; ++i)
        {
            EXPECT_EQ(controls[i].right - controls[i].left, Scaled(31, nDpi)) << "preset " << i;
            EXPECT_EQ(controls[i].bottom - controls[i].top, Scaled(21, nDpi)) << "preset " << i;
        }

        // The logo: drawn at the scaled place and size, clear of the controls.
        // Painted once two looks agree.
        RECT rcLogo = {};
        EXPECT_TRUE(WaitUntil([&] {
            RECT rcBefore = rcLogo;
            rcLogo = PaintedLogo(hPanel);
            return rcLogo.right > rcLogo.left && ::EqualRect(&rcBefore, &rcLogo);
        }, 5000));
        EXPECT_NEAR(rcLogo.left, Scaled(rcLogoAt96.left, nDpi), 2);
        EXPECT_NEAR(rcLogo.top, Scaled(rcLogoAt96.top, nDpi), 2);
        EXPECT_NEAR(rcLogo.right, Scaled(rcLogoAt96.right, nDpi), 2);
        EXPECT_NEAR(rcLogo.bottom, Scaled(rcLogoAt96.bottom, nDpi), 2);
        for (const RECT& rc : controls)
        {
            RECT rcBoth;
            EXPECT_FALSE(::IntersectRect(&rcBoth, &rc, &rcLogo)) << "the logo under a control";
        }
        EXPECT_TRUE(program.Exit());
    }
}
}
