// Where "-install" puts its shortcuts: the Startup or Programs folders of every user profile
// (and of the default profile), or of the current user on a system without profiles, all
// taken from the registry. Shared by the installer and by the package's custom action that
// removes what the installer wrote; it needs no window, no COM and no program resources.
#ifndef AURELON_APP_SHORTCUTFOLDERS_H
#define AURELON_APP_SHORTCUTFOLDERS_H

#include <windows.h>
#include <string>
#include <vector>

// One set of shortcuts: the profiles' reconciliation key and the current user's shell-folder
// value that name its folders.
struct ShortcutSet
{
    const char* pszReconciliationKey;
    const char* pszShellFolder;
};
extern const ShortcutSet kStartupShortcuts;
extern const ShortcutSet kProgramShortcuts;

// The shortcut files of a set, in the order the installer writes them: each folder followed
// by strTail. *pbProfiles tells whether the profiles or the current user were chosen.
std::vector<std::string> ShortcutPaths(const ShortcutSet& set, const std::string& strTail, BOOL* pbProfiles);

// Path composition, free of registry and shell:
// "\" [group "\"] description ".lnk", appended to a folder.
std::string MakeShortcutTail(LPCSTR lpszGroup, LPCSTR lpszDescription);
// The default profile's folder: DefaultDir with everything before its first backslash
// replaced by the Windows directory; empty when DefaultDir has no backslash.
std::string MakeDefaultProfileFolder(const std::string& strDefaultDir,
                                     const std::string& strWindowsDir);
// A profile's shortcut: profile directory, backslash, LocalFile, tail.
std::string MakeProfileShortcutPath(const std::string& strProfileDir,
                                    const std::string& strLocalFile, const std::string& strTail);

#endif
