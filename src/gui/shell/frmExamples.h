#pragma once
// The demos library's window: one line a demo (its name and kind), the chosen demo's
// description beneath, Open and Cancel. Open (or a double-click, or Enter) hands the demo to
// `opened` and closes the window.

#include "session/Demos.h"

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace ode::shell {

class FrmExamples : public QDialog {
    Q_OBJECT
public:
    FrmExamples(DemoLibrary library, QWidget* parent);

    QLineEdit* txtExamplesFilter; // shows only the demos whose name, kind or description hold the words
    QTreeWidget* lstExamples;
    QLabel* lblExampleDescription;
    QPushButton* cmdOpenExample;
    QPushButton* cmdCancel;

    std::function<void(const Demo&)> opened;

private:
    void showDescription();
    void filter(const QString& words);
    void openChosen();

    DemoLibrary m_library;
};

} // namespace ode::shell
