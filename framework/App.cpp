#include "framework/App.h"
#include "framework/Wnd.h"
#include <commctrl.h>
#include <ole2.h>

namespace
{
CWinApp* g_pApp = nullptr;
BOOL g_bOleInitialized = FALSE;

// The executable's file name without extension; empty when the path does not fit
// (a full buffer holds a cut path, unterminated on older systems).
std::string ModuleTitle()
{
    char szPath[MAX_PATH] = "";
    DWORD cchPath = ::GetModuleFileNameA(nullptr, szPath, MAX_PATH);
    if (cchPath == 0 || cchPath >= MAX_PATH)
        return std::string();
    const char* pszName = szPath;
    for (const char* p = szPath; *p != '\0'; p = ::CharNextA(p))
    {
        if (*p == '\\' || *p == '/' || *p == ':')
            pszName = p + 1;
    }
    std::string title(pszName);
    size_t nDot = title.rfind('.');
    return nDot == std::string::npos ? title : title.substr(0, nDot);
}

}

CWinApp::CWinApp()
    : m_hInstance(nullptr), m_lpCmdLine(""), m_nCmdShow(SW_SHOWNORMAL), m_pMainWnd(nullptr),
      m_nExitCode(0)
{
    g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

BOOL CWinApp::Enable3dControls()
{
    INITCOMMONCONTROLSEX icc = { sizeof(icc), ICC_BAR_CLASSES | ICC_WIN95_CLASSES };
    return ::InitCommonControlsEx(&icc);
}

int CWinApp::Run()
{
    MSG msg = {};
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        if (AfxPreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    if (msg.message == WM_QUIT)
        m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

namespace
{
// The top-level window that holds the window: what GetAncestor(GA_ROOT) gives on the
// Windows that have it (98 and 2000 on).
HWND RootWindow(HWND hWnd)
{
    while (hWnd != nullptr && (::GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) != 0)
        hWnd = ::GetParent(hWnd);
    return hWnd;
}
}

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(RootWindow(pMsg->hwnd));
    return pWnd != nullptr && pWnd->PreTranslateMessage(pMsg);
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

HINSTANCE AfxGetInstanceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleA(nullptr);
}

LPCSTR SkipProgramName(LPCSTR lpszCommandLine)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(lpszCommandLine);
    if (*p == '"')
    {
        for (++p; *p != '\0' && *p != '"'; ++p)
        {
        }
        if (*p == '"')
            ++p;
    }
    else
    {
        while (*p >= 0x21)
            ++p;
    }
    while (*p != '\0' && *p < 0x21)
        ++p;
    return reinterpret_cast<LPCSTR>(p);
}

int AfxWinMain(HINSTANCE hInstance, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = SkipProgramName(::GetCommandLineA());
    pApp->m_nCmdShow = nCmdShow;
    pApp->m_strAppName = ModuleTitle();

    int nResult = pApp->InitInstance() ? pApp->Run() : pApp->ExitInstance();
    if (g_bOleInitialized)
    {
        ::OleUninitialize();
        g_bOleInitialized = FALSE;
    }
    return nResult;
}

BOOL AfxOleInit()
{
    if (!g_bOleInitialized)
        g_bOleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    return g_bOleInitialized;
}

namespace
{
// The string as the translation for the user's language holds it (FALSE when it holds
// none). Each translation is marked with its language and a neutral sublanguage (German as
// 0x0007), so that it serves every country of the language; Windows NT's loader looks for
// such a mark, but the string loader of 95 and 98 looks only for the exact language (German
// (Germany), 0x0407) before it takes English, so the translation is looked up here.
BOOL LoadTranslatedString(UINT nID, std::string& text)
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    const LANGID langid = MAKELANGID(PRIMARYLANGID(::GetUserDefaultLangID()), SUBLANG_NEUTRAL);
    // Strings are kept in blocks of 16, each a length followed by that many UTF-16 units.
    HRSRC hBlock = ::FindResourceExA(hInstance, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(nID / 16 + 1), langid);
    HGLOBAL hData = hBlock != nullptr ? ::LoadResource(hInstance, hBlock) : nullptr;
    const WCHAR* p = hData != nullptr ? static_cast<const WCHAR*>(::LockResource(hData)) : nullptr;
    if (p == nullptr)
        return FALSE;
    const WCHAR* pEnd = p + ::SizeofResource(hInstance, hBlock) / sizeof(WCHAR);
    for (UINT i = 0; i < nID % 16 && p < pEnd; ++i)
        p += 1 + *p;
    if (p >= pEnd || *p == 0 || p + 1 + *p > pEnd)
        return FALSE;
    const int cch = *p;
    const int cb = ::WideCharToMultiByte(CP_ACP, 0, p + 1, cch, nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<size_t>(cb > 0 ? cb : 0), '\0');
    return cb > 0 && ::WideCharToMultiByte(CP_ACP, 0, p + 1, cch, &text[0], cb, nullptr, nullptr) == cb;
}
}

std::string AfxLoadString(UINT nID)
{
    std::string translated;
    if (LoadTranslatedString(nID, translated))
        return translated;
    // LoadStringA cannot report a text's length, so grow until the text fits.
    std::string text(256, '\0');
    for (;;)
    {
        int nLen = ::LoadStringA(AfxGetResourceHandle(), nID, &text[0], static_cast<int>(text.size()));
        if (nLen < static_cast<int>(text.size()) - 1)
        {
            text.resize(static_cast<size_t>(nLen > 0 ? nLen : 0));
            return text;
        }
        text.resize(text.size() * 2);
    }
}

std::string AfxFormatString1(UINT nID, LPCSTR lpsz1)
{
    std::string text = AfxLoadString(nID);
    size_t nPos = text.find("%1");
    if (nPos != std::string::npos)
        text.replace(nPos, 2, lpsz1);
    return text;
}

int AfxMessageBox(LPCSTR lpszText, UINT nType)
{
    CWinApp* pApp = AfxGetApp();
    std::string title = pApp != nullptr && !pApp->m_strAppName.empty() ? pApp->m_strAppName
                                                                        : ModuleTitle();
    // Without a title the system's own caption stands.
    return ::MessageBoxA(::GetActiveWindow(), lpszText, title.empty() ? nullptr : title.c_str(), nType);
}
