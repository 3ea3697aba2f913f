#pragma once
// The user constants of a problem form: entries "name=value" in list order, as the combo box
// cboConstants and ConstantText hold them.

#include <optional>
#include <string>
#include <vector>

namespace ode::script {

class ConstantList {
public:
    // ConstantText has room for this many entries (indices 0 to 100).
    static constexpr size_t Capacity = 101;

    enum class AddResult { Added, Replaced, Ignored, Full };

    // cmdAddCons_Click: takes the combo's text. Nothing happens (Ignored) without "=", or when
    // the name before the first "=" is not a letter followed by letters and digits. An entry
    // with the same name (exact comparison) is removed first; the text goes to the end.
    // Full: the list has no room for a new name.
    AddResult add(const std::string& text);

    // cmdRemCons_Click: removes entry `index` and returns the statement that sets the removed
    // constant to 0 in the engine ("a=0"); nothing for an index outside the list.
    std::optional<std::string> remove(int index);

    void clear() { m_entries.clear(); }
    void assign(std::vector<std::string> entries) { m_entries = std::move(entries); }

    // ConstantText(0 .. ConstantCount-1)
    const std::vector<std::string>& entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_entries.size()); }

    // The name of an entry: its text before the first "=".
    static std::string nameOf(const std::string& entry);

private:
    std::vector<std::string> m_entries;
};

} // namespace ode::script
