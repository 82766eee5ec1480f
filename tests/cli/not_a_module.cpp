// A shared library that loads but is no plug-in module: it has no plugin_main.
// The application must report it, not crash on it.
extern "C" int QuorvaneTestAnswer() { return 42; }
