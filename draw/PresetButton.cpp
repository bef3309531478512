#include "draw/PresetButton.h"

#include "app/PrivateMessages.h"
#include "draw/DpiScale.h"
#include "draw/PaletteBitmap.h"
#include "framework/App.h"

BEGIN_MESSAGE_MAP(CPresetButton, CButton)
    ON_WM_LBUTTONDOWN()
    ON_WM_MOUSEMOVE()
    ON_WM_LBUTTONUP()
    ON_MESSAGE(WM_CAPTURECHANGED, OnCaptureChanged)
    ON_MESSAGE(WM_ENABLE, OnEnable)
END_MESSAGE_MAP()

CPresetButton::CPresetButton()
    : m_nImage{ -1, -1, -1, -1 }, m_bDrawEdge(FALSE), m_bPressed(FALSE), m_bTracking(FALSE)
{
}

CPresetButton::~CPresetButton() = default;

BOOL CPresetButton::LoadBitmaps(UINT normalId, UINT pressedId, UINT focusedId, UINT disabledId,
                                BOOL useMask, BOOL drawEdge, BOOL resizeToImage)
{
    const UINT ids[IMAGE_COUNT] = { normalId, pressedId, focusedId, disabledId };
    HBITMAP bitmaps[IMAGE_COUNT] = {};
    const int nDpi = ScreenDpi();
    BOOL bLoaded = TRUE;
    for (int i = 0; i < IMAGE_COUNT && bLoaded; ++i)
    {
        if (ids[i] == 0)
            continue;
        bitmaps[i] = LoadResourceBitmap(AfxGetResourceHandle(), MAKEINTRESOURCEA(ids[i]), nullptr,
                                        nDpi);
        bLoaded = bitmaps[i] != nullptr;
    }

    BOOL bResult = bLoaded && SetBitmaps(bitmaps, useMask, drawEdge, resizeToImage);
    for (HBITMAP hBitmap : bitmaps)
    {
        if (hBitmap != nullptr)
            ::DeleteObject(hBitmap);
    }
    return bResult;
}

BOOL CPresetButton::SetBitmaps(const HBITMAP bitmaps[IMAGE_COUNT], BOOL useMask, BOOL drawEdge,
                               BOOL resizeToImage)
{
    m_bDrawEdge = drawEdge;
    m_imageList.DeleteImageList();
    // Indices of the old list mean nothing any more, whatever happens below.
    for (int& nImage : m_nImage)
        nImage = -1;

    BITMAP bm;
    if (bitmaps[IMAGE_NORMAL] == nullptr ||
        ::GetObjectA(bitmaps[IMAGE_NORMAL], sizeof(bm), &bm) == 0)
        return FALSE;
    if (!m_imageList.Create(bm.bmWidth, bm.bmHeight, useMask ? ILC_MASK : 0, 4, 1))
        return FALSE;
    HDC hdcMem = nullptr;
    if (useMask)
    {
        hdcMem = ::CreateCompatibleDC(nullptr);
        if (hdcMem == nullptr)
        {
            m_imageList.DeleteImageList();
            return FALSE;
        }
    }

    for (int i = 0; i < IMAGE_COUNT; ++i)
    {
        if (bitmaps[i] == nullptr)
            continue;
        // The bitmap's top-left pixel gives its transparent colour.
        COLORREF crMask = 0;
        if (useMask)
        {
            HGDIOBJ hOld = ::SelectObject(hdcMem, bitmaps[i]);
            crMask = ::GetPixel(hdcMem, 0, 0);
            ::SelectObject(hdcMem, hOld);
        }
        m_nImage[i] = ImageList_AddMasked(m_imageList.GetSafeHandle(), bitmaps[i], crMask);
    }

    if (resizeToImage)
        SetWindowPos(nullptr, 0, 0, bm.bmWidth, bm.bmHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Redraw();
    if (hdcMem != nullptr)
        ::DeleteDC(hdcMem);
    return TRUE;
}

LRESULT CPresetButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    // The tooltip sees the mouse before the button acts on it; double-clicks are not shown.
    if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP && message != WM_LBUTTONDBLCLK &&
        message != WM_RBUTTONDBLCLK)
        RelayToToolTip(message, wParam, lParam);
    return CButton::WindowProc(message, wParam, lParam);
}

void CPresetButton::RelayToToolTip(UINT message, WPARAM wParam, LPARAM lParam) const
{
    HWND hParent = GetParent();
    if (hParent == nullptr)
        return;
    CToolTipCtrl* pToolTip =
        reinterpret_cast<CToolTipCtrl*>(::SendMessageA(hParent, UWM_GETTOOLTIP, 0, 0));
    if (pToolTip == nullptr)
        return;
    MSG msg = { m_hWnd, message, wParam, lParam, 0, { 0, 0 } };
    pToolTip->RelayEvent(&msg);
}

