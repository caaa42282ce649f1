// Every GUI test program links this list. Each entry names a library that allocates only for itself:
// it never calls back into our code, so no window, menu or string of ours is ever allocated under one
// of its frames, and a leak an event handler of ours makes is still reported. The libraries that do
// call us (GLib, GObject, GTK, GDK, wx, WebKit) are never named. Their allocating functions are
// internal and have no symbols, so the library is the narrowest name there is.
extern "C" const char* __lsan_default_suppressions() {
    // Fontconfig keeps a pattern's elements at an offset from the pattern rather than by pointer,
    // so every pattern alive at exit (pango's and cairo's font caches) looks lost.
    return "leak:libfontconfig.so\n"
           // The report view's script engine keeps its heap for the life of the process.
           "leak:libjavascriptcoregtk-4.0.so\n"
           // SANE's test backend, the only scanner the tests see, drops its reader's buffer when a
           // scan is cancelled: a stack that passes through it is that buffer.
           "leak:libsane-test.so\n";
}
