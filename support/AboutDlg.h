// CAboutDlg: the About box, with lines built from the executable's version resource.
#ifndef AURELON_ABOUTDLG_H
#define AURELON_ABOUTDLG_H

#include <string>
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "resource.h"

class CAboutDlg : public CDialog
{
public:
    enum { IDD = IDD_ABOUTBOX };
    explicit CAboutDlg(CWnd* pParent);
    ~CAboutDlg() override;

    int m_nVariant;             // MIXER3D_SRS, or anything else for QSound
    std::string m_strNotice;    // the technology's trademark notice

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    CStatic m_wndNotice;
    CStatic m_wndVersionLine;
    CStatic m_wndTrademarks;
    CStatic m_wndReleaseLine;
    CStatic m_wndCopyright;

    DECLARE_MESSAGE_MAP()
};

// Joins three parts with single spaces in the order that a list like "0,1,2" gives:
// tokens between commas (empty ones skipped) are decimal indices into the parts; a slot
// that no valid index fills stays empty.
std::string FormatOrderedLine(const char* pszOrder, const char* const apszParts[3]);

#endif
