#include "support/AboutDlg.h"
#include "framework/App.h"
#include "mixer/MixerDiscovery.h"
#include "support/VersionInfo.h"
#include <stdlib.h>

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()

CAboutDlg::CAboutDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_nVariant(0)
{
}

CAboutDlg::~CAboutDlg()
{
}

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_NOTICE, m_wndNotice);
    DDX_Control(pDX, IDC_VERSION_LINE, m_wndVersionLine);
    DDX_Control(pDX, IDC_TRADEMARKS, m_wndTrademarks);
    DDX_Control(pDX, IDC_RELEASE_LINE, m_wndReleaseLine);
    DDX_Control(pDX, IDC_COPYRIGHT, m_wndCopyright);
}

std::string FormatOrderedLine(const char* pszOrder, const char* const apszParts[3])
{
    std::string slots[3];
    int nSlot = 0;
    for (const char* p = pszOrder; *p != '\0' && nSlot < 3;)
    {
        const char* pEnd = p;
        while (*pEnd != '\0' && *pEnd != ',')
            ++pEnd;
        if (pEnd != p)
        {
            int nIndex = atoi(std::string(p, pEnd).c_str());
            if (nIndex >= 0 && nIndex < 3)
                slots[nSlot] = apszParts[nIndex];
            ++nSlot;
        }
        p = *pEnd == ',' ? pEnd + 1 : pEnd;
    }
    return slots[0] + " " + slots[1] + " " + slots[2];
}

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_strNotice = AfxLoadString(m_nVariant == MIXER3D_SRS ? IDS_NOTICE_SRS : IDS_NOTICE_QSOUND);

    VERSIONSTRINGS strings;
    DWORD dwError = 0;
    if (!GetVersionStrings(&strings, &dwError))
        return FALSE;   // the template's texts stay

    std::string release = AfxLoadString(IDS_RELEASE);
    const char* const apszRelease[3] = { strings.ProductName, release.c_str(), strings.ProductVersion };
    m_wndReleaseLine.SetWindowText(
        FormatOrderedLine(AfxLoadString(IDS_RELEASE_ORDER).c_str(), apszRelease).c_str());

    std::string version = AfxLoadString(IDS_VERSION);
    const char* const apszVersion[3] = { strings.FileDescription, version.c_str(), strings.FileVersion };
    m_wndVersionLine.SetWindowText(
        FormatOrderedLine(AfxLoadString(IDS_VERSION_ORDER).c_str(), apszVersion).c_str());

    m_wndCopyright.SetWindowText(strings.LegalCopyright);
    m_wndTrademarks.SetWindowText(strings.LegalTrademarks);
    m_wndNotice.SetWindowText(m_strNotice.c_str());
    return TRUE;
}
