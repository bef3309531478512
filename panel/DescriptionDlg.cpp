#include "panel/DescriptionDlg.h"

BEGIN_MESSAGE_MAP(CDescriptionDlg, CDialog)
END_MESSAGE_MAP()

CDescriptionDlg::CDescriptionDlg(CWnd* pParent)
    : CDialog(IDD, pParent)
{
}

CDescriptionDlg::~CDescriptionDlg()
{
}

// The limit is applied after the text, so a longer stored text still shows in full.
void CDescriptionDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, IDC_DESCRIPTION, m_strDescription);
    DDV_MaxChars(pDX, m_strDescription, MAX_DESCRIPTION);
}
