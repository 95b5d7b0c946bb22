#!/usr/bin/env bash
# Builds the Debian package: a Release build of the two programs into build-package/, then
# build-package/kestro_<version>_amd64.deb from the same CMake install rules.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/deps.sh"
cmake -S "$root" -B "$root/build-package" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRO_TESTS=OFF
cmake --build "$root/build-package" --parallel "$(nproc)"
cd "$root/build-package"
cpack -G DEB
ls "$root"/build-package/kestro_*_amd64.deb
