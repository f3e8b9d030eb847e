// One function of a library loaded at run time with dlopen: the launcher
// links neither libX11 nor fribidi, and works on without them.
#pragma once

#include <dlfcn.h>

namespace posix {

// Looks `name` up in `library` as a function of type Function; false when
// the library lacks it (`*function` is then null).
template <typename Function>
bool ResolveSymbol(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  return *function != nullptr;
}

}  // namespace posix
