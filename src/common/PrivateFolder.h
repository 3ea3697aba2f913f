#pragma once
// A run's own folder in the temporary folder (for the systems' scratch file): its name,
// PREFIX-PID-RANDOM, cannot be guessed and is created only where nothing is (mkdtemp; an
// exclusive _mkdir on Windows), readable by its owner only, and it goes with everything in it
// when the object does. Folders of the same pattern left by runs that were killed are removed
// when a new one is made: only real folders (not links) of this user whose process is gone.

#include <string>

namespace ode {

class PrivateFolder {
public:
    // In `parent` (the temporary folder when empty).
    explicit PrivateFolder(const std::string& prefix = "odeseries", const std::string& parent = {});
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Empty when the folder could not be made (then `error` says why).
    const std::string& path() const { return m_path; }
    const std::string& error() const { return m_error; }

private:
    std::string m_path, m_error;
};

// Removes the folders PREFIX-PID-RANDOM in `parent` left by processes that no longer run, as
// described above. Returns how many went.
int RemoveStalePrivateFolders(const std::string& parent, const std::string& prefix);

} // namespace ode
