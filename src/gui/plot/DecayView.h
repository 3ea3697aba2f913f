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
    // A system's: one series a variable, each in its curve colour, on common axes.
    void setSeries(const std::vector<std::vector<double>>& coefs, double tolerance);
    const DecayPicture& picture() const { return m_pictures.empty() ? m_none : m_pictures[0]; }
    bool empty() const { return m_pictures.empty(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<DecayPicture> m_pictures;
    DecayPicture m_none;
};

} // namespace ode::plot
