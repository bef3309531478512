# cmake -DDLL=... -DSOURCE=mixer/MixerDriver.cpp -DOBJDUMP=... -P CheckDriverExports.cmake
# Fails when the driver DLL does not export, under its plain name, every function that
# the program's driver loader looks up by name in SOURCE. A 32-bit __stdcall function is
# exported as name@N unless a .def file names it, and the loader would then find no mixer.
file(READ ${SOURCE} source)
string(REGEX MATCHALL "ResolveExport\\(hModule, \"[A-Za-z]+\"" lookups "${source}")
if(NOT lookups)
  message(FATAL_ERROR "${SOURCE}: no ResolveExport(hModule, \"name\", ...) found")
endif()
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE table RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed")
endif()
set(missing)
foreach(lookup IN LISTS lookups)
  string(REGEX REPLACE ".*\"([A-Za-z]+)\"" "\\1" name "${lookup}")
  if(NOT table MATCHES "\\] ${name}\n")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "${DLL} does not export, undecorated: ${missing}")
endif()
