// Shortcut files read back through the shell, as Explorer would read them.
#ifndef AURELON_TESTS_COMMON_SHELLLINK_H
#define AURELON_TESTS_COMMON_SHELLLINK_H

#include <string>

// Target path and description of a shortcut file; false when it cannot be loaded.
// COM must be initialised on the calling thread.
bool ReadLink(const std::string& path, std::string& target, std::string& description);

#endif
