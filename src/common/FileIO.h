#pragma once
// Whole-file reading and writing. Writing goes to a temporary file beside the target, under a
// name of its own (so two writers of one name never share it), flushed to the disk and then
// renamed over the target, whose folder is flushed in turn: a file is written whole or not
// at all, and a save that has returned survives a power cut.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ode {

// The largest file the program reads: a system of ten variables at degree 100000 stores about
// 22 MB of coefficients; anything larger is not one of its files.
constexpr std::uintmax_t kLargestFile = 32u << 20;

// Reads the whole file into `content`. On failure (no such regular file, larger than
// kLargestFile, unreadable) returns false with a message in `error`.
bool ReadWholeFile(const std::string& path, std::string& content, std::string& error);

// Writes every (path, content) pair: all temporaries first, then the renames, so that a
// failure while writing leaves every existing file as it was and removes the temporaries. A
// target that is a folder is refused before anything is written. Returns false with a
// message in `error` when anything could not be written.
bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files, std::string& error);

// Files to write together: (name, text) pairs.
using FileTexts = std::vector<std::pair<std::string, std::string>>;

} // namespace ode
