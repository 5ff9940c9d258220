#!/usr/bin/env bash
# Sets up, builds the Debian package build-package/tolvane_<version>_<arch>.deb (the version is
# project()'s in CMakeLists.txt) and prints its path. Install it with: sudo apt-get install ./build-package/tolvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
TOLVANE_SETUP_PACKAGE=1 bash tools/setup.sh
# Built with the hardening Debian builds its own packages with.
# Warnings never stop an install: a newer compiler's new warning must not
# break the package.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF \
      -DTOLVANE_BENCH=OFF -DTOLVANE_WERROR=OFF \
      -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong -fstack-clash-protection" \
      -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
cmake --build build-package -j2
(cd build-package && cpack -G DEB >/dev/null)
ls -1 "$PWD"/build-package/tolvane_*.deb
