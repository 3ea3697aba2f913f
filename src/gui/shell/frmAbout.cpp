#include "gui/shell/frmAbout.h"

#include "gui/app/Messages.h"

#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

namespace ode::shell {

QStringList FrmAbout::lines(const QString& examplesFolder, int examples)
{
    const QStringList pointer =
        examplesFolder.isEmpty() || examples == 0
            ? QStringList{QStringLiteral("Help: the Help menu. No examples are installed.")}
            : QStringList{QStringLiteral("Help: the Help menu. %1 ready examples: Examples... on the first window")
                              .arg(examples),
                          QStringLiteral("and File > Examples... in every form (from %1).").arg(examplesFolder)};
    return QStringList{
               QString(),
               QString(),
               QStringLiteral("ORDINARY DIFFERENTIAL EQUATIONS"),
               QString(),
               QStringLiteral("Finite series solutions: power and trigonometric series"),
               QString(),
               QStringLiteral("ODE Series %1, made by the ODE Series team.").arg(QStringLiteral(ODESERIES_VERSION)),
               QString(),
               QStringLiteral("Judge every result by its listed residuals; no warranty is given."),
               QString()} +
           pointer;
}

FrmAbout::FrmAbout(const QString& examplesFolder, int examples, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmAbout");
    setWindowTitle(QStringLiteral("About %1").arg(app::kApplicationTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(lines(examplesFolder, examples).join('\n'), this);
    text->setObjectName("lblAbout");
    text->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text->setAttribute(Qt::WA_TransparentForMouseEvents);
    layout->addWidget(text);
    resize(480, 300);
}

void FrmAbout::mousePressEvent(QMouseEvent*) { close(); }

void FrmAbout::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace ode::shell
