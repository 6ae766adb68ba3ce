#!/usr/bin/env bash
# Builds the Debian package build-package/quarn_<version>_amd64.deb: a Release build of the two
# programs (no tests), installed under /usr by CPack, with dependencies found by dpkg-shlibdeps.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${QUARN_PACKAGE_DIR:-build-package}
# Hardened as Debian builds its packages: fortified calls, stack protector, read-only relocations.
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DQUARN_BUILD_TESTS=OFF \
  -DCMAKE_CXX_FLAGS="-D_FORTIFY_SOURCE=2 -fstack-protector-strong" \
  -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" >/dev/null
cmake --build "$dir" -j"$(nproc)" --target quarn quarn-cli
(cd "$dir" && cpack -G DEB >/dev/null)
ls "$dir"/quarn_*_*.deb
