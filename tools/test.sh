#!/bin/bash
# Sets up and builds everything, runs the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, then every test, the end-to-end ones under Xvfb included.
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages $BUILD_PACKAGES $TEST_PACKAGES

echo "== Sanitized build: unit tests"
configure_and_build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON -DTAVREL_WARNINGS_AS_ERRORS=ON -DTAVREL_BUILD_BENCHMARKS=OFF
ctest --test-dir "$PROJECT_DIR/build-sanitize" --output-on-failure -LE e2e -j "$(nproc)"

echo "== Release build: every test"
configure_and_build build -DTAVREL_WARNINGS_AS_ERRORS=ON -DTAVREL_BUILD_TESTS=ON -DTAVREL_BUILD_BENCHMARKS=ON
ctest --test-dir "$PROJECT_DIR/build" --output-on-failure
