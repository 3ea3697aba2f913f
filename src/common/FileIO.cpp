#include "common/FileIO.h"

#include "common/Paths.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <thread>

namespace ode {

namespace fs = std::filesystem;

namespace {

constexpr const char* kJournalSuffix = ".journal~";
constexpr const char* kTempMark = ".tmp~";
constexpr const char* kOldMark = ".old~";
constexpr const char* kJournalHead = "ODE Series save journal 1";

bool isMissing(const std::error_code& ec) { return ec == std::errc::no_such_file_or_directory; }

std::string folderOf(const std::string& path) { return Utf8Path(NativePath(path).parent_path()); }

std::string nameOf(const std::string& path) { return Utf8Path(NativePath(path).filename()); }

std::string inFolder(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : Utf8Path(NativePath(folder) / NativePath(name));
}

// The same text for every spelling of one file: absolute and without "." or "..".
std::string normalised(const std::string& path)
{
    std::error_code ec;
    const fs::path absolute = fs::absolute(NativePath(path), ec);
    return Utf8Path((ec ? NativePath(path) : absolute).lexically_normal());
}

long long secondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// "PID-N-RANDOM": unique among this process's saves by N, among processes by the id, and
// against stale files of an earlier process with the same id by the random part.
std::string newToken(long pid)
{
    static std::atomic<unsigned> counter{0};
    static std::mt19937_64 random(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                  (static_cast<uint64_t>(pid) << 32));
    static std::atomic_flag busy = ATOMIC_FLAG_INIT;
    while (busy.test_and_set())
        ;
    const unsigned long long bits = random() & 0xffffffffu;
    busy.clear();
    char token[64];
    std::snprintf(token, sizeof token, "%ld-%u-%08llx", pid, counter++, bits);
    return token;
}

// A journal's names are kept one a field, tab-separated: a percent sign and every control
// character are written as %XX so that no name can break a line or a field.
std::string encodeName(const std::string& name)
{
    std::string out;
    for (unsigned char c : name) {
        if (c == '%' || c < 0x20 || c == 0x7f) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

bool decodeName(const std::string& text, std::string& name)
{
    name.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        unsigned value = 0;
        if (i + 2 >= text.size() || std::sscanf(text.substr(i + 1, 2).c_str(), "%2X", &value) != 1)
            return false;
        name += static_cast<char>(value);
        i += 2;
    }
    return !name.empty();
}

// Whether `name` (without folder) is a save's temporary or moved-aside file: TARGET.tmp~TOKEN
// or TARGET.old~TOKEN with TOKEN "PID-N-HEX". Gives the target's name and the writer's id.
bool ParseSaveLeftover(const std::string& name, std::string& target, long& pid)
{
    const size_t temp = name.rfind(kTempMark), old = name.rfind(kOldMark);
    size_t at = std::string::npos;
    if (temp != std::string::npos && (old == std::string::npos || temp > old))
        at = temp;
    else if (old != std::string::npos)
        at = old;
    if (at == std::string::npos || at == 0)
        return false;
    // TOKEN: digits '-' digits '-' hexadecimal digits.
    const std::string token = name.substr(at + 5);
    const size_t first = token.find('-'), second = first == std::string::npos ? first : token.find('-', first + 1);
    if (second == std::string::npos || first == 0 || second == first + 1 || second + 1 == token.size() ||
        token.find_first_not_of("0123456789") != first || token.find_first_not_of("0123456789", first + 1) != second ||
        token.find_first_not_of("0123456789abcdef", second + 1) != std::string::npos || first > 9)
        return false;
    target = name.substr(0, at);
    pid = std::stol(token.substr(0, first));
    return true;
}

// What a committed save does: each temporary renamed over its target, whose old file is moved
// aside first, and each file to remove moved aside. All in the journal's folder.
struct Journal {
    struct Replace {
        std::string temp, target, backup;
    };
    struct Removal {
        std::string target, backup;
    };
    long pid = 0;
    long long written = 0; // seconds since 1970
    std::vector<Replace> replaced;
    std::vector<Removal> removed;
};

// A name the journal may hold: a file in its own folder, so that a journal put there by
// someone else can move nothing elsewhere.
bool bareName(const std::string& name)
{
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return false;
#ifdef _WIN32
    if (name.find_first_of("\\:") != std::string::npos)
        return false;
#endif
    return true;
}

// Whether `leftover` is a temporary (".tmp~") or moved-aside (".old~") name of `target`.
bool leftoverOf(const std::string& leftover, const std::string& target, const char* mark)
{
    std::string of;
    long pid = 0;
    return ParseSaveLeftover(leftover, of, pid) && of == target &&
           leftover.compare(target.size(), std::char_traits<char>::length(mark), mark) == 0;
}

std::string journalText(const Journal& j)
{
    std::string text = std::string(kJournalHead) + "\n";
    text += "writer " + std::to_string(j.pid) + "\n";
    text += "written " + std::to_string(j.written) + "\n";
    auto field = [](const std::string& path) { return "\t" + encodeName(nameOf(path)); };
    for (const auto& r : j.replaced)
        text += "replace" + field(r.temp) + field(r.target) + field(r.backup) + "\n";
    for (const auto& r : j.removed)
        text += "remove" + field(r.target) + field(r.backup) + "\n";
    text += "end " + std::to_string(j.replaced.size() + j.removed.size()) + "\n";
    return text;
}

bool parseJournal(const std::string& text, const std::string& folder, Journal& j, std::string& why)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            why = "it ends in the middle of a line";
            return false;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    auto fields = [](const std::string& line) {
        std::vector<std::string> out;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            out.push_back(line.substr(start, tab - start));
        out.push_back(line.substr(start));
        return out;
    };
    auto number = [](const std::string& line, const std::string& word, long long& value) {
        if (line.compare(0, word.size() + 1, word + " ") != 0)
            return false;
        const std::string digits = line.substr(word.size() + 1);
        if (digits.empty() || digits.size() > 18 || digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        value = std::stoll(digits);
        return true;
    };
    long long pid = 0, written = 0, count = -1;
    if (lines.size() < 4 || lines[0] != kJournalHead || !number(lines[1], "writer", pid) ||
        !number(lines[2], "written", written) || !number(lines.back(), "end", count)) {
        why = "it is not a journal of this program";
        return false;
    }
    j = Journal();
    j.pid = static_cast<long>(pid);
    j.written = written;
    for (size_t i = 3; i + 1 < lines.size(); ++i) {
        const std::vector<std::string> f = fields(lines[i]);
        std::vector<std::string> names(f.size());
        for (size_t k = 1; k < f.size(); ++k)
            if (!decodeName(f[k], names[k])) {
                why = "line " + std::to_string(i + 1) + " names no file";
                return false;
            }
        for (size_t k = 1; k < f.size(); ++k)
            if (!bareName(names[k])) {
                why = "line " + std::to_string(i + 1) + " names a file outside its folder";
                return false;
            }
        if (f[0] == "replace" && f.size() == 4 && leftoverOf(names[1], names[2], kTempMark) &&
            leftoverOf(names[3], names[2], kOldMark))
            j.replaced.push_back({inFolder(folder, names[1]), inFolder(folder, names[2]), inFolder(folder, names[3])});
        else if (f[0] == "remove" && f.size() == 3 && leftoverOf(names[2], names[1], kOldMark))
            j.removed.push_back({inFolder(folder, names[1]), inFolder(folder, names[2])});
        else {
            why = "line " + std::to_string(i + 1) + " is not a step of a save";
            return false;
        }
    }
    if (static_cast<size_t>(count) != j.replaced.size() + j.removed.size()) {
        why = "it does not hold the number of steps it names";
        return false;
    }
    return true;
}

std::error_code twice(const std::function<std::error_code()>& operation)
{
    std::error_code ec = operation();
    if (ec && !isMissing(ec))
        ec = operation(); // a fault of the moment (an interrupted call) is not the end of a save
    return isMissing(ec) ? std::error_code() : ec;
}

std::string interruptedMessage(const std::string& journal, const std::string& file, const std::error_code& ec)
{
    const std::string first = journal.substr(0, journal.size() - std::string(kJournalSuffix).size());
    return "An interrupted save of " + first + " cannot be completed (" + file + ": " + ec.message() +
           "); its files are not opened until it is.";
}

// Completes the save `j` guarded by `journal`: whatever is still to do of its renames and
// removals, then the journal, then the old files moved aside. Every step may already be done.
// With `wanted`, only the steps of those files are taken (the ones about to be read); the
// journal stays until every step is done, by the Open of each file it names. So a journal
// can never change a file that is not being opened, whatever it says.
bool rollForward(const std::string& journal, const Journal& j, FileSystem& files, std::string& error,
                 const std::set<std::string>* wanted = nullptr)
{
    const auto mine = [&](const std::string& target) { return !wanted || wanted->count(normalised(target)) > 0; };
    for (const auto& r : j.replaced) {
        if (!mine(r.target))
            continue;
        const std::error_code ec = files.rename(r.temp, r.target, true);
        if (ec && !isMissing(ec)) {
            error = interruptedMessage(journal, r.target, ec);
            return false;
        }
        files.remove(r.backup);
    }
    for (const auto& r : j.removed) {
        if (!mine(r.target))
            continue;
        const std::error_code ec = files.remove(r.target);
        if (ec && !isMissing(ec)) {
            error = interruptedMessage(journal, r.target, ec);
            return false;
        }
        files.remove(r.backup);
    }
    files.flushFolder(folderOf(journal)); // the renames stand either way; a failed flush only risks a power cut
    for (const auto& r : j.replaced)
        if (files.exists(r.temp))
            return true; // a step of a file not being opened stays for that file's Open
    for (const auto& r : j.removed)
        if (files.exists(r.target))
            return true;
    const std::error_code ec = files.remove(journal);
    if (ec && !isMissing(ec)) {
        error = interruptedMessage(journal, journal, ec);
        return false;
    }
    for (const auto& r : j.replaced)
        files.remove(r.backup);
    for (const auto& r : j.removed)
        files.remove(r.backup);
    return true;
}

// A journal found beside a set: waited for while its writer runs (a save in progress takes
// milliseconds), else completed (only for the `wanted` files, when given). True when it is
// settled afterwards.
bool settleJournal(const std::string& journal, FileSystem& files, std::string& error,
                   const std::set<std::string>* wanted = nullptr)
{
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        std::string text, why;
        if (!ReadWholeFile(journal, text, why)) {
            if (!files.exists(journal))
                return true; // its writer finished meanwhile
            error = "The file " + journal + " of an interrupted save cannot be read; its files are not opened.";
            return false;
        }
        Journal j;
        if (!parseJournal(text, folderOf(journal), j, why)) {
            error = "The file " + journal + " of an interrupted save is damaged (" + why +
                    "); the files it names may be from two saves and are not opened.";
            return false;
        }
        const bool running = j.pid != files.processId() && files.processAlive(j.pid);
        const long long age = secondsNow() - j.written; // a time to come is no younger than now
        const bool young = age >= 0 && age < kAbandonedSaveSeconds;
        const bool patient = std::chrono::steady_clock::now() - start < std::chrono::seconds(kAbandonedSaveSeconds);
        if (running && young && patient) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        return rollForward(journal, j, files, error, wanted);
    }
}

bool concerns(const Journal& j, const std::set<std::string>& wanted)
{
    for (const auto& r : j.replaced)
        if (wanted.count(normalised(r.target)))
            return true;
    for (const auto& r : j.removed)
        if (wanted.count(normalised(r.target)))
            return true;
    return false;
}

// One save of a set in progress: the temporaries written, the journal, and the steps taken.
class SetSave {
public:
    SetSave(FileSystem& files, const FileTexts& write, const std::vector<std::string>& remove)
        : m_files(files), m_write(write), m_remove(remove),
          m_first(write.empty() ? remove.front() : write.front().first)
    {}

