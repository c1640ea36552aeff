// The file paths that an iTunes library file lists as track locations. Platform-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tovelink {

// Every <key>Location</key><string>file://...</string> pair, as Windows paths in UTF-8, in file
// order. Locations that are not file addresses are skipped.
std::vector<std::string> ItunesTrackPaths(std::string_view xml);

// "file://localhost/C:/Music/a%20b.mp3" -> "C:\Music\a b.mp3"; "file://server/share/x" ->
// "\\server\share\x"; empty when the address is not a file address.
std::string FileUrlToPath(std::string_view url);

}  // namespace tovelink
