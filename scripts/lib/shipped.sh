# The programs as they ship, in build/ship/ARCH: the shipping toolchain
# (cmake/mingw-ARCH.cmake), MinSizeRel, warnings as errors, with the package, the simulated
# chip, the tools and the benchmark's floor programs beside them. scripts/package packs
# them, bench/run measures them, scripts/run and scripts/screenshots run them and
# scripts/test checks the 32-bit one, so what is measured and run is what is packaged.
# Needs $top.

shipped_dir() {
  echo "$top/build/ship/$1"
}

# build_shipped ARCH [TARGET...]: configures and builds (all targets when none is named).
build_shipped() {
  local arch=$1 build
  shift
  build=$(shipped_dir "$arch")
  cmake -S "$top" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel -DAURELON_WERROR=ON -DAURELON_BENCH=ON >/dev/null
  cmake --build "$build" -j "$(nproc)" ${1:+--target "$@"}
}
