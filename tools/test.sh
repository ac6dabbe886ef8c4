#!/bin/bash
# Sets up and builds everything (the Windows executables too), runs the unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer and as a 32-bit program, then every test, the end-to-end ones under Xvfb
# (and the Windows build under Wine, the page in headless Chromium) included; the page's unit tests
# run as WebAssembly under node.
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages $BUILD_PACKAGES $TEST_PACKAGES $WINDOWS_PACKAGES $PAGE_PACKAGES $PAGE_TEST_PACKAGES

runs_32_bit_programs() {
    local probe
    probe=$(mktemp -d)
    echo 'int main() { return 0; }' >"$probe/probe.c"
    gcc -m32 "$probe/probe.c" -o "$probe/probe" && "$probe/probe" 2>/dev/null
    local status=$?
    rm -rf "$probe"
    return $status
}

echo "== Sanitized build: unit tests"
configure_and_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON -DTAVREL_WARNINGS_AS_ERRORS=ON -DTAVREL_BUILD_BENCHMARKS=OFF
ctest --test-dir "$PROJECT_DIR/build-sanitize" --output-on-failure -LE e2e -j "$(nproc)"

echo "== 32-bit core with the i686 executable's code (x87, no SSE): unit tests"
# A kernel built without 32-bit support cannot start the tests itself; QEMU's user mode runs
# them then, with an exact x87.
i386_runner=()
if ! runs_32_bit_programs; then
    echo "This kernel does not run 32-bit programs: the 32-bit tests run under qemu-i386"
    install_packages qemu-user
    i386_runner=(-DCMAKE_CROSSCOMPILING_EMULATOR=qemu-i386)
fi
configure_and_build build-i686-core -DCMAKE_TOOLCHAIN_FILE="$PROJECT_DIR/cmake/linux-i686.cmake" -DTAVREL_CORE_ONLY=ON -DTAVREL_WARNINGS_AS_ERRORS=ON "${i386_runner[@]}"
ctest --test-dir "$PROJECT_DIR/build-i686-core" --output-on-failure -j "$(nproc)"

echo "== Windows builds (MinGW-w64): i686 and x86_64"
for arch in i686 x86_64; do
    configure_and_build "build-windows-$arch" -DCMAKE_TOOLCHAIN_FILE="$PROJECT_DIR/cmake/mingw-$arch.cmake" -DTAVREL_WARNINGS_AS_ERRORS=ON
done

echo "== The page (WebAssembly): unit tests under node"
build_page build-web -DTAVREL_WARNINGS_AS_ERRORS=ON -DTAVREL_BUILD_TESTS=ON
ctest --test-dir "$PROJECT_DIR/build-web" --output-on-failure -j "$(nproc)"

echo "== Release build: every test"
configure_and_build build -DTAVREL_WARNINGS_AS_ERRORS=ON -DTAVREL_BUILD_TESTS=ON -DTAVREL_BUILD_BENCHMARKS=ON \
    -DTAVREL_WINDOWS_I686_BUILD="$PROJECT_DIR/build-windows-i686" -DTAVREL_WINDOWS_X86_64_BUILD="$PROJECT_DIR/build-windows-x86_64" \
    -DTAVREL_WEB_BUILD="$PROJECT_DIR/build-web"
ctest --test-dir "$PROJECT_DIR/build" --output-on-failure -LE e2e
# The end-to-end tests drive real X servers, a window manager and Wine on a shared machine; one
# that fails is run once more, and its failed run stays in the log above the second.
ctest --test-dir "$PROJECT_DIR/build" --output-on-failure -L e2e --repeat until-pass:2
