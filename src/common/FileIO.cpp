#include "common/FileIO.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ode {

namespace fs = std::filesystem;

namespace {

// A file descriptor that is closed on every path out.
struct Descriptor {
    int fd = -1;
    ~Descriptor() { close(); }
    bool close()
    {
        if (fd < 0)
            return true;
#ifdef _WIN32
        const bool ok = ::_close(fd) == 0;
#else
        const bool ok = ::close(fd) == 0;
#endif
        fd = -1;
        return ok;
    }
};

int processId()
{
#ifdef _WIN32
    return ::_getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

// Creates a new file beside `path` under a name no other writer uses: NAME.tmp~PID-N-RANDOM,
// created exclusively, so two programs (or two saves of one) never share a temporary file.
bool createTemporary(const std::string& path, Descriptor& out, std::string& temp)
{
    static std::atomic<unsigned> counter{0};
    std::mt19937_64 random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                           (static_cast<uint64_t>(processId()) << 32));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[64];
        std::snprintf(suffix, sizeof suffix, ".tmp~%d-%u-%08llx", processId(), counter++,
                      static_cast<unsigned long long>(random() & 0xffffffffu));
        temp = path + suffix;
#ifdef _WIN32
        out.fd = ::_open(temp.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
        out.fd = ::open(temp.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
#endif
        if (out.fd >= 0)
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// Writes all of `content` and flushes it to the disk before the file is closed.
bool writeAndFlush(Descriptor& d, const std::string& content)
{
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
#ifdef _WIN32
        const int chunk = left > (1u << 30) ? (1 << 30) : static_cast<int>(left);
        const int n = ::_write(d.fd, p, static_cast<unsigned>(chunk));
#else
        const ssize_t n = ::write(d.fd, p, left);
#endif
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
#ifdef _WIN32
    if (::_commit(d.fd) != 0) // FlushFileBuffers
        return false;
#else
    if (::fsync(d.fd) != 0)
        return false;
#endif
    return d.close();
}

// After a rename, the folder's entry is made durable too where the platform allows it.
void flushFolder(const std::string& path)
{
#ifndef _WIN32
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)path;
#endif
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "The file " + path + " does not exist or cannot be read.";
        return false;
    }
    const std::uintmax_t bytes = fs::file_size(path, ec);
    if (!ec && bytes > kLargestFile) {
        error = "The file " + path + " is too large (" + std::to_string(bytes >> 20) +
                " MB) to be one of this program's files.";
        return false;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = "The file " + path + " cannot be read.";
        return false;
    }
    // One read of the whole size: a large file costs one copy, not a stream of small ones.
    const std::streamoff size = in.tellg();
    std::string text;
    if (size > 0) {
        text.resize(static_cast<size_t>(size));
        in.seekg(0);
        in.read(text.data(), size);
        if (in.gcount() != size) {
            error = "The file " + path + " cannot be read.";
            return false;
        }
    }
    content = std::move(text);
    return true;
}

bool WriteFilesAtomically(const std::vector<std::pair<std::string, std::string>>& files, std::string& error)
{
    std::vector<std::string> temps;
    auto cleanup = [&temps]() {
        std::error_code ec;
        for (const auto& t : temps)
            fs::remove(t, ec);
    };
    // A target that is a folder could never be replaced: refuse before anything is written.
    for (const auto& file : files) {
        std::error_code ec;
        if (fs::is_directory(file.first, ec)) {
            error = "The file " + file.first + " cannot be written: it is a folder.";
            return false;
        }
    }
    for (const auto& [path, content] : files) {
        Descriptor d;
        std::string temp;
        if (!createTemporary(path, d, temp)) {
            error = "The file " + path + " cannot be written.";
            cleanup();
            return false;
        }
        temps.push_back(temp);
        if (!writeAndFlush(d, content)) {
            error = "The file " + path + " cannot be written.";
            cleanup();
            return false;
        }
    }
    for (size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        fs::rename(temps[i], files[i].first, ec);
        if (ec) {
            error = "The file " + files[i].first + " cannot be written: " + ec.message() + ".";
            cleanup();
            return false;
        }
        flushFolder(files[i].first);
    }
    return true;
}

} // namespace ode
