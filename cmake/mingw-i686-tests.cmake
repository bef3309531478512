# The 32-bit build with the tests, as cmake/mingw-x86_64-tests.cmake is the 64-bit one: the
# tests by the posix-model compilers, the programs they run by the shipping toolchain.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(AURELON_SHIPPING_TOOLCHAIN ${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
