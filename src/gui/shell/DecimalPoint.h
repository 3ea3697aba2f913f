#pragma once
// The decimal-separator guard. Every number the program reads or writes uses "."; when the
// user's setting says otherwise the program offers to switch to "." for the run and puts the
// setting back at exit.

#include <functional>
#include <memory>
#include <string>

namespace ode::shell {

// Where the user's decimal separator lives: the user locale's LOCALE_SDECIMAL on Windows; the
// numeric locale of the environment elsewhere, switched for this process only.
class DecimalSeparatorSetting {
public:
    virtual ~DecimalSeparatorSetting() = default;
    virtual std::string read() = 0;
    virtual void write(const std::string& separator) = 0;
};

// The setting of this platform.
std::unique_ptr<DecimalSeparatorSetting> PlatformDecimalSetting();

enum class WarningAnswer { Yes, No, Cancel };

// The warning box's title and its eight lines, each but the last ended by a carriage return.
extern const char* const kDecimalWarningTitle;
std::string DecimalWarningPrompt();

class DecimalPoint {
public:
    explicit DecimalPoint(DecimalSeparatorSetting& setting) : m_setting(setting) {}

    // GetDecimalSeparator: reads the separator into SavedDecimalSeparator (NULs cut off).
    void GetDecimalSeparator();
    // SetDecimalPoint: the separator becomes ".".
    void SetDecimalPoint() { m_setting.write("."); }
    // RestoreDecimalSeparator: writes SavedDecimalSeparator back.
    void RestoreDecimalSeparator() { m_setting.write(m_saved); }

    // CheckDecimalPoint: with "." nothing happens; otherwise `ask` shows the warning and Yes
    // switches to "." (true: go on), No or Cancel leave everything as it was (false: end).
    bool CheckDecimalPoint(const std::function<WarningAnswer()>& ask);

    const std::string& SavedDecimalSeparator() const { return m_saved; }

private:
    DecimalSeparatorSetting& m_setting;
    std::string m_saved;
};

} // namespace ode::shell
