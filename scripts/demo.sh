#!/usr/bin/env bash
# Builds dist/ (the DLL and what ships beside it) and runs the demo on Linux, writing its outputs to
# dist/demo/.
#
# dist/ after this script:
#   Xamovel.dll                  the plug-in (32-bit Windows)
#   Xamovel.dll.commands         its command table as plain text, one row per line
#   Keywords/Xamovel.ini         the host editor's keyword file
#   Help/addoncommands/Xamovel/  one help page per command, and index.htm
#   examples/                    three short BASIC programs
#   tools/xamo.exe               the file tool, for Windows
#   INSTALL.txt, LICENSE.txt     where each file goes; the MIT licence
#   demo/                        the demo's animation and controller files, sample models, CSV and
#                                picture
#   Xamovel-<version>.zip        the release: everything above that a host user copies (the sample
#                                models go into its examples/), in one folder Xamovel-<version>/
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86
cmake --preset linux-x64 >/dev/null
cmake --build --preset linux-x64
rm -rf dist
mkdir -p dist/tools
cp build/windows-x86/Xamovel.dll dist/
cp build/windows-x86/tools/xamo/xamo.exe dist/tools/
cp -r build/linux-x64/dist/. dist/
build/linux-x64/tools/xamo_demo -o dist/demo build/linux-x64/libxamovel.so
cp dist/demo/biped.x dist/demo/biped_wave.x dist/examples/

release=$(cat build/linux-x64/release-name.txt)
rm -rf "build/$release"
mkdir -p "build/$release"
cp -r dist/Xamovel.dll dist/Xamovel.dll.commands dist/Keywords dist/Help dist/examples dist/tools \
      dist/INSTALL.txt dist/LICENSE.txt "build/$release/"
(cd build && cmake -E tar cf "../dist/$release.zip" --format=zip "$release")
echo
echo "dist/ is ready to copy into the host's installation (see README: Using Xamovel in the host);"
echo "dist/$release.zip holds the same for a release (see its INSTALL.txt)."
echo "The demo's outputs are in dist/demo/: open skeleton.svg in a browser."
