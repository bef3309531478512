# The 32-bit programs as they ship run on the Pentium class of processors, while Debian's
# i686 MinGW-w64 runtime comes compiled for the Pentium Pro. What of it every program links
# (the start-up objects and libmingw32) is built for the Pentium from Debian's own source
# (scripts/build-pentium-runtime), once per build tree, and gcc takes it before its own.
# The C++ library's parts that the programs would link are built with them instead
# (framework/Runtime.cpp, framework/FlatMap.h).
#
# aurelon_check_instructions(TARGET...) fails the build of a shipped 32-bit file that holds
# an instruction newer than the Pentium's, with one line per function
# (scripts/check-instructions, which names functions from the link's map).
set(AURELON_PENTIUM_BUILD OFF)
if(NOT MSVC AND CMAKE_SIZEOF_VOID_P EQUAL 4 AND NOT AURELON_SHIPPING_TOOLCHAIN)
  set(AURELON_PENTIUM_BUILD ON)
  set(runtime_dir ${CMAKE_BINARY_DIR}/pentium-runtime)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env AURELON_PENTIUM_CC=${CMAKE_C_COMPILER}
            ${CMAKE_SOURCE_DIR}/scripts/build-pentium-runtime ${runtime_dir}
    RESULT_VARIABLE runtime_result)
  if(NOT runtime_result EQUAL 0)
    message(FATAL_ERROR "The Pentium runtime could not be built (scripts/build-pentium-runtime).")
  endif()
  add_link_options(-B${runtime_dir}/)
  file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/maps)
endif()

function(aurelon_check_instructions)
  if(NOT AURELON_PENTIUM_BUILD)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    set(map ${CMAKE_BINARY_DIR}/maps/${target}.map)
    target_link_options(${target} PRIVATE LINKER:-Map=${map})
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-instructions $<TARGET_FILE:${target}>=${map}
      VERBATIM)
  endforeach()
endfunction()
