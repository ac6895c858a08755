#!/bin/sh
# Starts the sanitized program in a virtual X server, presses "Esci" once its
# window shows and checks that the program then ends by itself with exit
# status 0 (scripts/close-with-esci.py does the opening, pressing and
# waiting). The program returns from its event loop and runs every
# destructor, so AddressSanitizer's leak check at exit sees the whole
# program; a leak, a memory error or undefined behaviour gives a non-zero
# status and fails this check.
#
#   scripts/sanitize-window.sh BUILD_FOLDER
#
# Needs Xvfb, xauth and the accessibility tools (scripts/install-deps.sh
# screen); the sanitizer options come from the environment (see the
# Makefile).
set -eu
# shellcheck source=lib/common.sh
. "$(dirname "$0")/lib/common.sh"

program="$1/window/tervalo"
[ -x "$program" ] || usage "BUILD_FOLDER, which holds no program at $program"

xvfb-run -a -s "-screen 0 1024x768x24" "$top/scripts/close-with-esci.py" "$program"
step "window opened, closed by \"Esci\", no leak or error reported"
