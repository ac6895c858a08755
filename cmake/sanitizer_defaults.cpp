// The sanitizers' options of a TERVALO_SANITIZE build, built into each of its
// programs, so that ctest, an IDE and a program started by hand all run them
// alike: every report is fatal and prints its stack, leaks are checked when
// the program exits, and scripts/lsan.supp hides the leaks that system
// libraries make (it says why for each). Options in the environment still
// come after these.

extern "C" {

const char *__asan_default_options()
{
    return "detect_leaks=1:halt_on_error=1:abort_on_error=0:detect_stack_use_after_return=1"
           ":check_initialization_order=1:strict_init_order=1:print_summary=1";
}

const char *__ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

const char *__lsan_default_options()
{
    return "suppressions=" TERVALO_LSAN_SUPPRESSIONS ":print_suppressions=1:fast_unwind_on_malloc=0";
}
}
