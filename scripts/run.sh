#!/usr/bin/env bash
# Installs what building and running need when it is missing, builds Zorvane (without the
# tests) and starts it. Arguments go to the program (for example /norefresh). Without a
# display it says so and points at zorvane-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZV_BUILD_TESTS=OFF
exec "$here/build/src/zorvane" "$@"
