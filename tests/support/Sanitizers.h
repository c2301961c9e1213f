#pragma once
// Whether the tests run under ThreadSanitizer (TEVO_SANITIZE=thread). It cannot follow the
// threads that a forked child of a threaded process starts (the child dies with "dup thread"),
// and it makes code several times slower, so such tests and time bounds step aside under it.

#if defined(__SANITIZE_THREAD__)
#define TEVO_UNDER_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TEVO_UNDER_THREAD_SANITIZER 1
#endif
#endif

#ifdef TEVO_UNDER_THREAD_SANITIZER
constexpr bool UnderThreadSanitizer = true;
#else
constexpr bool UnderThreadSanitizer = false;
#endif

// Skips the running test function under ThreadSanitizer when it extracts in a forked child.
#define SKIP_FORKED_EXTRACTION_UNDER_THREAD_SANITIZER()                                            \
    do {                                                                                           \
        if (UnderThreadSanitizer)                                                                  \
            QSKIP("ThreadSanitizer cannot follow the threads of a forked child");                  \
    } while (false)
