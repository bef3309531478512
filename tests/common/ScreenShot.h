// What the screen shows: a copy of a rectangle, and the preset lamps read from it.
#ifndef AURELON_TESTS_COMMON_SCREENSHOT_H
#define AURELON_TESTS_COMMON_SCREENSHOT_H

#include <windows.h>
#include <vector>

class CAurelonProgram;

// A copy of a screen rectangle, 32 bits per pixel.
class CScreenShot
{
public:
    explicit CScreenShot(const RECT& rc);

    // Pixels of a colour inside a screen rectangle (clipped to the copy).
    int Count(const RECT& rc, COLORREF cr) const;
    COLORREF At(int x, int y) const;

private:
    RECT m_rc;
    std::vector<DWORD> m_pixels;
};

const COLORREF kRedLamp = RGB(255, 0, 0);
const COLORREF kGreenLamp = RGB(0, 255, 0);

// Whether a preset button on screen shows the green lamp of the selected preset (and no
// red), or the red lamp of one that is not selected (and no green).
bool ShowsLitLamp(HWND hButton);
bool ShowsUnlitLamp(HWND hButton);

// Polls until a preset button of the visible panel shows the lamp, after the program has
// handled what was sent to it before.
enum PresetLamp { LAMP_SELECTED, LAMP_NOT_SELECTED };
bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp);

#endif
