#include "gui/grids/frmGridEditor.h"

#include "gui/app/Guard.h"

#include <QEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>

#include <cmath>

namespace ode::grids {

bool EntryFocusSeen = false;

FrmGridEditor::FrmGridEditor(Kind kind, QWidget* parent) : QWidget(parent, Qt::Window), m_kind(kind)
{
    const bool conditions = kind == Kind::Conditions;
    setObjectName(conditions ? "frmBCs" : "frmEquations");
    setWindowTitle(conditions ? "Boundary Conditions" : "Differential Equations");
    m_names = new QLabel(conditions ? "Dep. Variables:" : "Variables:", this);
    m_names->setObjectName("lblVarNams");
    m_grid = new QTableWidget(0, 2, this);
    m_grid->setObjectName(conditions ? "MSFlexGridBCs" : "MSFlexGridEqs");
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setColumnWidth(0, 60);
    m_grid->installEventFilter(this);
    if (conditions) {
        // Present in the design beside the conditions grid; the editor does not use it.
        m_unusedGrid = new QTableWidget(0, 1, this);
        m_unusedGrid->setObjectName("MSFlexGridBP");
        m_unusedGrid->hide();
    }
    m_exit = new QPushButton("OK", this);
    m_exit->setObjectName("cmdExit");
    m_entry = new QLineEdit(m_grid->viewport());
    m_entry->setObjectName("txtDataEntry");
    m_entry->hide();
    m_entry->installEventFilter(this);

    auto* layout = new QGridLayout(this);
    layout->addWidget(m_names, 0, 0);
    layout->addWidget(m_grid, 1, 0, 1, 2);
    layout->addWidget(m_exit, 2, 1, Qt::AlignRight);
    resize(640, 260);

    connect(m_grid, &QTableWidget::cellClicked, this, app::Guarded(this, [this](int row, int column) {
                if (column == 0)
                    return;
                m_startedByTyping = false;
                m_grid->setCurrentCell(row, column);
                QString text = cellText(row);
                placeEntry(text, text);
            }));
    connect(m_entry, &QLineEdit::textChanged, this, app::Guarded(this, [this](const QString&) { WriteBack(); }));
    connect(m_exit, &QPushButton::clicked, this, app::Guarded(this, [this]() { exitClicked(); }));
    // Escape closes the editor as Exit does (what was typed is written back).
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, this, app::Guarded(this, [this]() { exitClicked(); }));
}

void FrmGridEditor::setRowCount(int rows)
{
    m_grid->setRowCount(rows);
    // The grid opens on an editable cell, not on the row's label, so typing starts an entry.
    if (rows > 0 && m_grid->currentColumn() != 1)
        QTimer::singleShot(0, this, [this]() {
            if (m_grid->rowCount() > 0 && m_grid->currentColumn() != 1)
                m_grid->setCurrentCell(0, 1);
        });
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 2; ++c)
            if (!m_grid->item(r, c)) {
                auto* item = new QTableWidgetItem();
                if (c == 1)
                    item->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                m_grid->setItem(r, c, item);
            }
}

void FrmGridEditor::setRowLabel(int row, const QString& text)
{
    if (row >= m_grid->rowCount())
        setRowCount(row + 1);
    m_grid->item(row, 0)->setText(text);
}

void FrmGridEditor::setCellText(int row, const QString& text)
{
    if (row >= m_grid->rowCount())
        setRowCount(row + 1);
    m_grid->item(row, 1)->setText(text);
}

QString FrmGridEditor::cellText(int row) const
{
    auto* item = m_grid->item(row, 1);
    return item ? item->text() : QString();
}

void FrmGridEditor::setVariableNames(const QString& caption) { m_names->setText(caption); }

bool FrmGridEditor::editing() const { return m_entry->isVisible(); }

void FrmGridEditor::WriteBack()
{
    if (!m_entry->isVisible())
        return;
    const int row = m_grid->currentRow(), column = m_grid->currentColumn();
    if (row >= 0 && column >= 0 && m_grid->item(row, column))
        m_grid->item(row, column)->setText(m_entry->text());
    if (!m_target)
        return;
    for (int r = 0; r < m_grid->rowCount(); ++r)
        m_target(r, cellText(r));
}

void FrmGridEditor::placeEntry(const QString& text, const QString& tooltip)
{
    const QModelIndex index = m_grid->model()->index(m_grid->currentRow(), m_grid->currentColumn());
    m_entry->setGeometry(m_grid->visualRect(index));
    m_entry->setToolTip(tooltip);
    m_entry->blockSignals(true);
    m_entry->setText(text);
    m_entry->blockSignals(false);
    m_entry->show();
    m_entry->setFocus(Qt::OtherFocusReason);
}

void FrmGridEditor::ShowEditor()
{
    m_startedByTyping = false;
    QString text = cellText(m_grid->currentRow());
    placeEntry(text, text);
}

void FrmGridEditor::startTyping(const QString& character)
{
    m_startedByTyping = true;
    const QString old = cellText(m_grid->currentRow());
    placeEntry(QString(), old);
    m_entry->setText(character); // the typed character replaces the cell's text
    m_entry->setCursorPosition(1);
}

void FrmGridEditor::MoveCell(int key)
{
    const int cols = m_grid->columnCount(), rows = m_grid->rowCount(), fixedRows = 0;
    if (rows == 0)
        return;
    int row = m_grid->currentRow(), column = m_grid->currentColumn();
    switch (key) {
    case Qt::Key_Left:
        if (column >= 2) {
            column -= 1;
        } else {
            column = cols - 1;
            row = row == 0 ? rows - 1 : row - 1;
        }
        break;
    case Qt::Key_Up:
        row = row > fixedRows ? row - 1 : rows - 1;
        break;
    case Qt::Key_Right:
        if (column < cols - 1) {
            column += 1;
        } else {
            column = 1;
            row = row >= rows - 1 ? 0 : row + 1;
        }
        break;
    case Qt::Key_Down:
        row = row < rows - 1 ? row + 1 : 0;
        break;
    default:
        return;
    }
    m_grid->setFocus(Qt::OtherFocusReason);
    m_grid->setCurrentCell(row, column);
}

void FrmGridEditor::exitClicked()
{
    WriteBack();
    hide();
    m_entry->hide();
}

bool FrmGridEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_entry && event->type() == QEvent::FocusIn) {
        if (EntryFocusSeen) {
            // An edit started by typing keeps its character: the next key goes after it.
            if (!m_startedByTyping)
                m_entry->selectAll();
        } else {
            EntryFocusSeen = true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const int k = key->key();
    const bool arrow = k == Qt::Key_Left || k == Qt::Key_Up || k == Qt::Key_Right || k == Qt::Key_Down;
    if (watched == m_entry && arrow) {
        MoveCell(k);
        ShowEditor();
        return true;
    }
    if (watched == m_grid) {
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() && m_grid->currentColumn() >= 1) {
            startTyping(text.left(1));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void LayOutGridColumns(FrmGridEditor& equations, FrmGridEditor& conditions)
{
    const int width0 = equations.grid()->columnWidth(0);
    const int width1 = static_cast<int>(std::lround(8.8 * width0));
    equations.grid()->setColumnWidth(1, width1);
    conditions.grid()->setColumnWidth(1, width1);
}

} // namespace ode::grids
