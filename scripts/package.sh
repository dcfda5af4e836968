#!/usr/bin/env bash
# Builds the Debian package dorvana_<version>_<arch>.deb in the repository's
# folder (Release build in build-package/, only the program's own targets),
# then checks it with lintian when lintian is there.
#   bash scripts/package.sh
#   apt-get install ./dorvana_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
# Debian's hardening flags (stack protector, fortified functions, full RELRO).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $CPPFLAGS" \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $CPPFLAGS" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j "$(nproc)" --target dorvana dorvana-newdb dorvana_compressed_docs
(cd build-package && cpack -G DEB -B "$PWD/packages" >/dev/null)
deb=$(ls build-package/packages/dorvana_*.deb)
cp "$deb" .
echo "Package: $(basename "$deb")"
if command -v lintian >/dev/null 2>&1; then
  lintian --info "$(basename "$deb")" || true
fi
