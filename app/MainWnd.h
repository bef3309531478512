// CMainWnd: the resident instance's hidden top-level window. Its class name is the
// instance's identity; it owns the panel and answers a second start.
#ifndef AURELON_MAINWND_H
#define AURELON_MAINWND_H

#include "framework/Wnd.h"

class CPanelDlg;

class CMainWnd : public CWnd
{
public:
    CMainWnd();
    ~CMainWnd() override;

    // TRUE when the hidden window (and with it the panel) exists.
    virtual BOOL CreateMainWindow();

protected:
    // Called when the window is created: creates the panel, hidden.
    int OnCreate(LPCREATESTRUCT lpCreateStruct);
    // Called when the window goes: destroys the panel first.
    void OnDestroy();
    // Called when another program asks the program to close: ends it as "E&xit" does.
    void OnClose();
    // Called when the session ends: passes it on to the panel.
    void OnEndSession(BOOL bEnding, UINT nOptions);
    // Called when the program is activated or deactivated: hides the panel on deactivation.
    void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    // Called by a second start: shows or hides the panel, then maybe the notice.
    LRESULT OnInstanceNotify(WPARAM wParam, LPARAM lParam);

    BOOL IsRunning() const;

    CPanelDlg* m_pPanel;
    BOOL m_bRunning;   // start-up complete, destruction not begun
    static int m_bNoticeShowing;

    DECLARE_MESSAGE_MAP()
};

#endif
