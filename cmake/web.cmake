# The web build (Qt for WebAssembly, preset web): every program runs in a
# browser page, in the browser's own event loop.

# The programs that wait in a nested event loop (the program itself, whose
# message box is modal, and the window tests, whose waits spin the loop) are
# linked with asyncify, which lets the WebAssembly code pause inside the loop
# and resume when the browser hands it the next event. Asyncify makes code
# larger and links slowly, so the others go without it, and the functions
# that can never be on the stack while the loop waits (drawing, fonts,
# images, text shaping, locale data and the locator arithmetic) are left as
# they are (web/asyncify-remove.txt). The program is optimised for size,
# since every visitor downloads it (-Oz: 1.5% less than -Os, 0.4% once
# compressed); a test only for a quick link (OPTIMISE -O1), which takes a
# quarter of the time.
#
# A pause saves the locals of every function on the stack; a message box
# opened from a click deep in a test (mouse event, button, handler, dialog,
# event loop) saves more than asyncify's default 4 KiB, and a pause that
# overflows its space ends the program ("unreachable").
set(TERVALO_WEB_PAUSED_STACK_BYTES 65536)
# The most memory the program may take. Without a maximum, a WebAssembly
# memory that may grow reserves 4 GiB of address space, which Safari on
# iPhones and iPads refuses ("RangeError: Out of memory" at start). The
# program never grows past the 50 MiB it starts with, measured in Chromium
# on a phone's screen (three device pixels to a page pixel) after a paste
# of the longest text a box takes, the message box and a session of
# typing (make web-check prints it); 128 MiB leaves it well over twice that.
set(TERVALO_WEB_MAXIMUM_MEMORY 128MB)

function(tervalo_web_nested_event_loops target)
    cmake_parse_arguments(ARG "" "OPTIMISE" "" ${ARGN})
    if(NOT ARG_OPTIMISE)
        set(ARG_OPTIMISE -Oz)
    endif()
    target_link_options(${target} PRIVATE
        "SHELL:-s ASYNCIFY"
        "SHELL:-s ASYNCIFY_REMOVE=@${PROJECT_SOURCE_DIR}/web/asyncify-remove.txt"
        "SHELL:-s ASYNCIFY_STACK_SIZE=${TERVALO_WEB_PAUSED_STACK_BYTES}"
        ${ARG_OPTIMISE})
endfunction()

# A test or a tool ends when main() returns and hands its exit status to the
# page that runs it (scripts/browser-run.py); the environment that CTest gives
# a test (its platform, its scale) reaches it through the page.
function(tervalo_web_batch_program target)
    target_link_options(${target} PRIVATE "SHELL:-s EXIT_RUNTIME=1")
    set_target_properties(${target} PROPERTIES QT_WASM_EXTRA_EXPORTED_METHODS ENV)
endfunction()
