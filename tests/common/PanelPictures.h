// The lamps of the panel's preset buttons, read from the screen by their colour: green on
// the selected preset's button, red on the others (grey while disabled).
#ifndef AURELON_TESTS_COMMON_PANELPICTURES_H
#define AURELON_TESTS_COMMON_PANELPICTURES_H

#include <windows.h>

class CAurelonProgram;

// Whether a preset button on screen shows its selected image (a lit lamp), or its image of
// a preset that is not selected.
enum PresetLamp { LAMP_SELECTED, LAMP_NOT_SELECTED };
bool ShowsLamp(HWND hButton, PresetLamp lamp);
// Polls until a preset button of the visible panel shows the lamp, after the program has
// handled what was sent to it before.
bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp);

#endif
