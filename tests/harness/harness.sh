# The one shell library of the script tests: the end-to-end and soak scenarios, the package
# tests, the benchmarks and the screenshots source this file and nothing else of the kind.
# Sourced, not run.
#
#   x11.sh      a private X server; finding windows and clicking in them as a player does
#   sound.sh    a private sound server with a null sink to record
#   program.sh  a private copy of the program, launched from /, waited for, played by clicks
#   places.sh   where the controls are, by name, from the build's places.tsv
#   package.sh  what the package tests of every architecture judge alike
#   session.sh  one scenario's whole session (X, sound, program, recording, looking and
#               listening), with teardown and kept artifacts on failure
# tests/harness/fresh-debian.sh, a script of its own, runs a command in a fresh minimal
# Debian.
HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$HARNESS_DIR/x11.sh"
source "$HARNESS_DIR/sound.sh"
source "$HARNESS_DIR/program.sh"
source "$HARNESS_DIR/session.sh"
source "$HARNESS_DIR/places.sh"
source "$HARNESS_DIR/package.sh"
# Found once here when the build is where the tests expect it, rather than in every
# $(...) that needs them.
poko_find_tools 2>/dev/null || true
poko_find_places 2>/dev/null || true
