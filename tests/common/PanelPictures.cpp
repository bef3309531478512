#include "PanelPictures.h"
#include "AurelonProgram.h"
#include "Canvas.h"
#include <memory>

bool ShowsLamp(HWND hButton, PresetLamp lamp)
{
    RECT rc;
    if (!::IsWindowVisible(hButton) || !::GetWindowRect(hButton, &rc))
        return false;
    std::unique_ptr<CCanvas> pShown(CCanvas::FromScreen(rc));
    int nGreen = 0, nRed = 0;
    for (int y = 0; y < pShown->Height(); ++y)
        for (int x = 0; x < pShown->Width(); ++x)
        {
            const COLORREF cr = pShown->At(x, y);
            nGreen += GetGValue(cr) > 160 && GetRValue(cr) < 100 && GetBValue(cr) < 100;
            nRed += GetRValue(cr) > 160 && GetGValue(cr) < 100 && GetBValue(cr) < 100;
        }
    return lamp == LAMP_SELECTED ? nGreen > 0 && nRed == 0 : nRed > 0 && nGreen == 0;
}

bool WaitForPresetLamp(const CAurelonProgram& program, int nButtonID, PresetLamp lamp)
{
    program.Sync();
    HWND hButton = program.Control(nButtonID);
    return WaitUntil([&] {
        // A repaint that the program has still to do is done now, inside this call.
        ::RedrawWindow(program.Panel(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        return ShowsLamp(hButton, lamp);
    }, 5000);
}
