#pragma once
// The help viewer: reads the compiled help file through chmlib and shows its table of
// contents beside the pages, with working links (Windows shows it in its own viewer).

#include <QWidget>

#include <memory>

class QTextBrowser;
class QTreeWidget;

namespace ode::shell {

#ifndef _WIN32
// Windows has a viewer of its own for the compiled help (HtmlHelp), which ShowHelp opens there.
class ChmFile;

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    ~HelpWindow() override;

    // Opens `chmPath` and shows its table of contents and first page. False when the file
    // cannot be read (the window then says so).
    bool openFile(const QString& chmPath);

    QTreeWidget* contents() const { return m_tree; }
    QTextBrowser* browser() const { return m_browser; }

private:
    std::shared_ptr<ChmFile> m_chm;
    QTreeWidget* m_tree;
    QTextBrowser* m_browser;
};

#endif

// Shows the help file of the application's folder (dif.chm) from `from`'s window.
void ShowHelp(QWidget* from);

} // namespace ode::shell
