// Where the program lives and which folder is current.
//
// Files that belong to the program (settings, networks, bitbases, book, traffic
// log) sit beside the executable and are addressed as executableFolder() + "/" + name.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Folder part of a path: everything before its last "/", with runs of "/"
// collapsed to one. "/" for a file in the root folder, "." for a bare name.
std::string folderOfPath(std::string_view path);

// Folder of the running executable (from /proc/self/exe); "." when it cannot be found.
std::string executableFolder();

// executableFolder() + "/" + name.
std::string pathBesideExecutable(std::string_view name);

// Makes `folder` the current directory; false when that fails.
bool setCurrentDirectory(const std::string& folder);

// The current directory; empty when it cannot be read.
std::string currentDirectory();

}  // namespace tarn
