#include "common/FileSystem.h"

#include "common/Paths.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <limits>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ode {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() { return std::error_code(errno, std::generic_category()); }

#ifdef _WIN32
std::error_code windowsError(DWORD code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return std::make_error_code(std::errc::file_exists);
    default:
        return std::error_code(static_cast<int>(code), std::system_category());
    }
}
#endif

class RealFiles final : public FileSystem {
public:
    std::error_code createExclusive(const std::string& path, Handle& handle) override
    {
#ifdef _WIN32
        const int fd =
            ::_wopen(NativePath(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
        const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
        if (fd < 0)
            return lastError();
        handle = fd;
        return {};
    }

    std::error_code write(Handle handle, const char* data, size_t size) override
    {
        while (size > 0) {
#ifdef _WIN32
            const unsigned chunk = size > (1u << 30) ? (1u << 30) : static_cast<unsigned>(size);
            const int n = ::_write(static_cast<int>(handle), data, chunk);
#else
            const ssize_t n = ::write(static_cast<int>(handle), data, size);
#endif
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                return lastError();
            if (n == 0)
                return std::make_error_code(std::errc::no_space_on_device);
            data += n;
            size -= static_cast<size_t>(n);
        }
        return {};
    }

    std::error_code flush(Handle handle) override
    {
#ifdef _WIN32
        if (::_commit(static_cast<int>(handle)) != 0) // FlushFileBuffers
            return lastError();
#else
        if (::fsync(static_cast<int>(handle)) != 0)
            return lastError();
#endif
        return {};
    }

    std::error_code close(Handle handle) override
    {
#ifdef _WIN32
        if (::_close(static_cast<int>(handle)) != 0)
            return lastError();
#else
        // After EINTR the descriptor is gone all the same; the data was flushed before.
        if (::close(static_cast<int>(handle)) != 0 && errno != EINTR)
            return lastError();
#endif
        return {};
    }

    std::error_code rename(const std::string& from, const std::string& to, bool replace) override
    {
#ifdef _WIN32
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!::MoveFileExW(NativePath(from).c_str(), NativePath(to).c_str(), flags))
            return windowsError(::GetLastError());
        return {};
#else
        if (replace)
            return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
#if defined(__linux__) && defined(RENAME_NOREPLACE)
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
            return {};
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
            return lastError();
#endif
        // A second name for the file fails when `to` exists; then the first name goes.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str()); // a name left behind is a dead writer's temporary later
            return {};
        }
        if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP && errno != ENOSYS)
            return lastError();
        // A file system without links (FAT): the check and the rename are two steps there.
        std::error_code ec;
        if (fs::exists(fs::symlink_status(to, ec)))
            return std::make_error_code(std::errc::file_exists);
        return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : lastError();
#endif
    }

    std::error_code remove(const std::string& path) override
    {
#ifdef _WIN32
        if (!::DeleteFileW(NativePath(path).c_str()))
            return windowsError(::GetLastError());
#else
        if (::unlink(path.c_str()) != 0)
            return lastError();
#endif
        return {};
    }

    std::error_code flushFolder(const std::string& folder) override
    {
#ifdef _WIN32
        (void)folder; // MOVEFILE_WRITE_THROUGH made each rename durable
        return {};
#else
        const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return lastError();
        std::error_code result;
        // Some file systems cannot flush a folder (EINVAL): there is nothing more to do there.
        if (::fsync(fd) != 0 && errno != EINVAL)
            result = lastError();
        ::close(fd);
        return result;
#endif
    }

    std::error_code listFolder(const std::string& folder, std::vector<std::string>& names) override
    {
        names.clear();
        std::error_code ec;
        for (fs::directory_iterator it(NativePath(folder.empty() ? std::string(".") : folder), ec), end;
             !ec && it != end; it.increment(ec))
            names.push_back(Utf8Path(it->path().filename()));
        return ec;
    }

    bool exists(const std::string& path) override
    {
        std::error_code ec;
        return fs::exists(fs::symlink_status(NativePath(path), ec));
    }

    bool isFolder(const std::string& path) override
    {
        std::error_code ec;
        return fs::is_directory(NativePath(path), ec);
    }

    bool ownedByUser(const std::string& path) override
    {
#ifdef _WIN32
        (void)path;
        return true;
#else
        struct stat entry = {};
        return ::lstat(path.c_str(), &entry) == 0 && entry.st_uid == ::geteuid();
#endif
    }

    long processId() override { return CurrentProcessId(); }
    bool processAlive(long pid) override { return ProcessAlive(pid); }
};

} // namespace

FileSystem& RealFileSystem()
{
    static RealFiles files;
    return files;
}

long CurrentProcessId()
{
#ifdef _WIN32
    return static_cast<long>(::_getpid());
#else
    return static_cast<long>(::getpid());
#endif
}

bool ProcessAlive(long pid)
{
    if (pid <= 0)
        return false;
#ifdef _WIN32
    HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED; // it exists, as another user's
    const bool running = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return running;
#else
    if (pid > static_cast<long>(std::numeric_limits<pid_t>::max()))
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

} // namespace ode
