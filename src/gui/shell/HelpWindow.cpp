#include "gui/shell/HelpWindow.h"

#include "gui/app/FormSupport.h"
#include "gui/app/Guard.h"
#include "gui/app/Messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <htmlhelp.h>
#else
#include <chm_lib.h>
#endif

namespace ode::shell {

#ifndef _WIN32

// A compiled help file opened for reading.
class ChmFile {
public:
    explicit ChmFile(const QString& path) : m_file(chm_open(QFile::encodeName(path).constData())) {}
    ~ChmFile()
    {
        if (m_file)
            chm_close(m_file);
    }
    bool isOpen() const { return m_file != nullptr; }

    // The object stored under `path` ("/index.html"), or an empty array.
    QByteArray read(QString path) const
    {
        if (!m_file)
            return {};
        path.replace('\\', '/');
        if (!path.startsWith('/'))
            path.prepend('/');
        chmUnitInfo info;
        if (chm_resolve_object(m_file, path.toUtf8().constData(), &info) != CHM_RESOLVE_SUCCESS)
            return {};
        QByteArray data(static_cast<int>(info.length), '\0');
        LONGINT64 got = chm_retrieve_object(m_file, &info, reinterpret_cast<unsigned char*>(data.data()), 0,
                                            static_cast<LONGINT64>(info.length));
        data.resize(static_cast<int>(got));
        return data;
    }

private:
    chmFile* m_file;
};

namespace {

// Pages come from the help file instead of the disk.
class ChmBrowser : public QTextBrowser {
public:
    explicit ChmBrowser(QWidget* parent) : QTextBrowser(parent) {}
    std::shared_ptr<ChmFile> chm;

    QVariant loadResource(int type, const QUrl& url) override
    {
        if (chm) {
            QByteArray data = chm->read(url.path());
            if (!data.isEmpty())
                return type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource
                           ? QVariant(QString::fromUtf8(data))
                           : QVariant(data);
        }
        return QTextBrowser::loadResource(type, url);
    }
};

// The entries of a contents file: <param name="Name" ...> and <param name="Local" ...> pairs.
QList<QPair<QString, QString>> contentsEntries(const QString& hhc)
{
    QList<QPair<QString, QString>> entries;
    static const QRegularExpression object(QStringLiteral("<OBJECT[^>]*text/sitemap[^>]*>(.*?)</OBJECT>"),
                                           QRegularExpression::CaseInsensitiveOption |
                                               QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression param(QStringLiteral("<param\\s+name=\"(\\w+)\"\\s+value=\"([^\"]*)\""),
                                          QRegularExpression::CaseInsensitiveOption);
    auto it = object.globalMatch(hhc);
    while (it.hasNext()) {
        const QString body = it.next().captured(1);
        QString name, local;
        auto p = param.globalMatch(body);
        while (p.hasNext()) {
            auto m = p.next();
            if (m.captured(1).compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0)
                name = m.captured(2);
            else if (m.captured(1).compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0)
                local = m.captured(2);
        }
        if (!name.isEmpty() && !local.isEmpty())
            entries.append({name, local.replace('\\', '/')});
    }
    return entries;
}

} // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName("frmHelp");
    setWindowTitle(QStringLiteral("ODE Series Help"));
    auto* splitter = new QSplitter(this);
    m_tree = new QTreeWidget(splitter);
    m_tree->setObjectName("tvwContents");
    m_tree->setHeaderHidden(true);
    auto* browser = new ChmBrowser(splitter);
    browser->setObjectName("txtHelpPage");
    m_browser = browser;
    splitter->setStretchFactor(1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QHBoxLayout();
    auto* back = new QPushButton("Back", this);
    back->setObjectName("cmdBack");
    back->setEnabled(false);
    auto* forward = new QPushButton("Forward", this);
    forward->setObjectName("cmdForward");
    forward->setEnabled(false);
    bar->addWidget(back);
    bar->addWidget(forward);
    bar->addStretch();
    layout->addLayout(bar);
    layout->addWidget(splitter, 1);
    resize(820, 560);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    // The contents follow the page shown, however it was reached (a link, Back, Forward).
    connect(m_browser, &QTextBrowser::sourceChanged, this, app::Guarded(this, [this](const QUrl& url) {
                const QString page = url.adjusted(QUrl::RemoveFragment).toString();
                for (QTreeWidgetItemIterator it(m_tree); *it; ++it)
                    if (QUrl((*it)->data(0, Qt::UserRole).toString()).adjusted(QUrl::RemoveFragment).toString() ==
                        page) {
                        m_tree->setCurrentItem(*it);
                        return;
                    }
            }));
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(m_tree, &QTreeWidget::itemActivated, this, app::Guarded(this, [this](QTreeWidgetItem* item) {
                m_browser->setSource(QUrl(item->data(0, Qt::UserRole).toString()));
            }));
    connect(m_tree, &QTreeWidget::itemClicked, this, app::Guarded(this, [this](QTreeWidgetItem* item) {
                m_browser->setSource(QUrl(item->data(0, Qt::UserRole).toString()));
            }));
}

HelpWindow::~HelpWindow() = default;

bool HelpWindow::openFile(const QString& chmPath)
{
    m_chm = std::make_shared<ChmFile>(chmPath);
    static_cast<ChmBrowser*>(m_browser)->chm = m_chm;
    m_tree->clear();
    if (!m_chm->isOpen()) {
        m_browser->setHtml(QStringLiteral("<p>The help file %1 cannot be read.</p>").arg(chmPath.toHtmlEscaped()));
        return false;
    }
    QString hhc = QString::fromUtf8(m_chm->read(QStringLiteral("/toc.hhc")));
    const auto entries = contentsEntries(hhc);
    for (const auto& [name, local] : entries) {
        auto* item = new QTreeWidgetItem(m_tree, QStringList{name});
        item->setData(0, Qt::UserRole, local);
    }
    m_browser->setSource(QUrl(entries.isEmpty() ? QStringLiteral("index.html") : entries.first().second));
    return true;
}

#endif

void ShowHelp(QWidget* from)
{
    // Beside the program, or where a package installs it.
    const QDir program(QCoreApplication::applicationDirPath());
    QString file = program.filePath(QStringLiteral("dif.chm"));
    if (!QFile::exists(file) && QFile::exists(program.filePath(QStringLiteral("../share/odeseries/dif.chm"))))
        file = QDir::cleanPath(program.filePath(QStringLiteral("../share/odeseries/dif.chm")));
#ifdef _WIN32
    // Windows' own viewer shows the compiled help there.
    const QString native = QDir::toNativeSeparators(file);
    HtmlHelpW(from ? reinterpret_cast<HWND>(from->window()->winId()) : nullptr,
              reinterpret_cast<const wchar_t*>(native.utf16()), HH_DISPLAY_TOPIC, 0);
#else
    static QPointer<HelpWindow> window;
    if (!window) {
        window = new HelpWindow();
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->openFile(file);
    // Beside the window that asks, within the screen (not partly off it).
    app::PlaceBeside(window, from ? from->window() : nullptr);
    window->show();
    window->raise();
#endif
}

} // namespace ode::shell
