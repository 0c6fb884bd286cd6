// Built-in sanitizer settings of every test program, so they hold however
// the program is started (ctest, by hand, from a debugger).

extern "C" {

const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=1"; }

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

// Allocations that system libraries keep for the life of the process. Their
// stacks often end inside the library itself (built without frame pointers),
// so they are matched by library name.
const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libglib\n"
           "leak:libgobject\n"
           "leak:libgstreamer\n"
           "leak:libgio\n"
           "leak:libsoup\n"
           "leak:libQt6Core.so\n"
           "leak:libQt6Gui.so\n";
}

}  // extern "C"
