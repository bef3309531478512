#include "PanelPictures.h"
#include "AurelonProgram.h"
#include "resource.h"
#include <memory>

const CPresetImages kPresetImages[3] = {
    { IDC_PRESET1, IDB_PRESET1_NORMAL, IDB_PRESET1_SEL, IDB_PRESET1_DIS },
    { IDC_PRESET2, IDB_PRESET2_NORMAL, IDB_PRESET2_SEL, IDB_PRESET2_DIS },
    { IDC_PRESET3, IDB_PRESET3_NORMAL, IDB_PRESET3_SEL, IDB_PRESET3_DIS },
};

CCanvas* PresetButtonPicture(HWND hButton, UINT nImageID, int nDpi)
{
    // The button takes the size of its image.
    int cx = 0, cy = 0;
    BitmapPixels(ProgramResources(), nImageID, nDpi, &cx, &cy);
    CCanvas* pPicture = new CCanvas(cx, cy);
    pPicture->Fill(::GetSysColor(COLOR_BTNFACE));
    pPicture->DrawTransparent(ProgramResources(), nImageID, 0, 0, nDpi);
    RECT rcEdge = { 0, 0, pPicture->Width(), pPicture->Height() };
    ::DrawEdge(pPicture->GetDC(), &rcEdge, EDGE_RAISED, BF_RECT);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    if (::GetGUIThreadInfo(::GetWindowThreadProcessId(hButton, nullptr), &gui) && gui.hwndFocus == hButton)
    {
        RECT rcFocus = { 3, 3, pPicture->Width() - 3, pPicture->Height() - 3 };
        ::DrawFocusRect(pPicture->GetDC(), &rcFocus);
    }
    ::GdiFlush();
    return pPicture;
}

bool ShowsLamp(HWND hButton, PresetLamp lamp)
{
    const int nID = ::GetDlgCtrlID(hButton);
    RECT rc;
    if (!::IsWindowVisible(hButton) || !::GetWindowRect(hButton, &rc))
        return false;
    for (const CPresetImages& images : kPresetImages)
    {
        if (images.nButtonID != nID)
            continue;
        std::unique_ptr<CCanvas> pExpected(
            PresetButtonPicture(hButton, lamp == LAMP_SELECTED ? images.nSelected : images.nNormal));
        std::unique_ptr<CCanvas> pShown(CCanvas::FromScreen(rc));
        return pShown->SameAs(*pExpected);
    }
    return false;
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
