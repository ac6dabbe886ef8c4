#!/bin/bash
# Sets up and builds the page (the program on WebAssembly), then serves it on this machine:
# bash tools/page.sh [PORT]. The site is the folder build-web/page/, to copy to any web host.
. "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
PORT=${1:-8064}
install_packages $PAGE_PACKAGES
build_page build-web -DTAVREL_BUILD_TESTS=OFF -DTAVREL_BUILD_BENCHMARKS=OFF
echo "The page is at http://127.0.0.1:$PORT/ (Ctrl+C stops the server); its files are in $PROJECT_DIR/build-web/page/"
exec python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$PROJECT_DIR/build-web/page"
