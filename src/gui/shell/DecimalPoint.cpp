#include "gui/shell/DecimalPoint.h"

#include <QLocale>

#include <clocale>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ode::shell {

const char* const kDecimalWarningTitle = "Decimal Comma Warning!";

std::string DecimalWarningPrompt()
{
    return "Proper operation of this application requires the use of the DECIMAL POINT.\r"
           "Your system is currently using the DECIMAL COMMA.\r"
           "\r"
           "Do you wish to temporarily change this system setting to decimal point?\r"
           "(Upon exiting, this application will restore your setting.)\r"
           "(See \"The decimal point\" in the help file for instructions on how to change MANUALLY)\r"
           "\r"
           "Press YES to change.";
}

void DecimalPoint::GetDecimalSeparator()
{
    std::string s = m_setting.read();
    size_t nul = s.find('\0');
    if (nul != std::string::npos)
        s.resize(nul);
    m_saved = s;
}

bool DecimalPoint::CheckDecimalPoint(const std::function<WarningAnswer()>& ask)
{
    GetDecimalSeparator();
    if (m_saved == ".")
        return true;
    if (ask() != WarningAnswer::Yes)
        return false;
    SetDecimalPoint();
    return true;
}

namespace {

#ifdef _WIN32
// The user default locale's LOCALE_SDECIMAL, a per-user system setting.
class Win32DecimalSetting : public DecimalSeparatorSetting {
public:
    std::string read() override
    {
        LCID lcid = GetUserDefaultLCID();
        int needed = GetLocaleInfoA(lcid, LOCALE_SDECIMAL, nullptr, 0);
        if (needed <= 0)
            return {};
        std::string buffer(static_cast<size_t>(needed), '\0');
        GetLocaleInfoA(lcid, LOCALE_SDECIMAL, buffer.data(), needed);
        return buffer;
    }
    void write(const std::string& separator) override
    {
        SetLocaleInfoA(GetUserDefaultLCID(), LOCALE_SDECIMAL, separator.c_str());
    }
};
#else
// The numeric locale the environment asks for (LC_ALL, LC_NUMERIC, LANG) and Qt's system
// locale. Writing "." switches this process to the C numeric locale and QLocale::c(); writing
// the saved separator back restores both as they were.
class PosixDecimalSetting : public DecimalSeparatorSetting {
public:
    PosixDecimalSetting()
    {
        const char* current = std::setlocale(LC_NUMERIC, nullptr);
        m_processLocale = current ? current : "C";
        const char* user = std::setlocale(LC_NUMERIC, "");
        m_userLocale = user ? user : "C";
        const struct lconv* conv = std::localeconv();
        m_userSeparator = conv && conv->decimal_point ? conv->decimal_point : ".";
        std::setlocale(LC_NUMERIC, m_processLocale.c_str());
        m_qtDefault = QLocale();
    }
    std::string read() override
    {
        QString qt = QLocale::system().decimalPoint();
        if (m_userSeparator == "." && qt != QLatin1String("."))
            return qt.toStdString();
        return m_userSeparator;
    }
    void write(const std::string& separator) override
    {
        if (separator == "." && m_userSeparator != ".") {
            std::setlocale(LC_NUMERIC, "C");
            QLocale::setDefault(QLocale::c());
        } else {
            std::setlocale(LC_NUMERIC, m_processLocale.c_str());
            QLocale::setDefault(m_qtDefault);
        }
    }

private:
    std::string m_processLocale, m_userLocale, m_userSeparator;
    QLocale m_qtDefault;
};
#endif

} // namespace

std::unique_ptr<DecimalSeparatorSetting> PlatformDecimalSetting()
{
#ifdef _WIN32
    return std::make_unique<Win32DecimalSetting>();
#else
    return std::make_unique<PosixDecimalSetting>();
#endif
}

} // namespace ode::shell
