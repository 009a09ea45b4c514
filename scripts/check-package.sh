#!/usr/bin/env bash
# Installs the package built by scripts/package.sh, tries the installed programs and
# validates the installed desktop entry and metainfo, then removes the package again so
# that the machine is left as it was:  scripts/check-package.sh PACKAGE.deb
# Needs root; skipped otherwise, and when a zorvane package is installed already.
set -euo pipefail
package=$(realpath "$1")

if [ "$(id -u)" -ne 0 ]; then
  echo "package check skipped: installing a package needs root"
  exit 0
fi
if dpkg-query -W -f='${Status}' zorvane 2>/dev/null | grep -q 'install ok installed'; then
  echo "package check skipped: a zorvane package is installed already and is left alone"
  exit 0
fi

remove() { dpkg --purge zorvane >/dev/null || echo "could not remove the package zorvane" >&2; }
trap remove EXIT
dpkg -i "$package" >/dev/null

version=$(dpkg-deb -f "$package" Version)
fail() { echo "package check: $*" >&2; exit 1; }

[ "$(/usr/bin/zorvane-cli --version)" = "zorvane-cli $version" ] || fail "zorvane-cli --version does not say $version"
if [ -x /usr/bin/zorvane ]; then
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/zorvane --version)" = "zorvane $version" ] ||
    fail "zorvane --version does not say $version"
fi
# Minimal images tell dpkg to leave out /usr/share/doc and /usr/share/man (path-exclude in
# /etc/dpkg/dpkg.cfg.d); then the example comes from the package itself.
machine=/usr/share/doc/zorvane/examples/full.json
documentation=yes
if [ ! -f "$machine" ]; then
  documentation=no
  echo "note: dpkg left out /usr/share/doc on this machine; the example machine is read from the package"
  unpacked=$(mktemp -d)
  trap 'rm -rf "$unpacked"; remove' EXIT
  dpkg-deb --fsys-tarfile "$package" | tar -x -C "$unpacked" ./usr/share/doc/zorvane/examples/full.json
  machine=$unpacked$machine
fi
rows=$(/usr/bin/zorvane-cli --machine "$machine" list)
head -n1 <<<"$rows" | grep -q "^Drive	Label	Type" || fail "zorvane-cli list printed no header line"
grep -q "^C: 	" <<<"$rows" || fail "zorvane-cli list printed no row for C:"

desktop-file-validate /usr/share/applications/io.github.zorvane.Zorvane.desktop
appstreamcli validate --no-net /usr/share/metainfo/io.github.zorvane.Zorvane.metainfo.xml >/dev/null ||
  fail "appstreamcli refuses the installed metainfo"
if [ $documentation = yes ]; then
  for page in zorvane zorvane-cli; do
    [ -f "/usr/share/man/man1/$page.1.gz" ] || fail "the manual page $page(1) is missing"
  done
fi
[ -f /usr/share/bash-completion/completions/zorvane-cli ] || fail "the bash completion is missing"
echo "package check: $(basename "$package") installs, runs and validates; removed again"
