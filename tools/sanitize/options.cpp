// The sanitizer and fuzz builds' runtime options, linked into each of their programs so that a
// test, a fuzz target or the viewer started by hand runs as ctest runs it. ASAN_OPTIONS and
// LSAN_OPTIONS in the environment still override any of them.

extern "C" {

const char *__asan_default_options()
{
    // Full stacks at each allocation, so the suppressions below can name the library that made
    // it and a leak of our own code stays visible.
    //
    // intercept_tls_get_addr=0: the __tls_get_addr interceptor of GCC 12's and clang 14's
    // runtimes (and the same code up to GCC 13) takes any dynamic TLS block that begins at a page
    // offset equal to old glibc's header size for one with that header, and reads the two words
    // before it as a range. When a malloc'd block lands there the leak checker's tracer crashes
    // at exit. Drop the option once both runtimes used here are newer than that.
    return "detect_leaks=1:fast_unwind_on_malloc=0:intercept_tls_get_addr=0"
#ifdef ORVANE_FUZZ
           // A picture beyond the loader's budget must come back as a failed allocation, which
           // the loader handles, rather than end the run.
           ":allocator_may_return_null=1"
#endif
        ;
}

// Leaks that are not the program's own: one-time allocations of the libraries it links.
const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig\n"
           "leak:libdbus\n"
           "leak:libglib\n"
           // GIO's application registry keeps its caches and folder monitors to the end.
           "leak:libgio\n"
           // Qt Multimedia's sample cache: its loader thread still holds a sample when the
           // cache is destroyed at exit.
           "leak:QSample\n"
           "leak:QThread::exec\n";
}
}
