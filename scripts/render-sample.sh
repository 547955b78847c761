#!/usr/bin/env bash
# Installs what the build needs, builds the module and velmora-host, and
# renders the bundled sample: sample-effect.png (the effect layer) and
# sample-composite.png (the effect over the picture).
set -euo pipefail
cd "$(dirname "$0")/.."

if command -v apt-get >/dev/null 2>&1; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    cmake ninja-build g++ make googletest libgtest-dev libgmock-dev libstb-dev libcli11-dev \
    pkg-config libcpp-httplib-dev nlohmann-json3-dev
fi

cmake --preset native
cmake --build --preset native -j2 --target velmora-host

# Speed lines trailing the leaping figure of the sample.
build/native/bin/velmora-host render -o sample-effect.png --composite sample-composite.png \
  --set type=parallel --set p1=0,20 --set p2=800,20 --set p3=0,600 \
  --set spacing=9 --set size=3 --set length=160 --set position=-80
echo "See sample-composite.png (and the effect layer alone in sample-effect.png)."
