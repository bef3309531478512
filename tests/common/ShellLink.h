// Shortcut files read back through the shell, as Explorer would read them.
#ifndef AURELON_TESTS_COMMON_SHELLLINK_H
#define AURELON_TESTS_COMMON_SHELLLINK_H

#include <windows.h>
#include <string>

// Target path and description of a shortcut file; false when it cannot be loaded.
// fFlags go to IShellLink::GetPath (SLGP_RAWPATH: the target as stored, its environment
// strings unexpanded). COM must be initialised on the calling thread.
bool ReadLink(const std::string& path, std::string& target, std::string& description,
              DWORD fFlags = 0);

#endif
