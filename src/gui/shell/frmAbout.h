#pragma once
// The About box: a few lines about the program; a click anywhere closes it.

#include <QWidget>

namespace ode::shell {

class FrmAbout : public QWidget {
    Q_OBJECT
public:
    // `examplesFolder` and `examples`: where the demos library is and how many demos it has
    // (an empty folder when none was found).
    explicit FrmAbout(const QString& examplesFolder = {}, int examples = 0, QWidget* parent = nullptr);
    static QStringList lines(const QString& examplesFolder, int examples);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override; // Escape closes it too
};

} // namespace ode::shell
