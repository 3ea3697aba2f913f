#pragma once
// The few file operations a save and its recovery make, behind one small interface: the real
// file system is the default everywhere, and tests put one in its place that fails, or stops
// the writer as a kill would, at any chosen operation.
//
// Every operation answers with an error code: empty on success; std::errc::file_exists and
// std::errc::no_such_file_or_directory where the caller acts on them; anything else is a
// failure whose message() is shown to the user.

#include <cstddef>
#include <string>
#include <system_error>
#include <vector>

namespace ode {

class FileSystem {
public:
    using Handle = long;

    virtual ~FileSystem() = default;

    // Creates the new file `path` for writing; file_exists when anything is there already.
    virtual std::error_code createExclusive(const std::string& path, Handle& handle) = 0;
    // Writes all `size` bytes at the end of what the handle has written.
    virtual std::error_code write(Handle handle, const char* data, size_t size) = 0;
    // Flushes what was written to the disk (fsync; FlushFileBuffers on Windows).
    virtual std::error_code flush(Handle handle) = 0;
    virtual std::error_code close(Handle handle) = 0;
    // Renames `from` to `to`, replacing a file there; with `replace` false, file_exists when
    // `to` exists, decided in one step with the rename. no_such_file_or_directory when `from`
    // is not there.
    virtual std::error_code rename(const std::string& from, const std::string& to, bool replace) = 0;
    // Removes the file `path`; no_such_file_or_directory when there is none.
    virtual std::error_code remove(const std::string& path) = 0;
    // Makes the renames and removals in `folder` durable where the platform allows it.
    virtual std::error_code flushFolder(const std::string& folder) = 0;
    // The names (without the folder) of the entries of `folder`.
    virtual std::error_code listFolder(const std::string& folder, std::vector<std::string>& names) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual bool isFolder(const std::string& path) = 0;
    // Whether the entry `path` itself (not what a link points to) belongs to the user this
    // program runs as; always true where the platform has no owners to tell apart.
    virtual bool ownedByUser(const std::string& path) = 0;
    // The id the writer puts into the names of its temporary files, and whether a process
    // with an id still runs (a process of another user counts as running).
    virtual long processId() = 0;
    virtual bool processAlive(long pid) = 0;
};

// The operating system's files.
FileSystem& RealFileSystem();

// Whether the process `pid` runs, on this machine.
bool ProcessAlive(long pid);

// This process's id.
long CurrentProcessId();

} // namespace ode
