// Sanitizer defaults of the window layer's test programs; the environment's
// options come on top of them.
//
// Whole stacks for every allocation: GLib is built without frame pointers,
// so the quick unwinding stops inside it, and the one leak it leaves on
// purpose (its first quark table, given up for a larger one once a process
// has made more quarks than it holds, as a run of many toolkit tests does)
// could not be told from a real one by the suppression that names it.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