    bool run(std::string& error)
    {
        if (!writeTemporaries(error))
            return false;
        if (m_write.size() == 1 && m_remove.empty())
            return renameSingle(error);
        if (!writeJournal(error) || !commit(error))
            return false;
        return apply(error);
    }

private:
    struct Step {
        std::string from, to;
        bool asideOld; // an old file moved aside, removed once the save stands
    };

    std::string cannotWrite(const std::string& file, const std::error_code& ec) const
    {
        return "The file " + file + " cannot be written: " + ec.message() + ".";
    }

    void removeTemporaries()
    {
        for (const auto& r : m_journal.replaced)
            twice([&]() { return m_files.remove(r.temp); });
        if (!m_journalTemp.empty())
            twice([&]() { return m_files.remove(m_journalTemp); });
    }

    bool writeOne(const std::string& path, const std::string& text, std::string& temp, std::error_code& ec)
    {
        FileSystem::Handle handle = -1;
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = path + kTempMark + newToken(m_files.processId());
            ec = m_files.createExclusive(temp, handle);
            if (ec != std::errc::file_exists)
                break;
        }
        if (ec) {
            temp.clear();
            return false;
        }
        ec = m_files.write(handle, text.data(), text.size());
        if (!ec)
            ec = m_files.flush(handle);
        const std::error_code closed = m_files.close(handle);
        if (!ec)
            ec = closed;
        return !ec;
    }

