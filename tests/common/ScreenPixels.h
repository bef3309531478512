// What the screen shows: a rectangle of it read back once, and the preset lamps of the
// program's panel judged by their colours.
#ifndef AURELON_TESTS_COMMON_SCREENPIXELS_H
#define AURELON_TESTS_COMMON_SCREENPIXELS_H

#include <windows.h>
#include <vector>

class CAurelonProgram;

// A copy of a screen rectangle, 32 bits per pixel.
class CScreenPixels
{
public:
    explicit CScreenPixels(const RECT& rc);

    // The colour at a screen point inside the rectangle.
    COLORREF At(int x, int y) const;
    // Pixels of one colour inside a screen rectangle (clipped to the copy).
    int Count(const RECT& rc, COLORREF cr) const;

private:
    RECT m_rc;
    std::vector<DWORD> m_pixels;
};

// Lit (green) or out (red): how a preset button of the visible panel shows its preset.
// The panel's pending painting is done first, so the answer reflects what it has handled.
enum PresetLamp { LAMP_UNKNOWN, LAMP_SELECTED, LAMP_NOT_SELECTED };
PresetLamp ReadPresetLamp(const CAurelonProgram& program, int nButtonID);
// Polls until the lamp shows the state (the screen follows the painting a little later).
bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp);

#endif
