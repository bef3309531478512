// Escape and the panel. The dialog manager turns Escape into IDCANCEL (the panel hides)
// before the key is dispatched, and it never lets the focus rest on the panel itself, so
// key messages reach the panel window only when they are sent to it.
#include <gtest/gtest.h>
#include <string>
#include "PanelProbe.h"
#include "mixer/Mixer3D.h"

namespace
{
class PanelKeysTest : public PanelProbeTest
{
protected:
    // Presets whose levels differ from the chip's and from each other: a preset that a
    // key selects moves the chip.
    PanelKeysTest() : PanelProbeTest(WM_KEYDOWN, WM_KEYUP)
    {
        for (DWORD n = 1; n <= 3; ++n)
        {
            const std::string key = "Software\\Aurelon\\Morvane\\Preset" + std::to_string(n);
            CRegistrySandbox::SetDword(HKEY_CURRENT_USER, key.c_str(), "Center", 4 * n - 2);
            CRegistrySandbox::SetDword(HKEY_CURRENT_USER, key.c_str(), "Space", 4 * n - 1);
        }
    }

    static void PressKey(WORD wVk, bool bDown)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = wVk;
        input.ki.dwFlags = bDown ? 0 : KEYEVENTF_KEYUP;
        ::SendInput(1, &input, sizeof(input));
    }
};

// Where the focus can be when the user presses Enter or Escape: where the panel puts it
// when it opens (0), on a control, or on a preset button that was just clicked (each click
// moves the chip). Either key hides the panel and leaves the levels as they were.
struct CKeyCase
{
    WORD wVk;
    int nFocusID;
    bool bClicked;
};

const CKeyCase kKeyCases[] = {
    { VK_RETURN, 0, false }, { VK_ESCAPE, 0, false },
    { VK_RETURN, IDC_PRESET2, true }, { VK_ESCAPE, IDC_PRESET3, true },
    { VK_RETURN, IDC_PRESET1, false }, { VK_RETURN, IDC_CENTER, false },
    { VK_RETURN, IDC_SPACE, false }, { VK_RETURN, IDC_ENABLED, false },
};

TEST_F(PanelKeysTest, EnterAndEscapeHideThePanelWhateverHasTheFocus)
{
    for (const CKeyCase& test : kKeyCases)
    {
        const std::string name = std::string(test.wVk == VK_RETURN ? "Enter" : "Escape") +
                                 " with the focus on " + std::to_string(test.nFocusID);
        ASSERT_TRUE(ShowPanel()) << name;
        HWND hFocus = test.nFocusID != 0 ? m_panel.GetDlgItem(test.nFocusID) : ::GetFocus();
        m_chip.m_pfnClearWriteCounts();
        if (test.bClicked)
        {
            ::SendMessageA(hFocus, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            ::SendMessageA(hFocus, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
            ASSERT_TRUE(PumpUntil([&] { return m_chip.m_pfnGetWriteCount(0, MIXER3D_CENTER_ID) > 0; })) << name;
        }
        else if (test.nFocusID != 0)
            ::SetFocus(hFocus);
        ASSERT_TRUE(PumpUntil([&] { return ::GetFocus() == hFocus && ::IsChild(m_panel.m_hWnd, hFocus); })) << name;
        m_chip.m_pfnClearWriteCounts();
        PressKey(test.wVk, true);
        PressKey(test.wVk, false);
        EXPECT_TRUE(PumpUntil([&] { return !m_panel.IsWindowVisible(); })) << name;
        EXPECT_TRUE(::IsWindow(m_panel.m_hWnd)) << name;
        PumpUntil([] { return false; }, 200);
        EXPECT_EQ(m_chip.m_pfnGetWriteCount(0, MIXER3D_CENTER_ID) + m_chip.m_pfnGetWriteCount(0, MIXER3D_SPACE_ID), 0u)
            << name;
    }
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
