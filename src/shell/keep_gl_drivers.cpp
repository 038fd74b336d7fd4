// Linked into the player only in sanitizer builds. Mesa's drivers are unloaded
// with dlclose at exit, and the leak checker then reports their allocations
// from an unknown module; keeping them loaded leaves only our own leaks.
extern "C" int dlclose(void*) { return 0; }
