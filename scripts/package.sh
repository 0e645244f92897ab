#!/usr/bin/env bash
# Builds the Debian package of the Site Builder: build-deb/sitebuilder_*.deb.
# It has a build folder of its own, so that nothing a run of the program left
# in build/app goes into the package, and Debian's usual compiler flags.
# Checks the package with lintian when lintian is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-deb -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DSB_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-deb -j2 --target sitebuilder package_documents
rm -f build-deb/sitebuilder_*.deb
(cd build-deb && cpack -G DEB >/dev/null)

deb=$(ls build-deb/sitebuilder_*.deb)
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "Package: $deb"
