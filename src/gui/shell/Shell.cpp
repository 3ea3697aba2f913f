#include "gui/shell/Shell.h"

#include "common/Utf8.h"
#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"
#include "gui/grids/frmGridEditor.h"
#include "gui/plot/frmPTserN.h"
#include "gui/shell/FormFactory.h"
#include "gui/shell/HelpWindow.h"
#include "gui/shell/frmAbout.h"
#include "gui/shell/frmExamples.h"
#include "gui/shell/frmTask.h"
#include "session/ProblemFiles.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

#include <clocale>
#include <cstdio>

namespace ode::shell {

namespace {

WarningAnswer askWithMessageBox()
{
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kDecimalWarningTitle),
                    QString::fromStdString(DecimalWarningPrompt()).replace('\r', '\n'),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    box.setObjectName("msgDecimalWarning");
    switch (box.exec()) {
    case QMessageBox::Yes:
        return WarningAnswer::Yes;
    case QMessageBox::No:
        return WarningAnswer::No;
    default:
        return WarningAnswer::Cancel;
    }
}

} // namespace

Shell::Shell(std::unique_ptr<DecimalSeparatorSetting> setting)
    : askDecimal(askWithMessageBox), m_setting(std::move(setting)), m_decimal(*m_setting)
{}

Shell::~Shell()
{
    delete m_task;
    delete m_bcs;
    delete m_equations;
    delete m_current;
    delete m_plot;
}

bool Shell::Main()
{
    app::UseReadableDisabledText();
    m_task = new FrmTask(*this);
    m_current = m_task;
    if (!m_decimal.CheckDecimalPoint(askDecimal)) {
        m_ended = true;
        return false;
    }
    m_equations = new grids::FrmGridEditor(grids::FrmGridEditor::Kind::Equations);
    m_bcs = new grids::FrmGridEditor(grids::FrmGridEditor::Kind::Conditions);
    grids::LayOutGridColumns(*m_equations, *m_bcs);
    m_task->show();
    return true;
}

void Shell::UnloadAllForms()
{
    if (m_ended)
        return;
    m_ended = true;
    m_decimal.RestoreDecimalSeparator();
    for (QWidget* w : QApplication::topLevelWidgets())
        w->hide();
    QApplication::quit();
}

void Shell::openKind(ProblemKind kind)
{
    if (m_current && m_current != m_task)
        return;
    putInPlace(CreateProblemForm(kind, *this));
}

void Shell::putInPlace(QWidget* form)
{
    QWidget* old = m_current;
    if (old && old != m_task)
        form->setGeometry(old->geometry());
    m_current = form;
    form->show();
    if (old == m_task) {
        m_task->hide();
    } else if (old) {
        old->hide(); // not closed: closing a form ends the program
        old->deleteLater();
    }
}

void Shell::renewForm(QWidget* form, ProblemKind kind)
{
    if (form == m_current)
        putInPlace(CreateProblemForm(kind, *this));
}

void Shell::showChooser(QWidget* form)
{
    if (form != m_current || form == m_task)
        return;
    m_task->move(form->pos());
    m_current = m_task;
    m_task->show();
    form->hide(); // not closed: closing a form ends the program
    form->deleteLater();
}

void Shell::showExamples(QWidget* from)
{
    auto* window = new FrmExamples(LoadDemoLibrary(examplesFolder()), from);
    window->opened = [this](const Demo& demo) { openDemo(demo); };
    window->setWindowModality(Qt::WindowModal);
    app::PlaceBeside(window, from);
    window->show();
}

std::string Shell::examplesFolder()
{
    if (demoFolder.empty())
        demoFolder = FindDemoFolder(QCoreApplication::applicationDirPath().toStdString());
    return demoFolder;
}

void Shell::openDemo(const Demo& demo)
{
    if (m_current != m_task && !FormMayGiveWay(m_current))
        return;
    QWidget* form = CreateProblemForm(demo.kind, *this);
    putInPlace(form);
    OpenDemoInForm(form, demo);
}

