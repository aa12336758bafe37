#pragma once
#include <string>

#include "base/result.h"

namespace pitbox::platform {

// A shared library loaded on demand, so that a program starts without what
// only some of its commands need (the command line's font engine). It stays
// loaded until the program ends. Linux builds only: on Windows the command line
// draws with GDI, which costs nothing to load.
class Plugin {
public:
    // Loads `fileName` from the program's own folder, or from
    // ../lib/kestrun-pitbox beside it (as installed).
    static Result<Plugin> load(const std::string& fileName);
    // The address of an exported function, nullptr when there is none.
    void* function(const char* name) const;

private:
    explicit Plugin(void* handle) : handle_(handle) {}
    void* handle_ = nullptr;
};

}  // namespace pitbox::platform
