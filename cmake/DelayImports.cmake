# Delay-loaded system DLLs: each is loaded at the program's first call into it, so a
# start that ends at once loads none of them, and a resident run never loads ole32 and
# version unless "-install" or the About box needs them. The calls stay plain calls.
#
# aurelon_delay_imports(TARGET dll...) makes the INTERFACE library TARGET, which links
# delay-import libraries built from cmake/delayimp/<dll>.def (the functions the program
# calls, with their i686 argument sizes). List the ordinary import libraries after it:
# a function missing from a .def file is then imported at start as before.
# aurelon_check_import_slots(TARGET...) fails the build of a program whose file leaves an
# import slot 0 (scripts/check-import-slots).
function(aurelon_delay_imports target)
  add_library(${target} INTERFACE)
  if(MSVC)
    foreach(dll IN LISTS ARGN)
      target_link_options(${target} INTERFACE /DELAYLOAD:${dll}.dll)
    endforeach()
    target_link_libraries(${target} INTERFACE delayimp)
    return()
  endif()
  set(libraries)
  foreach(dll IN LISTS ARGN)
    set(source ${CMAKE_SOURCE_DIR}/cmake/delayimp/${dll}.def)
    set(def ${CMAKE_BINARY_DIR}/delayimp/${dll}.def)
    set(library ${CMAKE_BINARY_DIR}/delayimp/lib${dll}_delay.a)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${source})
    file(READ ${source} exports)
    set(decoration --kill-at)
    if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
      # x86_64 has one calling convention and no decorated names.
      string(REGEX REPLACE "@[0-9]+" "" exports "${exports}")
      set(decoration)
    endif()
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      # Code calls through the header's import pointer and never names the stub that fills
      # it; unless named, the 32-bit link drops the stub and leaves the pointer 0.
      string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*@[0-9]+" functions "${exports}")
      foreach(function IN LISTS functions)
        target_link_options(${target} INTERFACE LINKER:-u,_${function})
      endforeach()
    endif()
    file(WRITE ${def}.new "${exports}")
    file(COPY_FILE ${def}.new ${def} ONLY_IF_DIFFERENT)
    add_custom_command(OUTPUT ${library}
      COMMAND ${CMAKE_DLLTOOL} --input-def ${def} --dllname ${dll}.dll ${decoration}
              --output-delaylib ${library}
      DEPENDS ${def}
      COMMENT "Delay-import library for ${dll}.dll")
    list(APPEND libraries ${library})
  endforeach()
  add_custom_target(${target}_libraries DEPENDS ${libraries})
  add_dependencies(${target} ${target}_libraries)
  target_link_libraries(${target} INTERFACE ${libraries} delayimp)
endfunction()

function(aurelon_check_import_slots)
  if(MSVC)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-import-slots $<TARGET_FILE:${target}>
      VERBATIM)
  endforeach()
endfunction()
