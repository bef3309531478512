# The programs as they ship, for a build whose own compilers are not the shipping ones:
# a nested build of the same sources with the shipping toolchain and configuration
# (MinSizeRel, as scripts/package and the benchmark build them), from which the target
# aurelon copies Aurelon3D.exe beside the tests. AURELON_PACKAGE_FILE,
# AURELON_UPGRADE_PACKAGE_FILE and AURELON_FAILING_PACKAGE_FILE name that build's packages.
include(ExternalProject)
set(shipped_dir ${CMAKE_BINARY_DIR}/shipped)
ExternalProject_Add(shipped
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${shipped_dir}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${AURELON_SHIPPING_TOOLCHAIN} -DCMAKE_BUILD_TYPE=MinSizeRel
             -DAURELON_WERROR=${AURELON_WERROR} -DAURELON_TOOLS=OFF
             -DAURELON_PACKAGE=${AURELON_PACKAGE} -DAURELON_UPGRADE_PACKAGE=${AURELON_PACKAGE}
  # Its own dependency checks decide what to rebuild.
  BUILD_ALWAYS ON
  INSTALL_COMMAND "")
add_custom_target(aurelon ALL
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${shipped_dir}/bin/Aurelon3D.exe
          ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Aurelon3D.exe)
add_dependencies(aurelon shipped)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(package_name Aurelon3D-x64.msi)
else()
  set(package_name Aurelon3D-x86.msi)
endif()
set(AURELON_PACKAGE_FILE ${shipped_dir}/package/${package_name})
set(AURELON_UPGRADE_PACKAGE_FILE ${shipped_dir}/package/upgrade/${package_name})
set(AURELON_FAILING_PACKAGE_FILE ${shipped_dir}/package/failing/${package_name})
