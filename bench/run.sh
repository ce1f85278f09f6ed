#!/usr/bin/env bash
# Builds the converter for Linux and Windows, generates the benchmark files and prints the
# table: orvane-convert against wc -l and GPSBabel, peak memory, Windows build under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
tools/deps.sh
command -v gpsbabel >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends gpsbabel >/dev/null
tools/build.sh host win >/dev/null
source tools/wine-env.sh
wine_prefix_ready
wine_server_start
trap wine_server_stop EXIT
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(date -u +%F)"
python3 bench/run.py
