#include "common/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ode {

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        error = "The file " + path + " does not exist or cannot be read.";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "The file " + path + " cannot be read.";
        return false;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) {
        error = "The file " + path + " cannot be read.";
        return false;
    }
    content = ss.str();
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
    for (const auto& [path, content] : files) {
        std::string temp = path + ".tmp~";
        temps.push_back(temp);
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (out)
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
        out.close();
        if (!out) {
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
    }
    return true;
}

} // namespace ode
