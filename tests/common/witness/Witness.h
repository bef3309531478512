// What witness.dll and the tests that load it (CWindowWitness) agree on.
#ifndef AURELON_TESTS_COMMON_WITNESS_WITNESS_H
#define AURELON_TESTS_COMMON_WITNESS_WITNESS_H

#define WITNESS_DLL "witness.dll"
#define WITNESS_PROC "WitnessCbtProc"
#define WITNESS_MAIN_CLASS "Aurelon3DAudioControl"
#define WITNESS_RECEIVER_CLASS "TaskBarButtonWindowClass"
// The program's only icon has the first id its icons get.
#define WITNESS_ICON_ID 1
// DWORD values below this HKEY_CURRENT_USER key:
#define WITNESS_KEY "Software\\AurelonTests"
// 1 the shell still held the icon when its receiver window began to be destroyed, 0 not.
#define WITNESS_ICON_AT_RECEIVER_END "IconAtReceiverEnd"
// How many windows of the program's main class were created.
#define WITNESS_MAIN_WINDOWS "MainWindowsCreated"
// How many owned dialogs captioned as the already-running notice were created.
#define WITNESS_NOTICES "NoticesCreated"
#define WITNESS_NOTICE_CAPTION "Aurelon 3D Audio Control"

#endif
