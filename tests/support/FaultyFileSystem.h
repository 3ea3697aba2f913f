#pragma once
// The real file system with one fault put in at the k-th operation (counted from 0): that
// operation fails with an input/output error and the others work, or (Die) that operation
// and every later one do nothing, as if the writer had been killed there; or (ReadOnly) every
// operation that would change a file fails, as in a read-only folder. Its writer's
// process id is one that no process has, so its leftovers are a dead writer's. Handles still
// open when it goes are closed, as the system closes a killed process's files.

#include "common/FileSystem.h"

#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace testsupport {

class FaultyFileSystem : public ode::FileSystem {
public:
    enum class Fault { None, Fail, Die, ReadOnly };

    // A process id above any the system hands out (pid_max is at most 2^22 on Linux).
    static constexpr long kDeadWriter = 999999999;

    explicit FaultyFileSystem(Fault fault = Fault::None, int at = -1) : m_fault(fault), m_at(at) {}
    ~FaultyFileSystem() override
    {
        for (Handle h : m_open)
            ::close(static_cast<int>(h));
    }

    // How many operations were asked for, and the name of each.
    int count() const { return m_count; }
    const std::vector<std::string>& operations() const { return m_names; }
    bool died() const { return m_dead; }

    std::error_code createExclusive(const std::string& path, Handle& handle) override
    {
        if (auto ec = fault("create"))
            return ec;
        const std::error_code ec = real().createExclusive(path, handle);
        if (!ec)
            m_open.insert(handle);
        return ec;
    }
    std::error_code write(Handle handle, const char* data, size_t size) override
    {
        if (auto ec = fault("write"))
            return ec;
        return real().write(handle, data, size);
    }
    std::error_code flush(Handle handle) override
    {
        if (auto ec = fault("flush"))
            return ec;
        return real().flush(handle);
    }
    std::error_code close(Handle handle) override
    {
        if (auto ec = fault("close"))
            return ec;
        m_open.erase(handle);
        return real().close(handle);
    }
    std::error_code rename(const std::string& from, const std::string& to, bool replace) override
    {
        if (auto ec = fault(replace ? "rename" : "rename-exclusive"))
            return ec;
        return real().rename(from, to, replace);
    }
    std::error_code remove(const std::string& path) override
    {
        if (auto ec = fault("remove"))
            return ec;
        return real().remove(path);
    }
    std::error_code flushFolder(const std::string& folder) override
    {
        if (auto ec = fault("flush-folder"))
            return ec;
        return real().flushFolder(folder);
    }
    std::error_code listFolder(const std::string& folder, std::vector<std::string>& names) override
    {
        if (auto ec = fault("list"))
            return ec;
        return real().listFolder(folder, names);
    }
    bool exists(const std::string& path) override { return !fault("exists") && real().exists(path); }
    bool isFolder(const std::string& path) override { return !fault("is-folder") && real().isFolder(path); }
    bool ownedByUser(const std::string& path) override { return real().ownedByUser(path); }
    long processId() override { return kDeadWriter; }
    bool processAlive(long pid) override { return pid != kDeadWriter && real().processAlive(pid); }

private:
    static ode::FileSystem& real() { return ode::RealFileSystem(); }

    std::error_code fault(const char* name)
    {
        const int index = m_count++;
        m_names.push_back(name);
        const std::string operation = name;
        if (m_fault == Fault::ReadOnly &&
            (operation == "create" || operation.rfind("rename", 0) == 0 || operation == "remove"))
            return std::make_error_code(std::errc::read_only_file_system);
        if (m_fault == Fault::Die && index >= m_at)
            m_dead = true;
        if (m_dead || (m_fault == Fault::Fail && index == m_at))
            return std::make_error_code(std::errc::io_error);
        return {};
    }

    Fault m_fault;
    int m_at;
    int m_count = 0;
    bool m_dead = false;
    std::vector<std::string> m_names;
    std::set<Handle> m_open;
};

} // namespace testsupport
