#pragma once
// The grid editors: all equations (frmEquations) or all boundary conditions (frmBCs) of the
// open problem in a two-column grid (labels, texts) edited in place. Every keystroke is
// written back into the calling form's boxes, the whole text column at once, so the form
// and the grid never disagree.

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace ode::grids {

// Shared by both editors: false until an entry box first receives the focus.
extern bool EntryFocusSeen;

class FrmGridEditor : public QWidget {
    Q_OBJECT
public:
    enum class Kind { Equations, Conditions };
    explicit FrmGridEditor(Kind kind, QWidget* parent = nullptr);

    QTableWidget* grid() const { return m_grid; }
    QLineEdit* entry() const { return m_entry; }

    // The calling form's boxes: `target(row, text)` sets the box of grid row `row`.
    void setWriteBackTarget(std::function<void(int, const QString&)> target) { m_target = std::move(target); }

    void setRowCount(int rows);
    void setRowLabel(int row, const QString& text);
    void setCellText(int row, const QString& text);
    QString cellText(int row) const;
    void setVariableNames(const QString& caption);

    // WriteBack: the entry box into the current cell, then the whole text column into the form.
    void WriteBack();
    // ShowEditor: the entry box over the current cell with its text, focused.
    void ShowEditor();
    // MoveCell: the arrow-key rules (Qt key codes Left, Up, Right, Down).
    void MoveCell(int key);

    bool editing() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeEntry(const QString& text, const QString& tooltip);
    void startTyping(const QString& character);
    void exitClicked();

    Kind m_kind;
    QTableWidget* m_grid;
    QTableWidget* m_unusedGrid = nullptr;
    QLineEdit* m_entry;
    QPushButton* m_exit;
    QLabel* m_names;
    std::function<void(int, const QString&)> m_target;
    bool m_startedByTyping = false;
};

// The column layout the task chooser gives both grids when it loads: column 1 is 8.8 times
// as wide as column 0 (rounded), its texts aligned left and centred vertically.
void LayOutGridColumns(FrmGridEditor& equations, FrmGridEditor& conditions);

} // namespace ode::grids
