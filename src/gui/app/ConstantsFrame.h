#pragma once
// The "User constants" frame every problem form has: the combo box cboConstants with its list
// of entries "name=value", and the buttons cmdAddCons and cmdRemCons. Enter in the combo adds
// like the button; a removed constant is set to 0 in the form's engine.

#include "script/Constants.h"

#include <QGroupBox>

#include <functional>

class QComboBox;
class QPushButton;

namespace ode::app {

class ConstantsFrame : public QGroupBox {
    Q_OBJECT
public:
    // `execute` runs a statement in the form's engine; `changed` clears the form's results.
    ConstantsFrame(std::function<void(const std::string&)> execute, std::function<void()> changed,
                   QWidget* parent = nullptr);

    QComboBox* cboConstants;
    QPushButton* cmdAddCons;
    QPushButton* cmdRemCons;

    const std::vector<std::string>& entries() const { return m_list.entries(); }
    void setEntries(const std::vector<std::string>& entries);

    void cmdAddCons_Click();
    void cmdRemCons_Click();

private:
    void fill();

    script::ConstantList m_list;
    std::function<void(const std::string&)> m_execute;
    std::function<void()> m_changed;
};

} // namespace ode::app
