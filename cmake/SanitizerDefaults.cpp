// Built-in sanitizer settings of the project's programs (every test program,
// and the player in a sanitised build), so they hold however the program is
// started (ctest, by hand, from a debugger). Programs that host the web
// engine are built with TONVIK_HOSTS_WEB_ENGINE.

#ifdef TONVIK_HOSTS_WEB_ENGINE
// The engine frees some of its own objects through a base of another size,
// and keeps allocations to the end of the process; neither check can be
// narrowed to its library.
#define TONVIK_ENGINE_ASAN_OPTIONS ":new_delete_type_mismatch=0"
#define TONVIK_ENGINE_LEAKS "leak:libQt6WebEngineCore.so\n"
#else
#define TONVIK_ENGINE_ASAN_OPTIONS ""
#define TONVIK_ENGINE_LEAKS ""
#endif

extern "C" {

const char* __asan_default_options() { return "detect_leaks=1:abort_on_error=1" TONVIK_ENGINE_ASAN_OPTIONS; }

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
           "leak:libQt6Gui.so\n" TONVIK_ENGINE_LEAKS;
}

}  // extern "C"
