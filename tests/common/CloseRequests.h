// The ways other programs ask a running program to close: a close message to one of its
// windows, the Restart Manager's session-end pair, and taskkill without /F. Each is made
// from outside, as those programs make it.
#ifndef AURELON_TESTS_COMMON_CLOSEREQUESTS_H
#define AURELON_TESTS_COMMON_CLOSEREQUESTS_H

#include "AurelonProgram.h"

enum CloseRequest
{
    CLOSE_MAIN_WINDOW,      // WM_CLOSE posted to the hidden main window
    CLOSE_TRAY_RECEIVER,    // WM_CLOSE posted to the tray icon's receiver window
    CLOSE_PANEL,            // WM_CLOSE posted to the panel
    CLOSE_SESSION_CLOSEAPP, // WM_QUERYENDSESSION, then WM_ENDSESSION, ENDSESSION_CLOSEAPP,
                            // sent to every top-level window (the Restart Manager's way)
    CLOSE_TASKKILL,         // Wine's taskkill /im Aurelon3D.exe (no /F)
    CLOSE_REQUEST_COUNT
};

const char* CloseRequestName(CloseRequest request);
// Makes the request; true when it was delivered (and every window agreed to end the session).
bool RequestClose(CAurelonProgram& program, CloseRequest request);

// Whether the shell holds icon nID of a receiver window: modifying it succeeds only then.
bool TrayIconPresent(HWND hReceiver, UINT nID = 1);

#endif