void Shell::openProblem(QWidget* form, const QString& name, bool ofFormKind)
{
    if (form != m_current || form == m_task)
        return;
    const std::optional<ProblemKind> formKind = FormKind(form);
    std::string why;
    const std::optional<ProblemKind> kind = ofFormKind ? formKind : PairKind(name.toStdString(), why);
    // A form with nothing in it yet reads the pair itself, as its Open always did.
    if (kind && kind == formKind && FormHoldsNoProblem(form)) {
        if (OpenPairInForm(form, name))
            rememberFile(name);
        return;
    }
    // Otherwise the pair is tried before the problem in the form gives way to it.
    std::string message;
    if (!kind)
        message = DamagedFileMessage(name.toStdString() + kProblemFileSuffix, why);
    else if (OpenedPair pair = OpenProblemPair(name.toStdString(), MagicWord(*kind)); !pair.ok)
        message = pair.message;
    if (!kind || !message.empty()) {
        app::ShowMessage(form, QString::fromStdString(message));
        return;
    }
    if (!FormMayGiveWay(form))
        return;
    QWidget* fresh = CreateProblemForm(*kind, *this);
    putInPlace(fresh);
    if (OpenPairInForm(fresh, name))
        rememberFile(name);
}

void Shell::changeHead(QWidget* form)
{
    const std::optional<ProblemKind> kind = FormKind(form);
    if (form != m_current || !kind)
        return;
    QWidget* fresh = CreateProblemForm(*kind, *this);
    putInPlace(fresh);
    CarryProblem(form, fresh);
}

namespace {
QString RecentFilesStore()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/recent.ini";
}
} // namespace

QStringList Shell::recentFiles() const
{
    QSettings store(RecentFilesStore(), QSettings::IniFormat);
    QStringList files = store.value("recentFiles").toStringList();
    files.removeIf([](const QString& f) { return f.isEmpty(); });
    return files.mid(0, kRecentFiles);
}

void Shell::rememberFile(const QString& name)
{
    const QString path = QFileInfo(name).absoluteFilePath();
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    QSettings store(RecentFilesStore(), QSettings::IniFormat);
    store.setValue("recentFiles", files.mid(0, kRecentFiles));
}

void Shell::showHelp(QWidget* from) { ShowHelp(from); }

plot::FrmPTserN* Shell::plotWindow()
{
    if (!m_plot)
        m_plot = new plot::FrmPTserN(
            m_state, [](QWidget* from) { ShowHelp(from); }, [this]() { ShowAbout(); });
    return m_plot;
}

app::PlotView& Shell::plotView() { return *plotWindow(); }

void Shell::ShowAbout()
{
    const DemoLibrary library = LoadDemoLibrary(examplesFolder());
    auto* about = new FrmAbout(QString::fromStdString(library.folder), static_cast<int>(library.demos.size()));
    app::CentreOn(about, m_current ? m_current.data() : m_task);
    about->show();
}

int RunGui(int argc, char** argv)
{
    app::Application app(argc, argv);
    QApplication::setApplicationName(app::kApplicationTitle);
    Shell shell;
    if (!shell.Main())
        return 0;
    // Start-up checks without a person: close the chooser after a delay, then report the
    // separator that is in force once the shell has restored it.
    if (qEnvironmentVariableIsSet("ODESERIES_AUTOCLOSE_MS"))
        QTimer::singleShot(qEnvironmentVariableIntValue("ODESERIES_AUTOCLOSE_MS"), shell.task(),
                           [&shell]() { shell.task()->close(); });
    int status = app.exec();
    if (qEnvironmentVariableIsSet("ODESERIES_REPORT_SEPARATOR")) {
        const struct lconv* conv = std::localeconv();
        std::fprintf(stderr, "decimal separator at exit: %s (saved %s)\n", conv ? conv->decimal_point : "?",
                     shell.decimalPoint().SavedDecimalSeparator().c_str());
    }
    return status;
}

} // namespace ode::shell

// No exception may cross into the program that loaded the window library.
extern "C" Q_DECL_EXPORT int odeseries_run_gui(int argc, char** argv)
{
    try {
        return ode::shell::RunGui(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "odeseries: %s\n", ode::TerminalSafe(ode::app::UnexpectedErrorMessage(&e)).c_str());
    } catch (...) {
        std::fprintf(stderr, "odeseries: %s\n", ode::TerminalSafe(ode::app::UnexpectedErrorMessage(nullptr)).c_str());
    }
    return 2;
}
