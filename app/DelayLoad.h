// The system DLLs that the program loads at first use come from the system directory only:
// a DLL of the same name beside the program or in its working directory is never loaded.
// A call into such a DLL on a Windows that lacks the DLL or the function fails the way the
// function itself reports failure, and the program goes on as it does after such a failure
// (no tray icon, no About box texts, no shortcuts), instead of ending with the delay-load
// helper's exception.
#ifndef AURELON_APP_DELAYLOAD_H
#define AURELON_APP_DELAYLOAD_H

#include <windows.h>
#include <delayimp.h>

// Loads the system directory's copy of a system DLL (NULL when there is none). The DLLs it
// brings are searched from that directory too.
HMODULE LoadSystemLibrary(LPCSTR pszName);

// The delay-load helper's notification hook (installed by the program's entry file): the
// helper would load a DLL by its bare name, so it is given the system directory's copy (or
// the side-by-side assembly's that the program's manifest names), or, when there is none,
// the program's own module, which the failure hook below stands for.
FARPROC WINAPI DelayLoadNotifyHook(unsigned dliNotify, PDelayLoadInfo pdli);

// The delay-load helper's failure hook (installed by the program's entry file). A DLL that
// cannot be loaded is answered with the program's own module, which exports none of the
// functions, so that each of its functions then comes to the hook by name.
FARPROC WINAPI DelayLoadFailureHook(unsigned dliNotify, PDelayLoadInfo pdli);

// The stand-in for a function loaded at first use, by name; NULL for a name the program
// does not load that way.
FARPROC DelayLoadStandIn(const char* pszName);

#endif
