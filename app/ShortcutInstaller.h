// The shortcut installer of "-install": shell links to the program in the Startup and
// program-group folders of every user profile, or of the current user on a system
// without profiles. Folders come from the registry and are never created. OLE must be
// initialised on the calling thread.
#ifndef AURELON_APP_SHORTCUTINSTALLER_H
#define AURELON_APP_SHORTCUTINSTALLER_H

#include "app/ShortcutFolders.h"

// Makes the Startup set. Always TRUE.
BOOL CreateStartupShortcuts(LPCSTR lpszTarget, LPCSTR lpszDescription);
// Makes the program-group set below the Programs folders (lpszGroup may be NULL). TRUE
// only when, on a system without profiles, the current user's shortcut was saved.
BOOL CreateProgramGroupShortcuts(LPCSTR lpszTarget, LPCSTR lpszGroup, LPCSTR lpszDescription);
// Writes one shortcut file; the result of the save or of the first failing COM call. A
// link path that the platform cannot take whole (see ConvertLinkPath) is not saved.
HRESULT CreateShellLink(LPCSTR lpszTarget, LPCSTR lpszLinkPath, LPCSTR lpszDescription);

// TRUE when a Windows Installer package of the program (any version or architecture) is
// installed: it provides both sets itself, in the machine's folders.
BOOL IsPackageInstalled();

// Converts a link path from the ANSI code page to UTF-16. FALSE when it does not fit in
// MAX_PATH characters or holds bytes that the code page does not define, and then leaves
// szWide as it was.
BOOL ConvertLinkPath(const std::string& strPath, WCHAR (&szWide)[MAX_PATH]);

#endif
