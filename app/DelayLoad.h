// What a call into a DLL that the program loads at first use does on a Windows that lacks
// the DLL or the function: it fails the way the function itself reports failure, and the
// program goes on as it does after such a failure (no tray icon, no About box texts, no
// shortcuts), instead of ending with the delay-load helper's exception.
#ifndef AURELON_APP_DELAYLOAD_H
#define AURELON_APP_DELAYLOAD_H

#include <windows.h>
#include <delayimp.h>

// The delay-load helper's failure hook (installed by the program's entry file). A DLL that
// cannot be loaded is answered with the program's own module, which exports none of the
// functions, so that each of its functions then comes to the hook by name.
FARPROC WINAPI DelayLoadFailureHook(unsigned dliNotify, PDelayLoadInfo pdli);

// The stand-in for a function loaded at first use, by name; NULL for a name the program
// does not load that way.
FARPROC DelayLoadStandIn(const char* pszName);

#endif
