// CWnd: a C++ object bound to one window. Messages reach the object through one
// static window procedure and the class's static message table.
#ifndef AURELON_FRAMEWORK_WND_H
#define AURELON_FRAMEWORK_WND_H

#include <windows.h>
#include <string>
#include "framework/MessageMap.h"

class CWnd
{
public:
    CWnd();
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Construction and binding
    // Creates a window bound to this object from its first message (WM_NCCREATE) on.
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle,
                  int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU hMenu);
    // Binds an existing window (a dialog's control) and routes its messages through this object.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    // Destroys the window only if it still exists; safe on an unbound object.
    BOOL DestroyWindow();
    static CWnd* FromHandlePermanent(HWND hWnd);
    static LRESULT CALLBACK StdWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Called by the message loop before it dispatches a message for this top-level window
    // or one of its children; TRUE when the message was handled here.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    // Thin operations
    HWND GetSafeHwnd() const { return m_hWnd; }
    BOOL IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int nCmdShow) const { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable) const { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    void SetWindowText(LPCSTR lpszText) const { ::SetWindowTextA(m_hWnd, lpszText); }
    std::string GetWindowText() const;
    HWND GetDlgItem(int nID) const { return ::GetDlgItem(m_hWnd, nID); }
    HWND GetParent() const { return ::GetParent(m_hWnd); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    BOOL MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) const;
    BOOL SetWindowPos(HWND hWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) const;
    BOOL SetForegroundWindow() const { return ::SetForegroundWindow(m_hWnd); }
    void Invalidate(BOOL bErase = TRUE) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }

    HWND m_hWnd;

protected:
    // Message processing, in the order a message meets them
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // WM_COMMAND; TRUE when a table entry handled it.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // A parent forwards WM_DRAWITEM to the control it concerns.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Processing of messages that no table entry handled.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Default processing of the message being handled, for handlers that extend it.
    LRESULT Default();
    // Called after the window is gone (WM_NCDESTROY).
    virtual void PostNcDestroy() {}

    static const MSGMAP* GetThisMessageMap();
    virtual const MSGMAP* GetMessageMap() const;

    WNDPROC m_pfnSuper;     // the window's own procedure when subclassed

private:
    BOOL Attach(HWND hWnd);
    void Detach();
    static const MSGMAP_ENTRY* FindEntry(const MSGMAP* pMap, UINT message, UINT nID);

    MSG m_currentMsg;       // the message being handled, for Default()
};

#endif
