#!/usr/bin/env bash
# Installs what is missing, builds Zorvane and starts it. Arguments go to the program
# (for example /norefresh). Without a display it says so and points at zorvane-cli.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
exec "$here/build/src/zorvane" "$@"
