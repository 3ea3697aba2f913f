#include "common/Paths.h"

#include <cstdlib>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

namespace ode {

#ifdef _WIN32

namespace {

std::wstring wideText(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string utf8Text(const std::wstring& wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

} // namespace

std::filesystem::path NativePath(const std::string& utf8) { return std::filesystem::path(wideText(utf8)); }

std::string Utf8Path(const std::filesystem::path& path) { return utf8Text(path.native()); }

std::string EnvironmentText(const char* name)
{
    const wchar_t* value = ::_wgetenv(wideText(name).c_str());
    return value ? utf8Text(value) : std::string();
}

#else

std::filesystem::path NativePath(const std::string& utf8) { return std::filesystem::path(utf8); }

std::string Utf8Path(const std::filesystem::path& path) { return path.native(); }

std::string EnvironmentText(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

#endif

} // namespace ode
