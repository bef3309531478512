// The program's version, shared by the version resource (aurelon.rc) and the installer
// package (installer/CMakeLists.txt reads the numbers from here).
//
// Windows Installer compares only the first three numbers of the product version: a
// release that is to replace an installed one raises at least the third.
#pragma once

#define AURELON_FILEVERSION         1,1,0,1
#define AURELON_FILEVERSION_TEXT    "1.01.001"
#define AURELON_PRODUCTVERSION      1,80,0,0
#define AURELON_PRODUCTVERSION_TEXT "1.80"
#define AURELON_COMPANY_TEXT        "Aurelon Semiconductor"
