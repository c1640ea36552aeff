// The system's folder browser, asking for a music folder to add.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Modal to `owner`, centred on the monitor of the owner's own owner (the main window), starting at
// `startFolder` when it still exists. Returns the chosen folder's full path, which may be longer
// than the list takes (the caller refuses it), an empty text for a choice without a file-system
// path, or nullopt when cancelled.
std::optional<std::wstring> BrowseForMusicFolder(HWND owner, const std::wstring& startFolder);
