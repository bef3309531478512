// Escape and the panel. The dialog manager turns Escape into IDCANCEL (the panel hides)
// before the key is dispatched, and it never lets the focus rest on the panel itself, so
// key messages reach the panel window only when they are sent to it.
#include <gtest/gtest.h>
#include "PanelProbe.h"

namespace
{
class PanelKeysTest : public PanelProbeTest
{
protected:
    PanelKeysTest() : PanelProbeTest(WM_KEYDOWN, WM_KEYUP) {}

    static void PressKey(WORD wVk, bool bDown)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = wVk;
        input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &input, sizeof(input));
    }
};

TEST_F(PanelKeysTest, RealEscapeHidesThePanel)
{
    ASSERT_TRUE(ShowPanel());
    HWND hFocus = ::GetFocus();
    EXPECT_TRUE(hFocus != nullptr && ::IsChild(m_panel.m_hWnd, hFocus));
    PressKey(VK_ESCAPE, true);
    PressKey(VK_ESCAPE, false);
    EXPECT_TRUE(PumpUntil([&] { return !m_panel.IsWindowVisible(); }));
    EXPECT_TRUE(::IsWindow(m_panel.m_hWnd));
}

// Keys that reach the panel window itself, past the dialog manager.
TEST_F(PanelKeysTest, EscapeOnThePanelItselfKeepsItsNextReleaseFromTheDefault)
{
    const LPARAM lDown = 1, lUp = static_cast<LPARAM>(0xC0000001);
    m_panel.SendMessage(WM_KEYDOWN, VK_ESCAPE, lDown);
    m_panel.SendMessage(WM_KEYUP, 'Q', lUp);     // whichever key is released next
    EXPECT_TRUE(m_panel.m_defaulted.empty());
    m_panel.SendMessage(WM_KEYDOWN, 'Q', lDown);
    m_panel.SendMessage(WM_KEYUP, 'Q', lUp);
    ASSERT_EQ(m_panel.m_defaulted.size(), 2u);
    EXPECT_EQ(m_panel.m_defaulted[0].nMessage, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m_panel.m_defaulted[1].nMessage, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(m_panel.m_defaulted[1].wParam, static_cast<WPARAM>('Q'));
    EXPECT_TRUE(::IsWindow(m_panel.m_hWnd));
}
}
