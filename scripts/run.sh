#!/usr/bin/env bash
# Installs what is missing, builds the Linux program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target quillpost
exec build/linux/src/app/qt/quillpost "$@"
