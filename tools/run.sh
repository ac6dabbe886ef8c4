#!/bin/bash
# Sets up, builds and starts tavrel. Any key ends it.
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages $BUILD_PACKAGES
configure_and_build build -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF
exec "$PROJECT_DIR/build/tavrel"
