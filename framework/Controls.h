// Thin wrappers for the controls that dialogs bind, and owners for the GDI objects
// and image lists that a window keeps for its lifetime.
#ifndef AURELON_FRAMEWORK_CONTROLS_H
#define AURELON_FRAMEWORK_CONTROLS_H

#include <windows.h>
#include <commctrl.h>
#include "framework/Wnd.h"

class CStatic : public CWnd
{
public:
    HICON SetIcon(HICON hIcon) const
    {
        return reinterpret_cast<HICON>(SendMessage(STM_SETICON, reinterpret_cast<WPARAM>(hIcon)));
    }
};

class CEdit : public CWnd
{
};

class CButton : public CWnd
{
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int nCheck) const { SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck)); }

protected:
    // Owner-drawn buttons draw themselves when their parent receives WM_DRAWITEM.
    virtual void DrawItem(const DRAWITEMSTRUCT* pDrawItemStruct);
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
};

class CSliderCtrl : public CWnd
{
public:
    int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
    void SetPos(int nPos) const { SendMessage(TBM_SETPOS, TRUE, nPos); }
};

// A tooltip control that this object creates and destroys.
class CToolTipCtrl : public CWnd
{
public:
    ~CToolTipCtrl() override;
    BOOL Create(CWnd* pOwner, DWORD dwStyle = WS_POPUP);
    // Adds a tool for a whole window; the tool id is 0.
    BOOL AddTool(HWND hWndTool, LPCSTR lpszText) const;
    void UpdateTipText(LPCSTR lpszText, HWND hWndTool) const;
    void RelayEvent(const MSG* pMsg) const;
    std::string GetToolText(HWND hWndTool) const;
};

// Owns one GDI object and deletes it with itself.
template <class THandle>
class CGdiObjectT
{
public:
    CGdiObjectT() : m_hObject(nullptr) {}
    ~CGdiObjectT() { DeleteObject(); }
    CGdiObjectT(const CGdiObjectT&) = delete;
    CGdiObjectT& operator=(const CGdiObjectT&) = delete;

    void Attach(THandle hObject) { DeleteObject(); m_hObject = hObject; }
    void DeleteObject()
    {
        if (m_hObject != nullptr)
            ::DeleteObject(m_hObject);
        m_hObject = nullptr;
    }
    THandle GetSafeHandle() const { return m_hObject; }
    operator THandle() const { return m_hObject; }

private:
    THandle m_hObject;
};

typedef CGdiObjectT<HBITMAP> CBitmap;
typedef CGdiObjectT<HPALETTE> CPalette;

// Owns an image list and destroys it with itself.
class CImageList
{
public:
    CImageList() : m_hImageList(nullptr) {}
    ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    void DeleteImageList();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

private:
    HIMAGELIST m_hImageList;
};

#endif
