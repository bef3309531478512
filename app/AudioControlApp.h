// The application object: decides whether this run becomes the resident instance,
// signals the resident one, or installs the shortcuts.
#ifndef AURELON_AUDIOCONTROLAPP_H
#define AURELON_AUDIOCONTROLAPP_H

#include "framework/App.h"

class CAudioControlApp : public CWinApp
{
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    BOOL AcquireInstanceMutex(HWND* phWndResident);
    void ReleaseInstanceMutex();
    BOOL SignalResidentInstance(HWND hWndResident) const;
    BOOL BecomeResident();
    void RunInstaller() const;

    HANDLE m_hInstanceMutex = nullptr;  // owned by a start that goes on, kept by a resident run
};

// TRUE when the argument text asks for the shortcut installer: the switch as an exact,
// case-sensitive substring (double-byte characters stepped over whole).
BOOL ContainsInstallSwitch(LPCSTR lpszArgs, LPCSTR lpszSwitch);

#endif
