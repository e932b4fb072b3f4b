// A valid shared object that lacks the plug-in entry symbol.
extern "C" __attribute__((visibility("default"))) int notAPlugin() { return 1; }
