#pragma once
// The small picture of the Chebyshev coefficients' decay beside the accurate method's lists:
// a dot for each log10 |ck| against k, decade lines, and the level the automatic degree aims for.

#include "plot/CoefficientDecay.h"

#include <QWidget>

namespace ode::plot {

class DecayView : public QWidget {
    Q_OBJECT
public:
    explicit DecayView(QWidget* parent = nullptr);

    // Shows the decay of `coef`; an empty vector clears the picture.
    void setCoefficients(const std::vector<double>& coef, double tolerance);
    const DecayPicture& picture() const { return m_picture; }
    bool empty() const { return m_picture.points.empty(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    DecayPicture m_picture;
};

} // namespace ode::plot
