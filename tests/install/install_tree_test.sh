#!/usr/bin/env bash
# The install tree: `cmake --install` of a build folder into a temporary prefix holds the
# programs, the desktop entry, the icons, the metainfo, the manual pages, the completion
# and the documentation; the validators accept them; the installed programs run; the
# manual pages and the completion know every subcommand and option the programs accept.
#   install_tree_test.sh BUILD_DIR VERSION
# Exit status 77 (a skip) when a validator is not installed.
set -euo pipefail
build=$1
version=$2
for tool in desktop-file-validate appstreamcli file; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh --tests)"; exit 77; }
done

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
prefix=$root/usr
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { [ -f "$prefix/$1" ] || fail "$1 is not installed"; }

app=io.github.zorvane.Zorvane
with_window=no
[ -x "$build/src/zorvane" ] && with_window=yes

# --- the files -------------------------------------------------------------------------
need bin/zorvane-cli
need share/man/man1/zorvane-cli.1.gz
need share/bash-completion/completions/zorvane-cli
for doc in user-guide.html screenshot.png cli.md drive-letters.md linux-stand-ins.md machine-file.md \
           copyright changelog.gz examples/full.json; do
  need "share/doc/zorvane/$doc"
done
if [ $with_window = yes ]; then
  need bin/zorvane
  need share/man/man1/zorvane.1.gz
  need "share/applications/$app.desktop"
  need "share/metainfo/$app.metainfo.xml"
  need "share/icons/hicolor/scalable/apps/$app.svg"
  for size in 16 22 24 32 48 64 128 256; do
    icon=share/icons/hicolor/${size}x${size}/apps/$app.png
    need "$icon"
    file "$prefix/$icon" | grep -q "PNG image data, $size x $size," || fail "$icon is no $size x $size PNG"
  done
fi

# --- validators and the names that tie the files together -------------------------------
if [ $with_window = yes ]; then
  desktop=$prefix/share/applications/$app.desktop
  metainfo=$prefix/share/metainfo/$app.metainfo.xml
  out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
  # The tree check also finds the desktop entry the metainfo launches, and its icon.
  appstreamcli validate-tree --no-net "$root" >/dev/null 2>&1 ||
    fail "appstreamcli: $(appstreamcli validate-tree --no-net "$root" 2>&1)"
  grep -qx "Exec=zorvane" "$desktop" || fail "the desktop entry does not start zorvane"
  grep -qx "Icon=$app" "$desktop" || fail "the desktop entry does not name the icon $app"
  grep -q "<id>$app</id>" "$metainfo" || fail "the metainfo id is not $app"
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app.desktop"
  grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
fi

# --- the installed programs -------------------------------------------------------------
cli=$prefix/bin/zorvane-cli
[ "$("$cli" --version)" = "zorvane-cli $version" ] || fail "zorvane-cli --version does not say $version"
rows=$("$cli" --machine "$prefix/share/doc/zorvane/examples/full.json" list) || fail "zorvane-cli list failed"
head -n1 <<<"$rows" | grep -q "^Drive	Label	Type	" || fail "zorvane-cli list printed no header"
grep -q "^C: 	" <<<"$rows" || fail "zorvane-cli list printed no row for C:"
if [ $with_window = yes ]; then
  # Both answer on the terminal: no display is needed, none is opened.
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/zorvane" --help) ||
    fail "zorvane --help failed"
  grep -q "/norefresh" <<<"$help" || fail "zorvane --help does not mention /norefresh"
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/zorvane" --version)" = "zorvane $version" ] ||
    fail "zorvane --version does not say $version"
fi

# --- the manual page and the completion know what zorvane-cli accepts --------------------
manual=$(gzip -dc "$prefix/share/man/man1/zorvane-cli.1.gz" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
completion=$(cat "$prefix/share/bash-completion/completions/zorvane-cli")
subcommands=$("$cli" --help | awk '/^Subcommands:/ { on = 1; next } on && NF { print $1 } on && !NF { exit }')
[ -n "$subcommands" ] || fail "no subcommands in zorvane-cli --help"
options=$("$cli" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
for subcommand in $subcommands; do
  grep -qw -- "$subcommand" <<<"$manual" || fail "zorvane-cli(1) does not describe $subcommand"
  grep -qw -- "$subcommand" <<<"$completion" || fail "the completion does not offer $subcommand"
  options+=$'\n'$("$cli" "$subcommand" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
done
for option in $(sort -u <<<"$options"); do
  grep -q -- "$option\b" <<<"$manual" || fail "zorvane-cli(1) does not describe $option"
  grep -q -- "$option\b" <<<"$completion" || fail "the completion does not offer $option"
done
grep -q "^\.SH \"EXIT STATUS\"" <<<"$manual" || fail "zorvane-cli(1) has no exit status section"
if command -v man >/dev/null; then
  for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || true
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  done
fi

# --- the completion at work (with bash-completion's helpers) -----------------------------
if [ -f /usr/share/bash-completion/bash_completion ]; then
  complete_words() {
    PATH="$prefix/bin:$PATH" bash -c '
      source /usr/share/bash-completion/bash_completion
      source "$1"; shift
      COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1))
      COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
      _zorvane_cli zorvane-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
      printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/share/bash-completion/completions/zorvane-cli" "$@"
  }
  [ "$(complete_words zorvane-cli li)" = list ] || fail "li does not complete to list"
  [ "$(complete_words zorvane-cli list --exclude local,net)" = "local,network" ] ||
    fail "--exclude does not complete the second kind"
  full=$prefix/share/doc/zorvane/examples/full.json
  letters=$(complete_words zorvane-cli --machine "$full" smart "" | tr '\n' ' ')
  expected=$(awk -F '\t' 'NR > 1 { printf "%s ", substr($1, 1, 2) }' <<<"$("$cli" --machine "$full" list --include-ab)")
  [ "$letters" = "$expected" ] || fail "smart offers '$letters', the machine has '$expected'"
  [ "$(complete_words zorvane-cli chkdsk --d)" = "--dirty-only" ] || fail "--d does not complete to --dirty-only"
else
  echo "note: bash-completion is not installed; the completion was not run"
fi

if [ $failures -ne 0 ]; then
  echo "$failures failures"
  exit 1
fi
echo "install tree: all files present and valid"
