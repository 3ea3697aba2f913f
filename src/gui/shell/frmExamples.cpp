#include "gui/shell/frmExamples.h"

#include "gui/app/Guard.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ode::shell {

FrmExamples::FrmExamples(DemoLibrary library, QWidget* parent) : QDialog(parent), m_library(std::move(library))
{
    setObjectName("frmExamples");
    setWindowTitle("Examples");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel("Choose a ready problem; it opens in its form, ready to Solve.", this);
    intro->setObjectName("lblExamplesIntro");
    layout->addWidget(intro);
    txtExamplesFilter = new QLineEdit(this);
    txtExamplesFilter->setObjectName("txtExamplesFilter");
    txtExamplesFilter->setPlaceholderText("Find: Bessel, system, periodic, exact ...");
    txtExamplesFilter->setClearButtonEnabled(true);
    layout->addWidget(txtExamplesFilter);

    lstExamples = new QTreeWidget(this);
    lstExamples->setObjectName("lstExamples");
    lstExamples->setHeaderLabels({"Example", "Kind"});
    lstExamples->setRootIsDecorated(false);
    lstExamples->setUniformRowHeights(true);
    lstExamples->setAllColumnsShowFocus(true);
    for (const Demo& d : m_library.demos) {
        auto* item = new QTreeWidgetItem({QString::fromStdString(d.name), DemoKindCaption(d.kind)});
        item->setToolTip(0, QString::fromStdString(d.description));
        lstExamples->addTopLevelItem(item);
    }
    lstExamples->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    layout->addWidget(lstExamples, 1);

    lblExampleDescription = new QLabel(this);
    lblExampleDescription->setObjectName("lblExampleDescription");
    lblExampleDescription->setWordWrap(true);
    lblExampleDescription->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for three lines of description, so the window does not jump while choosing.
    lblExampleDescription->setMinimumHeight(fontMetrics().lineSpacing() * 3 + 4);
    lblExampleDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(lblExampleDescription);

    auto* buttons = new QDialogButtonBox(this);
    cmdOpenExample = buttons->addButton("Open", QDialogButtonBox::AcceptRole);
    cmdOpenExample->setObjectName("cmdOpenExample");
    cmdOpenExample->setDefault(true);
    cmdCancel = buttons->addButton(QDialogButtonBox::Cancel);
    cmdCancel->setObjectName("cmdCancel");
    layout->addWidget(buttons);

    connect(txtExamplesFilter, &QLineEdit::textChanged, this,
            app::Guarded(this, [this](const QString& words) { filter(words); }));
    connect(lstExamples, &QTreeWidget::currentItemChanged, this, app::Guarded(this, [this]() { showDescription(); }));
    connect(lstExamples, &QTreeWidget::itemActivated, this, app::Guarded(this, [this]() { openChosen(); }));
    connect(cmdOpenExample, &QPushButton::clicked, this, app::Guarded(this, [this]() { openChosen(); }));
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    if (m_library.demos.empty()) {
        QString why = m_library.problems.empty() ? QString() : QString::fromStdString(m_library.problems.front());
        lblExampleDescription->setText("No examples are installed: " + why + ".");
        cmdOpenExample->setEnabled(false);
    } else {
        lstExamples->setCurrentItem(lstExamples->topLevelItem(0));
    }
    lstExamples->setFocus();
    resize(640, 480);
}

void FrmExamples::filter(const QString& words)
{
    const QStringList wanted = words.split(' ', Qt::SkipEmptyParts);
    QTreeWidgetItem* first = nullptr;
    for (int row = 0; row < lstExamples->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = lstExamples->topLevelItem(row);
        const QString text = item->text(0) + ' ' + item->text(1) + ' ' + item->toolTip(0);
        const bool shown = std::all_of(wanted.begin(), wanted.end(),
                                       [&](const QString& w) { return text.contains(w, Qt::CaseInsensitive); });
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    // The choice stays on a demo that is shown.
    if (!lstExamples->currentItem() || lstExamples->currentItem()->isHidden())
        lstExamples->setCurrentItem(first);
    if (!first) {
        lblExampleDescription->setText("No example holds those words.");
        cmdOpenExample->setEnabled(false);
    }
}

void FrmExamples::showDescription()
{
    const int row = lstExamples->indexOfTopLevelItem(lstExamples->currentItem());
    cmdOpenExample->setEnabled(row >= 0);
    if (row >= 0)
        lblExampleDescription->setText(QString::fromStdString(m_library.demos[static_cast<size_t>(row)].description));
}

void FrmExamples::openChosen()
{
    const int row = lstExamples->indexOfTopLevelItem(lstExamples->currentItem());
    if (row < 0 || lstExamples->currentItem()->isHidden())
        return;
    const Demo demo = m_library.demos[static_cast<size_t>(row)];
    accept(); // closes (and deletes) the window before the form of another kind appears
    if (opened)
        opened(demo);
}

} // namespace ode::shell
