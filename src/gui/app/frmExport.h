#pragma once
// File > Export...: the standing solution written for other programs (CSV, JSON, LaTeX,
// Python, C, Octave). The kind, the file (a folder for Octave) and, for CSV, the grid; Export
// writes it and closes, or says in the window why it could not and stays.

#include "output/Exports.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ode::app {

class FrmExport : public QDialog {
    Q_OBJECT
public:
    // `baseName`: the problem's file name without extension, or "" (then "solution").
    FrmExport(Solution solution, const QString& baseName, QWidget* parent);

    QComboBox* cboExportKind;
    QLineEdit* txtExportPath;
    QPushButton* cmdBrowse;
    QLineEdit* txtExportGrid;
    QLabel* lblExportStatus;
    QPushButton* cmdExport;
    QPushButton* cmdCancel;

    // The file dialog (replaced by the tests): a file name, or a folder for Octave; "" cancels.
    std::function<QString(ExportKind kind, const QString& current)> choosePath;
    // After a successful export: the files written.
    std::function<void(const QStringList& files)> exported;

    ExportKind kind() const;
    // Export: true when the files were written (the window then closes).
    bool exportNow();

private:
    void kindChanged();

    Solution m_solution;
    QString m_baseName;
};

} // namespace ode::app
