#!/usr/bin/env bash
# Installs what is missing, builds Zorvane and runs the whole test suite and the hardware
# lab (scripts/lab.sh), then builds it a second time under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the suite again, and last runs every fuzz target
# briefly (scripts/fuzz.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$here/scripts/install-deps.sh" --tests

# The number-format tests read the separators of a few real locales; make them where this
# user may (root in CI). Without them those checks skip and say so.
if [ "$(id -u)" -eq 0 ]; then
  for name in de_DE fr_FR de_CH en_US; do
    if ! locale -a 2>/dev/null | grep -qix "$name.utf-\?8"; then
      localedef -i "$name" -f UTF-8 "$name.UTF-8" || echo "could not make the locale $name.UTF-8"
    fi
  done
fi

echo "== Build"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=Release -DZV_WERROR=ON -DZV_BUILD_TESTS=ON
echo "== Tests"
(cd "$here/build" && ctest --output-on-failure -j"$jobs")

echo "== Hardware lab"
# zorvane-cli against the kernel's drivers on emulated SATA, ATAPI, SCSI, NVMe and USB
# devices (QEMU). It skips, saying why, only where it cannot run (not root, no QEMU).
"$here/scripts/lab.sh" "$here/build"

echo "== Package (build, lintian, install, try, validate, remove)"
"$here/scripts/package.sh" "$here/build"
"$here/scripts/check-package.sh" "$here"/build/zorvane_*.deb

echo "== Build (AddressSanitizer, UndefinedBehaviorSanitizer)"
# Line tables only (-g1): enough for the sanitizers' stack traces, and a faster build.
"$here/scripts/build.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DZV_WERROR=ON -DZV_SANITIZE=ON
echo "== Tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$here/tests/sanitizers/lsan.supp:print_suppressions=0"
(cd "$here/build-asan" && ctest --output-on-failure -j"$jobs")

# About ten seconds a fuzz target; a finding fails the run and keeps its reproducer.
"$here/scripts/fuzz.sh" 10
