// CPresetButton: an owner-drawn push button that shows a bitmap instead of text, with
// its own 3-D edge and focus rectangle, a pressed look that follows the mouse while
// the left button is held, and its mouse messages relayed to the parent's tooltip.
#ifndef AURELON_DRAW_PRESETBUTTON_H
#define AURELON_DRAW_PRESETBUTTON_H

#include <windows.h>
#include "framework/Controls.h"

class CPresetButton : public CButton
{
public:
    // Image slots, in the order of LoadBitmaps' identifiers.
    enum { IMAGE_NORMAL, IMAGE_PRESSED, IMAGE_FOCUSED, IMAGE_DISABLED, IMAGE_COUNT };

    CPresetButton();
    ~CPresetButton() override;

    // Loads the non-zero bitmap resources (normalId never 0), drawn at the screen's DPI,
    // and passes them to SetBitmaps. FALSE without any change when one of them cannot be loaded.
    BOOL LoadBitmaps(UINT normalId, UINT pressedId, UINT focusedId, UINT disabledId,
                     BOOL useMask, BOOL drawEdge, BOOL resizeToImage);
    // Replaces the images by bitmaps[IMAGE_NORMAL..IMAGE_DISABLED] (NULL = no image for
    // that slot; the normal one is required). useMask makes the colour of each bitmap's
    // top-left pixel transparent; resizeToImage sizes the button to the first bitmap.
    // The bitmaps stay the caller's (masking may blacken their transparent pixels).
    // FALSE leaves the button without images.
    virtual BOOL SetBitmaps(const HBITMAP bitmaps[IMAGE_COUNT], BOOL useMask, BOOL drawEdge,
                            BOOL resizeToImage);

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DrawItem(const DRAWITEMSTRUCT* pDrawItemStruct) override;

    // Called when the left button goes down on the button.
    void OnLButtonDown(UINT nFlags, POINT point);
    // Called when the mouse moves over the button or, while it has the capture, anywhere.
    void OnMouseMove(UINT nFlags, POINT point);
    // Called when the left button is released; the default processing sends BN_CLICKED.
    void OnLButtonUp(UINT nFlags, POINT point);
    // Called when the button loses the mouse capture before the left button is released.
    LRESULT OnCaptureChanged(WPARAM wParam, LPARAM lParam);
    // Called when the button is enabled or disabled; it then shows another image.
    LRESULT OnEnable(WPARAM wParam, LPARAM lParam);

    CImageList m_imageList;
    int m_nImage[IMAGE_COUNT];      // image list index per slot, -1 = none
    BOOL m_bDrawEdge;
    BOOL m_bPressed;                // show the pressed look
    BOOL m_bTracking;               // a left-button press began on this button

private:
    void RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) const;
    // Repaints the whole button, background included, at once.
    void Redraw() const;

    DECLARE_MESSAGE_MAP()
};

#endif
