#!/usr/bin/env bash
# Installs what is missing, builds Tarvelo twice (plain, and with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs every test on both.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DTARVELO_SANITIZE=ON -DBUILD_TESTING=ON
cmake --build build-sanitize -j"$(nproc)"
ctest --test-dir build-sanitize --output-on-failure
