// What the panel's preset buttons must show, drawn from the program's own images, and the
// lamps (the selected image or not) read from the screen by that picture.
#ifndef AURELON_TESTS_COMMON_PANELPICTURES_H
#define AURELON_TESTS_COMMON_PANELPICTURES_H

#include <windows.h>
#include "Canvas.h"

class CAurelonProgram;

// A preset button's images: not selected, selected, disabled.
struct CPresetImages
{
    int nButtonID;
    UINT nNormal;
    UINT nSelected;
    UINT nDisabled;
};

// Presets 1, 2 and 3.
extern const CPresetImages kPresetImages[3];

// A preset button as it must look with one of its images at a DPI: as large as the image,
// the image on the panel's face without its teal, a raised edge, and the focus rectangle
// when the button has the focus.
CCanvas* PresetButtonPicture(HWND hButton, UINT nImageID, int nDpi = kBaseDpi);

// Whether a preset button on screen shows its selected image (a lit lamp), or its image of
// a preset that is not selected.
enum PresetLamp { LAMP_SELECTED, LAMP_NOT_SELECTED };
bool ShowsLamp(HWND hButton, PresetLamp lamp);
// Polls until a preset button of the visible panel shows the lamp, after the program has
// handled what was sent to it before.
bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp);

#endif
