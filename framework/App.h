// CWinApp: the application object, its start-up and exit, and the message loop;
// plus the few global helpers the program's classes share.
#ifndef AURELON_FRAMEWORK_APP_H
#define AURELON_FRAMEWORK_APP_H

#include <windows.h>
#include <string>

class CWnd;

class CWinApp
{
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // TRUE: run the message loop; FALSE: skip it and go straight to ExitInstance.
    virtual BOOL InitInstance();
    // Returns the process exit code.
    virtual int ExitInstance();
    // The message loop; ends on the quit message and returns ExitInstance's result.
    virtual int Run();
    // Registers the common controls that dialogs use (trackbars, tooltips) and gives them
    // the shell's look. Only a run that shows windows needs it: comctl32 is loaded here.
    BOOL Enable3dControls();

    HINSTANCE m_hInstance;
    LPCSTR m_lpCmdLine;         // argument text: the command line without the program name
    int m_nCmdShow;             // show command requested for the main window
    CWnd* m_pMainWnd;           // destroying this window ends the message loop
    std::string m_strAppName;   // the executable's file name without extension

protected:
    int m_nExitCode;            // the quit message's code
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// Offers a message to the object of its top-level window before it is dispatched (see
// CWnd::PreTranslateMessage); TRUE when it was handled there. Every message loop calls it.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Runs the one application object; called by WinMain.
int AfxWinMain(HINSTANCE hInstance, int nCmdShow);

// The argument text of a command line: a quoted or unquoted program name removed,
// then every character below 0x21.
LPCSTR SkipProgramName(LPCSTR lpszCommandLine);

// Initialises OLE for this thread; it is uninitialised when the program ends.
BOOL AfxOleInit();

// A string of the string table ("" when it is missing).
std::string AfxLoadString(UINT nID);
// String nID with "%1" replaced by lpsz1.
std::string AfxFormatString1(UINT nID, LPCSTR lpsz1);
// A message box captioned with the application's title, owned by the active window.
int AfxMessageBox(LPCSTR lpszText, UINT nType = MB_OK);

#endif
