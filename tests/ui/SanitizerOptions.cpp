// Qt's libraries have no frame pointers, so the fast unwinder stops two frames into them and the
// leak suppressions for Qt Quick's own texture leaks (scripts/lsan.supp) never see the Qt Quick
// frame they name. The views' tests take the slow, complete unwinder instead. Used only when the
// suite is built with AddressSanitizer; ASAN_OPTIONS still adds to it.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
