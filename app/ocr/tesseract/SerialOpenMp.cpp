// The serial stand-ins for the libgomp entry points Tesseract imports; why they exist and how
// Tesseract's calls reach them: ocr/EngineThreading.h. Each runs a region's body directly, as the
// one thread of a team would: outside any team omp_get_num_threads() is 1 and
// omp_get_thread_num() is 0, and the sections are handed out one after the other.

namespace {

struct SectionsState {
    unsigned next = 1;
    unsigned count = 0;
};

thread_local SectionsState t_sections;

}  // namespace

extern "C" {

__attribute__((visibility("default"))) void GOMP_parallel(void (*body)(void*), void* data,
                                                          unsigned /*numThreads*/,
                                                          unsigned /*flags*/) {
    body(data);
}

__attribute__((visibility("default"))) void GOMP_parallel_sections(void (*body)(void*), void* data,
                                                                   unsigned /*numThreads*/,
                                                                   unsigned count,
                                                                   unsigned /*flags*/) {
    // A region may run inside another region's body; each has its own sections.
    const SectionsState outer = t_sections;
    t_sections = SectionsState{1, count};
    body(data);
    t_sections = outer;
}

// The next section for this thread to run, 1-based; 0 when all have been handed out.
__attribute__((visibility("default"))) unsigned GOMP_sections_next() {
    if (t_sections.next > t_sections.count) {
        return 0;
    }
    return t_sections.next++;
}

__attribute__((visibility("default"))) void GOMP_sections_end_nowait() {}

}  // extern "C"
