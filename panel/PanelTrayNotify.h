// CPanelTrayNotify: turns clicks on the tray icon into panel actions.
#ifndef AURELON_PANELTRAYNOTIFY_H
#define AURELON_PANELTRAYNOTIFY_H

#include "app/TaskBarButton.h"

class CPanelDlg;

class CPanelTrayNotify final : public CTaskBarButtonNotify
{
public:
    explicit CPanelTrayNotify(CPanelDlg* pPanel);

    void OnLButtonDown() override;
    void OnLButtonDblClk() override;
    void OnLButtonUp() override;
    void OnRButtonDown() override;
    void OnRButtonUp() override;
    void OnMouseMove() override;
    // Shows the tray menu at (x, y), or at the cursor when both are 0.
    virtual void ShowMenu(int x, int y);
    // What a click does while the program is busy: beeps, brings its dialog forward.
    void Refuse() const;

    BOOL m_bEnabled;            // FALSE while a dialog or menu of the program runs
    CPanelDlg* m_pPanel;        // not owned
    BOOL m_bClickPending;       // a left press on the icon waits for its release
};

#endif
