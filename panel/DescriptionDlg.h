// CDescriptionDlg: asks for a preset's new description (at most 100 characters).
#ifndef AURELON_DESCRIPTIONDLG_H
#define AURELON_DESCRIPTIONDLG_H

#include <string>
#include "framework/Dialog.h"
#include "resource.h"

class CDescriptionDlg : public CDialog
{
public:
    enum { IDD = IDD_DESCRIPTION };
    enum { MAX_DESCRIPTION = 100 };
    explicit CDescriptionDlg(CWnd* pParent);
    ~CDescriptionDlg() override;

    std::string m_strDescription;

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};

#endif
