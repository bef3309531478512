// CRunningDlg: the notice that a second start shows in the resident instance.
#ifndef AURELON_RUNNINGDLG_H
#define AURELON_RUNNINGDLG_H

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "resource.h"

class CRunningDlg : public CDialog
{
public:
    enum { IDD = IDD_RUNNING };
    explicit CRunningDlg(CWnd* pParent);
    ~CRunningDlg() override;

    int m_nVariant;             // MIXER3D_SRS or MIXER3D_QSOUND; picks the tray picture

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    CStatic m_wndTrayIcon;
    CStatic m_wndInfoIcon;

    DECLARE_MESSAGE_MAP()
};

#endif
