// Escape and the panel. The dialog manager turns Escape into IDCANCEL (the panel hides)
// before the key is dispatched, and it never lets the focus rest on the panel itself, so
// key messages reach the panel window only when they are sent or posted to it.
#include <gtest/gtest.h>
#include "PanelProbe.h"

namespace
{
class PanelKeysTest : public PanelProbeTest
{
protected:
    PanelKeysTest() : PanelProbeTest(WM_KEYDOWN, WM_KEYUP) {}

    void SetUp() override
    {
        PanelProbeTest::SetUp();
        m_panel.m_onMessage = [this](UINT message, WPARAM, LPARAM) {
            if (message == WM_KEYDOWN || message == WM_KEYUP)
                ++m_nArrived;
        };
    }

    void PostKey(UINT message, WPARAM wVk)
    {
        LPARAM lParam = message == WM_KEYUP ? static_cast<LPARAM>(0xC0000001) : 1;
        ::PostMessageA(m_panel.m_hWnd, message, wVk, lParam);
    }

    static void PressKey(WORD wVk, bool bDown)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = wVk;
        input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &input, sizeof(input));
    }

    int m_nArrived = 0;
};

TEST_F(PanelKeysTest, RealEscapeHidesThePanelAndReachesNoDefault)
{
    ASSERT_TRUE(ShowPanel());
    HWND hFocus = ::GetFocus();
    EXPECT_TRUE(hFocus != nullptr && ::IsChild(m_panel.m_hWnd, hFocus));
    PressKey(VK_ESCAPE, true);
    PressKey(VK_ESCAPE, false);
    EXPECT_TRUE(PumpUntil([&] { return !m_panel.IsWindowVisible(); }));
    EXPECT_TRUE(m_panel.m_defaulted.empty());
    EXPECT_TRUE(::IsWindow(m_panel.m_hWnd));
}

TEST_F(PanelKeysTest, EscapeOnThePanelItselfKeepsItsNextReleaseFromTheDefault)
{
    ASSERT_TRUE(ShowPanel());
    PostKey(WM_KEYDOWN, VK_ESCAPE);
    PostKey(WM_KEYUP, 'Q');         // whichever key is released next
    PostKey(WM_KEYDOWN, 'Q');
    PostKey(WM_KEYUP, 'Q');
    // The dialog manager consumes the Escape itself; the other three reach the panel.
    ASSERT_TRUE(PumpUntil([&] { return m_nArrived == 3; }));
    EXPECT_FALSE(m_panel.IsWindowVisible());
    ASSERT_EQ(m_panel.m_defaulted.size(), 2u);
    EXPECT_EQ(m_panel.m_defaulted[0].nMessage, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m_panel.m_defaulted[1].nMessage, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(m_panel.m_defaulted[1].wParam, static_cast<WPARAM>('Q'));
}
}