void CPresetButton::DrawItem(const DRAWITEMSTRUCT* pDrawItemStruct)
{
    HDC hdc = pDrawItemStruct->hDC;
    RECT rect = pDrawItemStruct->rcItem;
    const UINT action = pDrawItemStruct->itemAction;
    const UINT state = pDrawItemStruct->itemState;
    const BOOL bFocusImage = m_nImage[IMAGE_FOCUSED] != -1;

    int nSlot = IMAGE_NORMAL;
    int nOffset = 0;
    UINT nExtraStyle = ILD_NORMAL;
    BOOL bFocusRect = FALSE;

    if (action & ODA_FOCUS)
    {
        // Drawn by inversion: once on gaining the focus, once on losing it.
        bFocusRect = !bFocusImage;
    }
    else if (action & ODA_DRAWENTIRE)
    {
        // The background first, as the parent colours buttons: common controls 6 repaint
        // without erasing, and the transparent image and the inverted focus rectangle
        // must not land on the previous look.
        HBRUSH hBrush = reinterpret_cast<HBRUSH>(::SendMessageA(
            GetParent(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(hdc),
            reinterpret_cast<LPARAM>(m_hWnd)));
        ::FillRect(hdc, &rect, hBrush != nullptr ? hBrush : ::GetSysColorBrush(COLOR_BTNFACE));
        if (m_bPressed)
        {
            if (m_nImage[IMAGE_PRESSED] != -1)
            {
                nSlot = IMAGE_PRESSED;
                if (!bFocusImage)
                    nExtraStyle = ILD_FOCUS;
            }
            else
            {
                nOffset = 1;
                bFocusRect = !bFocusImage;
            }
        }
        if (state & ODS_FOCUS)
        {
            if (bFocusImage)
                nSlot = IMAGE_FOCUSED;
            else
                bFocusRect = TRUE;
        }
        if ((state & ODS_DISABLED) && m_nImage[IMAGE_DISABLED] != -1)
            nSlot = IMAGE_DISABLED;

        HIMAGELIST hImageList = m_imageList.GetSafeHandle();
        IMAGEINFO info;
        UINT nStyle = ILD_NORMAL;
        if (ImageList_GetImageInfo(hImageList, m_nImage[nSlot], &info) && info.hbmMask != nullptr)
            nStyle = ILD_TRANSPARENT;
        ImageList_Draw(hImageList, m_nImage[nSlot], hdc, nOffset, nOffset, nStyle | nExtraStyle);

        if (m_bDrawEdge)
            ::DrawEdge(hdc, &rect, m_bPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    }

    if (bFocusRect)
    {
        ::InflateRect(&rect, -3, -3);
        ::DrawFocusRect(hdc, &rect);
    }
}

void CPresetButton::Redraw() const
{
    Invalidate(TRUE);
    UpdateWindow();
}

void CPresetButton::OnLButtonDown(UINT, POINT)
{
    m_bTracking = TRUE;
    m_bPressed = TRUE;
    Default();      // the button takes the capture and the focus
    Redraw();
}

void CPresetButton::OnMouseMove(UINT, POINT point)
{
    if (m_bTracking)
    {
        RECT rcWindow;
        GetWindowRect(&rcWindow);
        ::ClientToScreen(m_hWnd, &point);
        const BOOL bInside = ::PtInRect(&rcWindow, point);
        if (bInside != m_bPressed)
        {
            m_bPressed = bInside;
            Redraw();
        }
    }
    Default();
}

void CPresetButton::OnLButtonUp(UINT, POINT)
{
    m_bTracking = FALSE;
    m_bPressed = FALSE;
    // Drawn raised before the default processing sends BN_CLICKED.
    Redraw();
    Default();
}

LRESULT CPresetButton::OnCaptureChanged(WPARAM, LPARAM lParam)
{
    // A press that loses the mouse elsewhere (another window, deactivation) is over.
    if (m_bTracking && reinterpret_cast<HWND>(lParam) != m_hWnd)
    {
        m_bTracking = FALSE;
        m_bPressed = FALSE;
        Redraw();
    }
    return Default();
}

LRESULT CPresetButton::OnEnable(WPARAM, LPARAM)
{
    // The platform repaints without erasing, and the images are drawn transparent: the
    // other image would show through.
    LRESULT lResult = Default();
    Redraw();
    return lResult;
}
