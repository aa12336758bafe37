#pragma once
#include <windows.h>

#include <string>

namespace pitbox::platform {

// The temporary files this process is writing, so that Ctrl+C or the console
// closing removes them before the process ends; the same handler stops the
// work that tidies up itself (platform/interrupts.h).
void rememberTemporary(const std::wstring& path, HANDLE handle);
void forgetTemporary(const std::wstring& path);

}  // namespace pitbox::platform
