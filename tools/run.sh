#!/usr/bin/env bash
# Installs what is missing, builds Zarvo! and starts it (build/zarvo). A second start while one
# copy runs returns at once.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/build.sh
exec build/zarvo "$@"
