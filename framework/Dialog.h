// CDialog: modal and modeless dialogs from a template number, with control binding
// and text exchange through DoDataExchange.
#ifndef AURELON_FRAMEWORK_DIALOG_H
#define AURELON_FRAMEWORK_DIALOG_H

#include <string>
#include "framework/Wnd.h"

class CDialog;

// State of one UpdateData pass.
class CDataExchange
{
public:
    CDataExchange(CDialog* pDlgWnd, BOOL bSaveAndValidate);

    // The control with this id, remembered for a validation failure.
    HWND PrepareCtrl(int nIDC);
    // Ends the pass: the remaining exchanges do nothing and UpdateData returns FALSE.
    void Fail();

    BOOL m_bSaveAndValidate;    // TRUE: controls to members; FALSE: members to controls
    CDialog* m_pDlgWnd;
    HWND m_hWndLastControl;
    BOOL m_bFail;
};

// Binds control nIDC to rControl once; its messages then reach rControl's table.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// Limits an edit to nChars characters as the user counts them (a double-byte character
// of the ANSI code page is one); on save refuses a longer text with a message and gives
// the edit the focus with its text selected.
void DDV_MaxChars(CDataExchange* pDX, const std::string& value, int nChars);
// The characters of a text in a code page; a lead byte at the very end counts as one.
int CharacterCount(LPCSTR lpszText, UINT nCodePage = CP_ACP);

class CDialog : public CWnd
{
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; returns the code given to EndDialog, or -1.
    INT_PTR DoModal();
    // Creates the dialog modeless; the message loop lets the dialog manager see its keys
    // through PreTranslateMessage.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    // Ends a modal dialog; a modeless one is only hidden.
    void EndDialog(int nResult);
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    BOOL IsModeless() const { return !m_bModal && m_hWnd != nullptr; }
    // A modeless dialog lets the dialog manager handle its keys (Tab, mnemonics, Enter, Escape).
    BOOL PreTranslateMessage(MSG* pMsg) override;

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    BOOL m_bModal;

private:
    static INT_PTR CALLBACK StdDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};

#endif