    bool writeTemporaries(std::string& error)
    {
        m_token = newToken(m_files.processId());
        for (const auto& [path, text] : m_write) {
            std::string temp;
            std::error_code ec;
            const bool written = writeOne(path, text, temp, ec);
            if (!temp.empty())
                m_journal.replaced.push_back({temp, path, path + kOldMark + m_token});
            if (!written) {
                error = cannotWrite(path, ec);
                removeTemporaries();
                return false;
            }
        }
        for (const std::string& path : m_remove)
            m_journal.removed.push_back({path, path + kOldMark + m_token});
        return true;
    }

    // One file needs no journal: its rename is the one step of the save.
    bool renameSingle(std::string& error)
    {
        const Journal::Replace& r = m_journal.replaced.front();
        const std::error_code ec = m_files.rename(r.temp, r.target, true);
        if (ec) {
            error = cannotWrite(r.target, ec);
            removeTemporaries();
            return false;
        }
        m_files.flushFolder(folderOf(r.target)); // the file stands either way
        return true;
    }

    bool writeJournal(std::string& error)
    {
        m_journalPath = JournalPath(m_first);
        m_journal.pid = m_files.processId();
        m_journal.written = secondsNow();
        std::error_code ec;
        if (!writeOne(m_journalPath, journalText(m_journal), m_journalTemp, ec)) {
            error = cannotWrite(m_first, ec);
            removeTemporaries();
            return false;
        }
        return true;
    }

