#include "gui/app/ConstantsFrame.h"

#include "equations/BoxChecks.h"
#include "gui/app/FormEvents.h"
#include "gui/app/Guard.h"
#include "linear/LinearFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

namespace ode::app {

ConstantsFrame::ConstantsFrame(std::function<void(const std::string&)> execute, std::function<void()> changed,
                               QWidget* parent)
    : QGroupBox("User constants", parent), m_execute(std::move(execute)), m_changed(std::move(changed))
{
    setObjectName("fraConstants");
    setToolTip("Add or remove user-defined constants");
    auto* layout = new QHBoxLayout(this);
    cboConstants = new QComboBox(this);
    cboConstants->setObjectName("cboConstants");
    cboConstants->setEditable(true);
    cboConstants->setInsertPolicy(QComboBox::NoInsert);
    cboConstants->setToolTip("Example: a=2.37");
    cboConstants->setMinimumWidth(140);
    cmdAddCons = new QPushButton("Add", this);
    cmdAddCons->setObjectName("cmdAddCons");
    cmdAddCons->setToolTip("Add (register) constant");
    cmdRemCons = new QPushButton("Remove", this);
    cmdRemCons->setObjectName("cmdRemCons");
    cmdRemCons->setToolTip("Remove selected constant");
    layout->addWidget(cboConstants);
    layout->addWidget(cmdAddCons);
    layout->addWidget(cmdRemCons);
    connect(cboConstants->lineEdit(), &QLineEdit::textEdited, this, Guarded(this, [this]() { m_changed(); }));
    connect(cboConstants->lineEdit(), &QLineEdit::returnPressed, this, Guarded(this, [this]() { cmdAddCons_Click(); }));
    connect(cmdAddCons, &QPushButton::clicked, this, Guarded(this, [this]() { cmdAddCons_Click(); }));
    connect(cmdRemCons, &QPushButton::clicked, this, Guarded(this, [this]() { cmdRemCons_Click(); }));
}

void ConstantsFrame::fill()
{
    cboConstants->clear();
    for (const auto& entry : m_list.entries())
        cboConstants->addItem(QString::fromStdString(entry));
    cboConstants->setCurrentIndex(-1);
    cboConstants->setEditText(QString());
}

void ConstantsFrame::setEntries(const std::vector<std::string>& entries)
{
    m_list.assign(entries);
    fill();
}

void ConstantsFrame::cmdAddCons_Click()
{
    // An entry the problem file could not give back is refused here, where it is typed.
    const std::string text = cboConstants->currentText().toStdString();
    const auto refusal = FileTextRefusal(ConstantWhat(text), text, kConstantItem);
    auto* window = qobject_cast<QMainWindow*>(this->window());
    cboConstants->setStyleSheet(refusal ? kRefusedBoxStyle : "");
    if (refusal) {
        QApplication::beep();
        cboConstants->setProperty("refused", true);
        if (window)
            window->statusBar()->showMessage(QString::fromStdString(*refusal));
        return;
    }
    if (window && cboConstants->property("refused").toBool())
        window->statusBar()->clearMessage();
    cboConstants->setProperty("refused", false);
    switch (m_list.add(text)) {
    case script::ConstantList::AddResult::Ignored:
        return;
    case script::ConstantList::AddResult::Full:
        QApplication::beep();
        return;
    default:
        break;
    }
    fill();
    m_changed();
}

void ConstantsFrame::cmdRemCons_Click()
{
    const int index = cboConstants->currentIndex();
    if (index < 0 || cboConstants->currentText() != cboConstants->itemText(index))
        return; // no entry of the list is selected
    auto statement = m_list.remove(index);
    if (!statement)
        return;
    m_execute(*statement);
    fill();
    m_changed();
}

} // namespace ode::app
