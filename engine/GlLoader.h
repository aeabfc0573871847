#pragma once
// Loads the OpenGL entry points for the context that is current on this thread.
// Every program that makes a context (the show, the offline renderer, the tests,
// the benchmarks, the data viewer) goes through here, so all of them accept and
// refuse the same contexts.

#include <string>

namespace lb_engine {

// Returns false with the reason in `error` when the entry points cannot be loaded
// or the current context is older than OpenGL 4.1. Leaves no GL error pending.
bool loadGlEntryPoints(std::string* error);

}  // namespace lb_engine