    // The journal appears under its fixed name only where none is: another save of the set
    // holding it is waited for, a dead one's completed.
    bool commit(std::string& error)
    {
        const std::string& first = m_first;
        const auto start = std::chrono::steady_clock::now();
        for (;;) {
            std::error_code ec = m_files.rename(m_journalTemp, m_journalPath, false);
            if (!ec)
                break;
            if (ec != std::errc::file_exists) {
                error = cannotWrite(first, ec);
                removeTemporaries();
                return false;
            }
            // Another user's journal under this name is not ours to complete or wait for.
            if (m_files.exists(m_journalPath) && !m_files.ownedByUser(m_journalPath)) {
                error = "The file " + m_journalPath + ", an unfinished save of another user, is in the way: " +
                        first + " was not saved.";
                removeTemporaries();
                return false;
            }
            if (!settleJournal(m_journalPath, m_files, error) ||
                std::chrono::steady_clock::now() - start > std::chrono::seconds(kAbandonedSaveSeconds)) {
                if (error.empty())
                    error = "Another program keeps saving " + first + "; it was not saved.";
                removeTemporaries();
                return false;
            }
        }
        m_journalTemp.clear();
        // The journal is on the disk before any file of the set changes.
        if (const std::error_code ec = m_files.flushFolder(folderOf(m_journalPath))) {
            error = cannotWrite(first, ec);
            return undo(error);
        }
        return true;
    }

    // Moves `from` to `to`, remembered for the undo; a missing `from` is no step.
    std::error_code step(const std::string& from, const std::string& to, bool asideOld)
    {
        const std::error_code ec = m_files.rename(from, to, true);
        if (!ec)
            m_steps.push_back({from, to, asideOld});
        return isMissing(ec) && asideOld ? std::error_code() : ec;
    }

    bool apply(std::string& error)
    {
        for (const auto& r : m_journal.replaced) {
            std::error_code ec = step(r.target, r.backup, true);
            if (!ec)
                ec = step(r.temp, r.target, false);
            if (ec) {
                error = cannotWrite(r.target, ec);
                return undo(error);
            }
        }
        for (const auto& r : m_journal.removed)
            if (const std::error_code ec = step(r.target, r.backup, true)) {
                error = "The file " + r.target + " cannot be removed: " + ec.message() + ".";
                return undo(error);
            }
        if (const std::error_code ec = m_files.flushFolder(folderOf(m_journalPath))) {
            error = cannotWrite(m_first, ec);
            return undo(error);
        }
        if (const std::error_code ec = m_files.remove(m_journalPath); ec && !isMissing(ec)) {
            error = cannotWrite(m_first, ec);
            return undo(error);
        }
        // The new set stands; the old files moved aside go.
        for (const Step& s : m_steps)
            if (s.asideOld)
                twice([&]() { return m_files.remove(s.to); });
        return true;
    }

