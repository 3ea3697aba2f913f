#include "script/Constants.h"
#include "common/Text.h"

namespace ode::script {

namespace {} // namespace

std::string ConstantList::nameOf(const std::string& entry) { return entry.substr(0, entry.find('=')); }

ConstantList::AddResult ConstantList::add(const std::string& text)
{
    size_t eq = text.find('=');
    if (eq == std::string::npos)
        return AddResult::Ignored;
    std::string name = text.substr(0, eq);
    if (name.empty() || !IsLetter(name[0]))
        return AddResult::Ignored;
    for (size_t k = 1; k < name.size(); ++k)
        if (!IsLetter(name[k]) && !IsDigit(name[k]))
            return AddResult::Ignored;
    AddResult result = AddResult::Added;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (nameOf(m_entries[i]) == name) {
            m_entries.erase(m_entries.begin() + static_cast<long>(i));
            result = AddResult::Replaced;
            break;
        }
    }
    if (m_entries.size() >= Capacity)
        return AddResult::Full;
    m_entries.push_back(text);
    return result;
}

std::optional<std::string> ConstantList::remove(int index)
{
    if (index < 0 || index >= count())
        return std::nullopt;
    std::string entry = m_entries[static_cast<size_t>(index)];
    m_entries.erase(m_entries.begin() + index);
    return entry.substr(0, entry.find('=') + 1) + "0";
}

} // namespace ode::script
