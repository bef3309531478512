# A build with the tests: GoogleTest needs std::mutex, which GCC 12 offers only in the
# posix thread model, so the tests and the test tools are built by the posix-model
# compilers. The programs that the tests run are still built by the shipping toolchain
# named here, in a nested build (see the top CMakeLists.txt).
include(${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(AURELON_SHIPPING_TOOLCHAIN ${CMAKE_CURRENT_LIST_DIR}/mingw-x86_64.cmake)
