#!/bin/bash
# Sets up, builds and makes the Debian package build/tavrel_<version>_<arch>.deb.
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
install_packages $BUILD_PACKAGES $PACKAGE_PACKAGES
configure_and_build build -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF
(cd "$PROJECT_DIR/build" && cpack -G DEB)
