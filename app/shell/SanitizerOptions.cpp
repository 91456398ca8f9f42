// Built into the application and the suites that run its views only when they are built with
// AddressSanitizer. Qt's libraries have no frame pointers, so the fast unwinder stops two frames
// into them and the leak suppressions for Qt Quick's own texture leaks (scripts/lsan.supp) never
// see the Qt Quick frame they name; the complete unwinder does. ASAN_OPTIONS still adds to this.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
