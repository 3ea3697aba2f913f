#include "common/PrivateFolder.h"

#include "common/FileSystem.h"
#include "common/Paths.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ode {

namespace fs = std::filesystem;

namespace {

bool isAlphanumeric(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// PREFIX-PID-RANDOM: the process id of its maker, or false for any other name.
bool parseFolderName(const std::string& name, const std::string& prefix, long& pid)
{
    if (name.size() <= prefix.size() + 1 || name.compare(0, prefix.size() + 1, prefix + "-") != 0)
        return false;
    const size_t start = prefix.size() + 1, dash = name.find('-', start);
    if (dash == std::string::npos || dash == start || dash - start > 9 || dash + 1 == name.size())
        return false;
    for (size_t i = start; i < dash; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    for (size_t i = dash + 1; i < name.size(); ++i)
        if (!isAlphanumeric(name[i]))
            return false;
    pid = std::stol(name.substr(start, dash - start));
    return true;
}

// A real folder (not a link to one) that this user owns.
bool ownFolder(const fs::path& path)
{
#ifdef _WIN32
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    return !ec && fs::is_directory(status); // the temporary folder is the user's own there
#else
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
#endif
}

} // namespace

int RemoveStalePrivateFolders(const std::string& parent, const std::string& prefix)
{
    int removed = 0;
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::directory_iterator it(NativePath(parent), ec), end; !ec && it != end; it.increment(ec)) {
        long pid = 0;
        const std::string name = Utf8Path(it->path().filename());
        if (parseFolderName(name, prefix, pid) && pid != CurrentProcessId() && !ProcessAlive(pid) &&
            ownFolder(it->path()))
            stale.push_back(it->path());
    }
    for (const fs::path& folder : stale) {
        std::error_code removeError;
        // remove_all takes links inside as links: nothing outside the folder is touched.
        if (fs::remove_all(folder, removeError) != static_cast<std::uintmax_t>(-1) && !removeError)
            ++removed;
    }
    return removed;
}

PrivateFolder::PrivateFolder(const std::string& prefix, const std::string& parent)
{
    std::error_code ec;
    const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : NativePath(parent);
    if (ec) {
        m_error = "There is no temporary folder: " + ec.message() + ".";
        return;
    }
    RemoveStalePrivateFolders(Utf8Path(base), prefix);
    const std::string stem = Utf8Path(base / NativePath(prefix + "-" + std::to_string(CurrentProcessId()) + "-"));
#ifdef _WIN32
    std::random_device device;
    std::mt19937_64 random((static_cast<uint64_t>(device()) << 32) ^ device());
    const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
        std::string name = stem;
        for (int i = 0; i < 12; ++i)
            name += letters[random() % (sizeof letters - 1)];
        if (::_wmkdir(NativePath(name).c_str()) == 0)
            m_path = name;
        else if (errno != EEXIST)
            break;
    }
    if (m_path.empty())
        m_error = "A folder cannot be made in " + Utf8Path(base) + ": " + std::strerror(errno) + ".";
#else
    std::vector<char> name(stem.begin(), stem.end());
    for (char c : std::string("XXXXXX"))
        name.push_back(c);
    name.push_back('\0');
    if (::mkdtemp(name.data())) // mode 0700
        m_path = name.data();
    else
        m_error = "A folder cannot be made in " + Utf8Path(base) + ": " + std::strerror(errno) + ".";
#endif
}

PrivateFolder::~PrivateFolder()
{
    if (m_path.empty())
        return;
    std::error_code ec;
    fs::remove_all(NativePath(m_path), ec);
}

} // namespace ode
