#!/usr/bin/env bash
# Installs what is needed, builds OrvantaBrevo for this Linux machine and runs it on the emulated
# Windows, through its console. Arguments go to the console (e.g. --script docs/examples/FILE).
# With no arguments, at a terminal, the console is interactive: a ready machine (drive D: with a
# sample disc, the program started) on a real-time clock; `help` lists the commands, `quit` ends.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/ci/deps.sh host >&2
cmake --preset host >&2
cmake --build --preset host --target orvantabrevo-sim >&2
exec build/host/tools/sim/orvantabrevo-sim "$@"
