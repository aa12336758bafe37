#pragma once
// Files in and out of the Win32 backend's windows (win32_drag_drop.cpp).
#include <windows.h>
// After windows.h.
#include <ole2.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace pitbox::ui::win32 {

// The files as CF_HDROP holds them: a DROPFILES header and their UTF-16 names.
HGLOBAL fileDropHandle(const std::vector<std::string>& paths);
// The files and folders a drop names.
std::vector<std::string> droppedFiles(HDROP drop);
// What a drag of the files carries, with a reference for the caller.
IDataObject* newFileData(const std::vector<std::string>& paths);
// Drags the files out until the button is let go, offering a copy only;
// returns what the target did (DROPEFFECT_NONE where it took nothing).
DWORD dragFilesOut(const std::vector<std::string>& paths);

}  // namespace pitbox::ui::win32
