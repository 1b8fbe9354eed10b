#!/bin/sh
# Installs every Debian 12 package Quillmoor needs to build, test and run.
# Safe to run again: packages already present are left alone.
set -eu

PACKAGES="
  build-essential cmake pkg-config git ccache
  libsdl2-dev libglew-dev libgl-dev libgl1-mesa-dri
  libpng-dev libjpeg-dev zlib1g-dev
  libtinyxml-dev libvorbis-dev libfreetype-dev
  fonts-dejavu-core
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth libxtst-dev
  libhiredis-dev redis-server
"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  # shellcheck disable=SC2086
  apt-get install -y --no-install-recommends $missing
fi
