#!/usr/bin/env bash
# Builds the Debian package zorvane_VERSION_ARCH.deb in a build folder and checks it with
# lintian where lintian is installed:  scripts/package.sh [BUILD_DIR]   (default: build/)
# A folder that is not configured yet is configured as a Release build without tests.
# Install the package with:  sudo apt install ./build/zorvane_*.deb
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$here/build}")

# CPack's DEB generator finds the programs with file(1) and their libraries with
# dpkg-shlibdeps (dpkg-dev).
for tool in file:file dpkg-shlibdeps:dpkg-dev; do
  if ! command -v "${tool%%:*}" >/dev/null; then
    echo "package.sh: ${tool%%:*} is missing; install the package ${tool#*:} (or run scripts/install-deps.sh --tests)" >&2
    exit 1
  fi
done

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZV_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$build"
rm -f "$build"/zorvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/zorvane_*.deb)

if command -v lintian >/dev/null; then
  # Errors fail the build; warnings are printed.
  status=0
  report=$(lintian --fail-on error "$package" 2>&1) || status=$?
  grep -v 'root privileges is not recommended' <<<"$report" || true
  [ "$status" -eq 0 ] || { echo "package.sh: lintian found errors in $package" >&2; exit 1; }
else
  echo "package.sh: lintian is not installed; the package was not checked"
fi
echo "$package"