    // Takes the steps back in reverse order, so that at every moment the files are as some moment
    // of the save left them, and a kill meanwhile is completed by the journal as a kill during
    // the save would be. Always false: the save did not happen (the message says how it ended).
    bool undo(std::string& error)
    {
        bool undone = true;
        for (auto s = m_steps.rbegin(); undone && s != m_steps.rend(); ++s)
            undone = !twice([&]() { return m_files.rename(s->to, s->from, true); });
        if (!undone) {
            std::string why;
            error += rollForward(m_journalPath, m_journal, m_files, why)
                         ? " The save could not be undone and was completed instead."
                         : " The save could not be undone; it is completed when the files are next opened.";
            return false;
        }
        if (twice([&]() { return m_files.remove(m_journalPath); })) {
            error += " The save could not be undone; it is completed when the files are next opened.";
            return false;
        }
        removeTemporaries();
        return false;
    }

    FileSystem& m_files;
    const FileTexts& m_write;
    const std::vector<std::string>& m_remove;
    const std::string m_first; // the set's first file: its journal's name, and the messages'
    std::string m_token;
    Journal m_journal;
    std::string m_journalPath, m_journalTemp;
    std::vector<Step> m_steps;
};

} // namespace

std::string JournalPath(const std::string& firstFile) { return firstFile + kJournalSuffix; }

bool ReadWholeFile(const std::string& path, std::string& content, std::string& error)
{
    std::error_code ec;
    if (!fs::is_regular_file(NativePath(path), ec)) {
        error = "The file " + path + " does not exist or cannot be read.";
        return false;
    }
    const std::uintmax_t bytes = fs::file_size(NativePath(path), ec);
    if (!ec && bytes > kLargestFile) {
        error = "The file " + path + " is too large (" + std::to_string(bytes >> 20) +
                " MB) to be one of this program's files.";
        return false;
    }
    std::ifstream in(NativePath(path), std::ios::binary | std::ios::ate);
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

bool RecoverFiles(const std::vector<std::string>& paths, std::string& error, FileSystem& files)
{
    std::set<std::string> folders, wanted;
    for (const std::string& p : paths) {
        folders.insert(folderOf(p));
        wanted.insert(normalised(p));
    }
    for (const std::string& folder : folders) {
        std::vector<std::string> names;
        // A folder that cannot be listed has nothing to settle that could be seen; the reading
        // that follows says what is wrong with it.
        if (files.listFolder(folder, names))
            continue;
        std::set<std::string> targets; // the names whose leftovers are this set's
        for (const std::string& p : paths)
            if (folderOf(p) == folder) {
                targets.insert(nameOf(p));
                targets.insert(nameOf(JournalPath(p)));
            }
        const std::string suffix = kJournalSuffix;
        for (const std::string& name : names) {
            if (name.size() <= suffix.size() || name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                continue;
            const std::string journal = inFolder(folder, name);
            // Only this user's saves are settled: a journal another user put into a shared
            // folder is never read, waited for or carried out.
            if (!files.ownedByUser(journal))
                continue;
            std::string text, why;
            Journal j;
            const bool readable = ReadWholeFile(journal, text, why) && parseJournal(text, folder, j, why);
            if ((readable && concerns(j, wanted)) || targets.count(name))
                if (!settleJournal(journal, files, error, &wanted))
                    return false;
        }
        for (const std::string& name : names) {
            std::string target;
            long pid = 0;
            if (ParseSaveLeftover(name, target, pid) && targets.count(target) && pid != files.processId() &&
                !files.processAlive(pid))
                files.remove(inFolder(folder, name)); // one left behind does no harm
        }
    }
    return true;
}

bool SaveFileSet(const FileSet& set, std::string& error, FileSystem& files)
{
    if (set.write.empty() && set.remove.empty())
        return true;
    // A target that is a folder could never be replaced: refuse before anything is written.
    for (const auto& file : set.write)
        if (files.isFolder(file.first)) {
            error = "The file " + file.first + " cannot be written: it is a folder.";
            return false;
        }
    std::vector<std::string> removals, all;
    for (const auto& file : set.write)
        all.push_back(file.first);
    for (const std::string& path : set.remove)
        if (!files.isFolder(path)) {
            removals.push_back(path);
            all.push_back(path);
        }
    if (all.empty())
        return true;
    // The journal names files beside it only.
    const std::string folder = normalised(folderOf(all.front()).empty() ? "." : folderOf(all.front()));
    for (const std::string& path : all)
        if (normalised(folderOf(path).empty() ? "." : folderOf(path)) != folder) {
            error = "The file " + path + " cannot be written with " + all.front() +
                    ": the files of one save share a folder.";
            return false;
        }
    if (!RecoverFiles(all, error, files))
        return false;
    SetSave save(files, set.write, removals);
    return save.run(error);
}

bool WriteFilesAtomically(const FileTexts& files, std::string& error) { return SaveFileSet({files, {}}, error); }

} // namespace ode
