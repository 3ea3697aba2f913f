#pragma once
// Whole-file reading, and the saving of a set of files written together (a problem pair and its
// NAME.acc, Save Separately's series files, an export and its grid file) so that whatever
// happens during a save (a failure, a kill, a power cut) the next Open finds either the whole
// old set or the whole new set.
//
// A save writes every file under a temporary name of its own beside it (NAME.tmp~PID-N-RANDOM,
// created exclusively) and flushes it to the disk. A single file is then renamed over its
// target, which is one step. A set of more files (or one whose save removes a file, such as a
// stale NAME.acc) first writes a journal, FIRST.journal~ beside its first file, listing what is
// renamed and removed; the journal appears in one rename that fails when another save holds
// it: that rename is the commit point, and the journal is also what keeps two saves of one set
// apart. Each file is then moved aside (NAME.old~PID-N-RANDOM), its temporary renamed in, the
// files to remove moved aside, the folder flushed, the journal removed and the old files last.
// A failure undoes those steps in reverse, so the old set stands; a save killed with its
// journal in place is completed by the next recovery, one killed before is rolled back.

#include "common/FileSystem.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ode {

// The largest file the program reads: a system of ten variables at degree 100000 stores about
// 22 MB of coefficients; anything larger is not one of its files.
constexpr std::uintmax_t kLargestFile = 32u << 20;

// Files to write together: (name, text) pairs.
using FileTexts = std::vector<std::pair<std::string, std::string>>;

// Reads the whole file into `content`. On failure (no such regular file, larger than
// kLargestFile, unreadable) returns false with a message in `error`.
bool ReadWholeFile(const std::string& path, std::string& content, std::string& error);

// What one save writes and what it removes (files that must not outlast it), all in one folder:
// the journal goes beside them, named after the first file (the first written, else the first
// removed), and an Open of any of them finds it there.
struct FileSet {
    FileTexts write;
    std::vector<std::string> remove;
};

// Saves `set` whole: afterwards every file written holds its new text and every file to remove
// is gone, or (false, with a message in `error`) every file is as it was and no temporary file
// is left. A target that is a folder, or files in more than one folder, are refused before
// anything is written; a folder named among the files to remove is left alone. An interrupted
// save of the same files is settled first (see RecoverFiles).
bool SaveFileSet(const FileSet& set, std::string& error, FileSystem& files = RealFileSystem());

// SaveFileSet of `files`, removing nothing.
bool WriteFilesAtomically(const FileTexts& files, std::string& error);

// Before any of `paths` is read: a journal naming one of them is completed (every rename and
// removal it lists that is still to do, then the journal goes); the temporary and moved-aside
// files of those paths whose writer no longer runs and that no journal names are removed. A save
// in progress in another program is waited for (at most kAbandonedSaveSeconds). False, with
// a message in `error`, when a journal cannot be completed or cannot be read: the files it
// names may then be from two saves and must not be opened.
bool RecoverFiles(const std::vector<std::string>& paths, std::string& error, FileSystem& files = RealFileSystem());

// A journal older than this whose writer still seems to run (its process id taken again by
// another program, or a writer stopped in a debugger) is completed as a dead writer's: the
// renames it guards take milliseconds.
constexpr int kAbandonedSaveSeconds = 30;

// The journal of a set whose first file is `firstFile`.
std::string JournalPath(const std::string& firstFile);

} // namespace ode
