#include "framework/Dialog.h"
#include "framework/App.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd), m_bModal(FALSE)
{
}

INT_PTR CDialog::DoModal()
{
    m_bModal = TRUE;
    HWND hWndParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDTemplate),
                                        hWndParent, &CDialog::StdDlgProc,
                                        reinterpret_cast<LPARAM>(this));
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    m_nIDTemplate = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    HWND hWndParent = pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr;
    return ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate), hWndParent,
                                &CDialog::StdDlgProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    return IsModeless() && ::IsDialogMessageA(m_hWnd, pMsg);
}

// The dialog box procedure only binds the object at WM_INITDIALOG: from then on the
// window is subclassed, and this procedure is reached as the default processing, where
// FALSE lets the dialog manager do its own work.
INT_PTR CALLBACK CDialog::StdDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG || FromHandlePermanent(hWnd) != nullptr)
        return FALSE;
    CDialog* pDlg = reinterpret_cast<CDialog*>(lParam);
    if (!pDlg->SubclassWindow(hWnd))
        return FALSE;
    return pDlg->OnInitDialog();
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        ::EndDialog(m_hWnd, nResult);
    else
        ShowWindow(SW_HIDE);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return !dx.m_bFail;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (UpdateData(TRUE))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

CDataExchange::CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd), m_hWndLastControl(nullptr),
      m_bFail(FALSE)
{
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(nIDC);
    return m_hWndLastControl;
}

void CDataExchange::Fail()
{
    m_bFail = TRUE;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (pDX->m_bFail || rControl.m_hWnd != nullptr)
        return;
    if (!rControl.SubclassWindow(pDX->PrepareCtrl(nIDC)))
        pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    if (pDX->m_bFail)
        return;
    HWND hWndCtrl = pDX->PrepareCtrl(nIDC);
    if (pDX->m_bSaveAndValidate)
    {
        std::string text(static_cast<size_t>(::GetWindowTextLengthA(hWndCtrl)) + 1, '\0');
        text.resize(static_cast<size_t>(::GetWindowTextA(hWndCtrl, &text[0], static_cast<int>(text.size()))));
        value = text;
    }
    else
    {
        ::SetWindowTextA(hWndCtrl, value.c_str());
    }
}

int CharacterCount(LPCSTR lpszText, UINT nCodePage)
{
    int nCount = 0;
    for (const char* p = lpszText; *p != '\0'; ++nCount)
        p += ::IsDBCSLeadByteEx(nCodePage, static_cast<BYTE>(*p)) && p[1] != '\0' ? 2 : 1;
    return nCount;
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars)
{
    if (pDX->m_bFail)
        return;
    if (!pDX->m_bSaveAndValidate)
    {
        // Windows 2000 and XP keep an ANSI edit control's text in the ANSI code page and
        // count its limit in bytes: room for nChars of the widest characters.
        CPINFO info = {};
        UINT nMaxCharSize = ::GetCPInfo(CP_ACP, &info) ? info.MaxCharSize : 1;
        ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT,
                       static_cast<WPARAM>(nChars) * nMaxCharSize, 0);
        return;
    }
    if (CharacterCount(value.c_str()) <= nChars)
        return;
    char szCount[16];
    wsprintfA(szCount, "%d", nChars);
    AfxMessageBox(AfxFormatString1(IDS_MAX_CHARS, szCount).c_str(), MB_OK | MB_ICONEXCLAMATION);
    ::SetFocus(pDX->m_hWndLastControl);
    ::SendMessageA(pDX->m_hWndLastControl, EM_SETSEL, 0, -1);
    pDX->Fail();
}
