# The one shell library of the script tests: the end-to-end and soak scenarios, the package
# tests, the benchmarks and the screenshots source this file and nothing else of the kind.
# Every name it defines begins with poko_ or POKO_. Sourced, not run.
#
#   x11.sh      a private X server; finding windows, clicking and pressing keys in them
#   sound.sh    a private sound server with a null sink to record
#   program.sh  a private copy of the program, launched from /, waited for, led between
#               its screens
#   places.sh   where the controls are, by name, from the build's places.tsv
#   session.sh  one scenario's session (X, sound, program, recording), with teardown and
#               kept artifacts on failure
#   board.sh    looks at the screens and clicks in play: colours, panel, sliders, moles
#   hearing.sh  judgements of the recording: which sounds were heard, when, how loud
#   checks.sh   a tally of named checks, for the package tests
#   package.sh  what the package tests of every architecture judge alike
# tests/harness/fresh-debian.sh, a script of its own, runs a command in a fresh minimal
# Debian.
POKO_HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for poko_part in x11 sound program session places board hearing checks package; do
    source "$POKO_HARNESS_DIR/$poko_part.sh"
done
unset poko_part
# Found once here when the build is where the tests expect it, rather than in every
# $(...) that needs them.
poko_find_tools 2>/dev/null || true
poko_find_places 2>/dev/null || true
