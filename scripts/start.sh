#!/usr/bin/env bash
# Installs what is missing, builds Tarvelo and starts it. Only what the window
# needs to run is built (the two programs, their catalogues and the help page,
# which configuring puts in place); scripts/test.sh builds the tests.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
cmake --build build -j"$(nproc)" --target tarvelo tarvelo-transcode release_translations
exec ./build/tarvelo
