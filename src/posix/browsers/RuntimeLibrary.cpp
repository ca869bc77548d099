#include "posix/browsers/RuntimeLibrary.h"

#include <dlfcn.h>

namespace tessel {

RuntimeLibrary::RuntimeLibrary(const char* soname)
    : handle_(dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {}

void* RuntimeLibrary::Address(const char* name) const {
    return handle_ == nullptr ? nullptr : dlsym(handle_, name);
}

}  // namespace tessel
