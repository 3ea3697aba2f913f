#include "gui/app/frmExport.h"

#include "common/Limits.h"
#include "common/NumberFormat.h"
#include "gui/app/Guard.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace ode::app {

namespace {

struct KindItem {
    ExportKind kind;
    const char* caption;
    const char* extension; // "" for a folder
    const char* filter;
};

const KindItem kKinds[] = {
    {ExportKind::Csv, "CSV: coefficients (and a grid of values)", ".csv", "CSV files (*.csv)"},
    {ExportKind::Json, "JSON: the whole problem and solution", ".json", "JSON files (*.json)"},
    {ExportKind::Latex, "LaTeX: the series as a formula", ".tex", "LaTeX files (*.tex)"},
    {ExportKind::Python, "Python: a module with a function a variable", ".py", "Python modules (*.py)"},
    {ExportKind::C, "C: a C99 file with a function a variable", ".c", "C files (*.c)"},
    {ExportKind::Octave, "Octave/MATLAB: a function file a variable, in a folder", "", ""},
};

const KindItem& ItemOf(ExportKind kind)
{
    for (const KindItem& k : kKinds)
        if (k.kind == kind)
            return k;
    return kKinds[0];
}

} // namespace

FrmExport::FrmExport(Solution solution, const QString& baseName, QWidget* parent)
    : QDialog(parent), m_solution(std::move(solution)), m_baseName(baseName.isEmpty() ? "solution" : baseName)
{
    setObjectName("frmExport");
    setWindowTitle("Export");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout();
    cboExportKind = new QComboBox(this);
    cboExportKind->setObjectName("cboExportKind");
    for (const KindItem& k : kKinds)
        cboExportKind->addItem(k.caption, static_cast<int>(k.kind));
    form->addRow("Export as:", cboExportKind);
    auto* pathRow = new QHBoxLayout();
    txtExportPath = new QLineEdit(this);
    txtExportPath->setObjectName("txtExportPath");
    txtExportPath->setMinimumWidth(fontMetrics().horizontalAdvance('0') * 40);
    cmdBrowse = new QPushButton("Browse...", this);
    cmdBrowse->setObjectName("cmdBrowse");
    pathRow->addWidget(txtExportPath, 1);
    pathRow->addWidget(cmdBrowse);
    form->addRow("File:", pathRow);
    txtExportGrid = new QLineEdit("0", this);
    txtExportGrid->setObjectName("txtExportGrid");
    txtExportGrid->setToolTip("Values and derivatives at N+1 equally spaced points into NAME-grid.csv; 0 for none");
    txtExportGrid->setMaximumWidth(fontMetrics().horizontalAdvance('0') * 10);
    form->addRow("Grid intervals:", txtExportGrid);
    layout->addLayout(form);
    lblExportStatus = new QLabel(this);
    lblExportStatus->setObjectName("lblExportStatus");
    lblExportStatus->setWordWrap(true);
    layout->addWidget(lblExportStatus);
    auto* buttons = new QDialogButtonBox(this);
    cmdExport = buttons->addButton("Export", QDialogButtonBox::AcceptRole);
    cmdExport->setObjectName("cmdExport");
    cmdExport->setDefault(true);
    cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName("cmdCancel");
    layout->addWidget(buttons);

    choosePath = [this](ExportKind k, const QString& current) {
        const KindItem& item = ItemOf(k);
        if (k == ExportKind::Octave)
            return QFileDialog::getExistingDirectory(this, "Export into folder", current);
        return QFileDialog::getSaveFileName(this, "Export", current, item.filter);
    };
    connect(cboExportKind, qOverload<int>(&QComboBox::currentIndexChanged), this,
            Guarded(this, [this]() { kindChanged(); }));
    connect(cmdBrowse, &QPushButton::clicked, this, Guarded(this, [this]() {
                const QString chosen = choosePath(kind(), txtExportPath->text());
                if (!chosen.isEmpty())
                    txtExportPath->setText(chosen);
            }));
    connect(cmdExport, &QPushButton::clicked, this, Guarded(this, [this]() {
                if (exportNow())
                    accept();
            }));
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    kindChanged();
}

ExportKind FrmExport::kind() const { return static_cast<ExportKind>(cboExportKind->currentData().toInt()); }

void FrmExport::kindChanged()
{
    const KindItem& item = ItemOf(kind());
    txtExportGrid->setEnabled(kind() == ExportKind::Csv);
    // The name follows the kind: the problem's name with the kind's extension (a folder of
    // that name for Octave), in the folder already typed.
    const QString ending = item.extension[0] ? item.extension : "-octave";
    const QString typed = txtExportPath->text();
    const int slash = static_cast<int>(std::max(typed.lastIndexOf('/'), typed.lastIndexOf('\\')));
    if (typed.isEmpty())
        txtExportPath->setText(m_baseName + ending); // beside the problem's files
    else // in the folder already typed
        txtExportPath->setText(typed.left(slash + 1) + QFileInfo(m_baseName).fileName() + ending);
    lblExportStatus->clear();
}

bool FrmExport::exportNow()
{
    const std::string grid = txtExportGrid->text().trimmed().toStdString();
    const long intervals = ParseWholeNumber(grid);
    if (kind() == ExportKind::Csv && !CheckGridIntervalsText(grid, 0)) {
        lblExportStatus->setText(
            QString("The grid is a whole number of intervals from 0 (none) to %1.").arg(kMaxGridIntervals));
        txtExportGrid->setFocus();
        return false;
    }
    ExportOptions options;
    options.gridIntervals = kind() == ExportKind::Csv ? static_cast<int>(intervals) : 0;
    std::string error;
    std::vector<std::string> written;
    if (!WriteExport(m_solution, kind(), txtExportPath->text().trimmed().toStdString(), options, error, &written)) {
        lblExportStatus->setText(QString::fromStdString(error));
        return false;
    }
    QStringList files;
    for (const std::string& f : written)
        files << QString::fromStdString(f);
    if (exported)
        exported(files);
    return true;
}

} // namespace ode::app
