#pragma once
// The About box: a few lines about the program; a click anywhere closes it.

#include <QWidget>

namespace ode::shell {

class FrmAbout : public QWidget {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);
    static QStringList lines();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

} // namespace ode::shell
