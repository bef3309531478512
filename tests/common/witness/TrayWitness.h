// What traywitness.dll and the tests that load it agree on.
#ifndef AURELON_TESTS_COMMON_WITNESS_TRAYWITNESS_H
#define AURELON_TESTS_COMMON_WITNESS_TRAYWITNESS_H

#define TRAYWITNESS_DLL "traywitness.dll"
#define TRAYWITNESS_PROC "TrayWitnessProc"
#define TRAYWITNESS_RECEIVER_CLASS "TaskBarButtonWindowClass"
// The program's only icon has the first id its icons get.
#define TRAYWITNESS_ICON_ID 1
// HKEY_CURRENT_USER key and DWORD value: 1 the shell still held the icon when its receiver
// window began to be destroyed, 0 it did not.
#define TRAYWITNESS_KEY "Software\\AurelonTests"
#define TRAYWITNESS_VALUE "IconAtReceiverEnd"

#endif
