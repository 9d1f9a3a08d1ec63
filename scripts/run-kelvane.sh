#!/usr/bin/env bash
# Installs what is missing, builds and starts Kelvane. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
dir=$(bash scripts/build.sh | tail -n 1)
if [ -x "$dir/app/kelvane" ]; then
  exec "$dir/app/kelvane" "$@"
fi
echo "Kelvane itself is not built yet: the engine, platform layers and SDK libraries are in $dir."
