#!/usr/bin/env bash
# Builds dist/ (the DLL and what ships beside it) and runs the demo on Linux.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86
cmake --preset linux-x64 >/dev/null
cmake --build --preset linux-x64
mkdir -p dist
cp build/windows-x86/Xamovel.dll dist/
build/linux-x64/tools/xamo_demo build/linux-x64/libxamovel.so
echo "dist/Xamovel.dll is ready to copy into the host's plug-in folder."
