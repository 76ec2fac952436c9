#!/usr/bin/env bash
# Installs what the builds and tests need on a Debian 12 machine (run as root). Does not add the
# i386 architecture: the 32-bit Linux build uses g++-multilib and runs under qemu-i386.
set -euo pipefail
packages=(cmake ninja-build g++ g++-multilib g++-mingw-w64-i686 qemu-user googletest
          libbenchmark-dev python3 python3-pefile libassimp-dev clang-14 libclang-rt-14-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
