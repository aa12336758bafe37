#pragma once
#include <atomic>

// How many objects and locks of this DLL are alive: the shell may unload it
// when none is.
std::atomic<long>& moduleReferences();
