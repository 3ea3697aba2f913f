#pragma once
// Paths travel through the program as UTF-8 text on every platform: the command line's
// arguments, the boxes, the files' names in messages and in JSON. These two functions are the
// only way between that text and the file system's own form. On Linux and macOS the two are the
// same bytes; on Windows the file system's names are UTF-16, and a path made of parts is joined
// with its own separator, the backslash.

#include <filesystem>
#include <string>

namespace ode {

// The file system's path for the UTF-8 text `utf8` (an ill-formed sequence stands for U+FFFD
// on Windows, where a name must be characters).
std::filesystem::path NativePath(const std::string& utf8);

// The UTF-8 text of `path` (an unpaired surrogate in a Windows name becomes U+FFFD).
std::string Utf8Path(const std::filesystem::path& path);

// The UTF-8 text of the environment variable `name`; empty when it is not set.
std::string EnvironmentText(const char* name);

} // namespace ode
