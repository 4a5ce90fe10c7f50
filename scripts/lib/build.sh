# The build of the 64-bit Windows binaries. Sourced by scripts/common.sh.

# build [TARGET...]: the default target "all" is the product, the testbed and the package;
# "test_programs" adds what only the tests and benchmarks use.
build() {
    if [ ! -f "$BUILD/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo
    fi
    cmake --build "$BUILD" --target "${@:-all}"
}
