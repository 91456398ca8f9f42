#pragma once

// How recognition uses threads, in one place.
//
// Parallelism comes from us: EnginePool keeps one engine per core and ScreenTextReader splits the
// screen between them, each engine used by one thread at a time. Tesseract itself runs OpenMP
// regions (a `parallel sections` for the gates of every LSTM time step, `parallel for`
// elsewhere) thousands of times per line; with libgomp's teams that is several times slower on a
// small machine, and even a team of one costs a futex wake-up per region, about a sixth of all
// recognition time. So:
//
// 1. The engine module (tesseract/) defines the GOMP_* entry points Tesseract imports as serial
//    stand-ins (tesseract/SerialOpenMp.cpp) that run a region's body directly, as the one thread
//    of a team would. EngineModule loads the module with RTLD_DEEPBIND, so the module's own
//    symbols come first for it and the libraries it brings: Tesseract's calls land on the
//    stand-ins, not in libgomp. A newer Tesseract that imports another GOMP_* symbol would
//    reach libgomp for it; tests/ocr/RecognitionThreadingTest.cpp compares the two symbol lists.
// 2. OMP_THREAD_LIMIT cannot be used instead: libgomp is loaded with Qt (through libb2) and reads
//    the environment before main(). Where the stand-ins are not bound (below), each engine call
//    sets omp_set_max_active_levels(0) on its thread, so libgomp gives every region a team of one:
//    slower, the same results.
// 3. AddressSanitizer refuses RTLD_DEEPBIND libraries. Under it (GCC spells the check
//    __SANITIZE_ADDRESS__, Clang __has_feature(address_sanitizer)) the module binds like any other
//    library and point 2 applies.

#if defined(__SANITIZE_ADDRESS__)
#define VELARION_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELARION_ADDRESS_SANITIZER 1
#endif
#endif

namespace EngineThreading {

#if defined(VELARION_ADDRESS_SANITIZER)
inline constexpr bool kStandInsBound = false;
#else
inline constexpr bool kStandInsBound = true;
#endif

}  // namespace EngineThreading
