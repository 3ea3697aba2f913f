#include "gui/plot/DecayView.h"

#include "plot/PlotGeometry.h"

#include <QPainter>

#include <algorithm>

#include <cmath>

namespace ode::plot {

DecayView::DecayView(QWidget* parent) : QWidget(parent)
{
    setObjectName("picDecay");
    setToolTip("log10 |Chebyshev coefficient| against its index: a converged series falls to the "
               "dashed level and flattens into rounding noise");
    setMinimumSize(200, 110);
}

void DecayView::setCoefficients(const std::vector<double>& coef, double tolerance)
{
    setSeries(coef.empty() ? std::vector<std::vector<double>>{} : std::vector<std::vector<double>>{coef}, tolerance);
}

void DecayView::setSeries(const std::vector<std::vector<double>>& coefs, double tolerance)
{
    m_pictures.clear();
    for (const std::vector<double>& coef : coefs) {
        DecayPicture p = CoefficientDecay(coef, tolerance);
        if (!p.points.empty())
            m_pictures.push_back(std::move(p));
    }
    update();
}

void DecayView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    p.setPen(palette().mid().color());
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    if (m_pictures.empty())
        return;
    // Common axes: the widest of the pictures' ranges.
    DecayPicture d = m_pictures[0];
    for (const DecayPicture& p : m_pictures) {
        d.ymin = std::min(d.ymin, p.ymin);
        d.ymax = std::max(d.ymax, p.ymax);
        d.kmax = std::max(d.kmax, p.kmax);
        d.target = std::max(d.target, p.target);
    }
    const QFontMetrics fm(font());
    // The axis titles in a slightly smaller type: what is plotted up the left, the index below.
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() > 0 ? titleFont.pointSizeF() * 0.85 : 8);
    const QFontMetrics tm(titleFont);
    const double titleHeight = tm.height();
    const double left = titleHeight + fm.horizontalAdvance("-000") + 6, right = width() - 6.0;
    const double top = fm.height() / 2.0 + 2, bottom = height() - fm.height() - titleHeight - 4.0;
    auto px = [&](double k) { return left + (right - left) * k / d.kmax; };
    auto py = [&](double y) { return top + (bottom - top) * (d.ymax - y) / (d.ymax - d.ymin); };
    // Decade lines with their labels, about five of them.
    const int step = std::max(1, static_cast<int>(std::ceil((d.ymax - d.ymin) / 5)));
    for (int y = static_cast<int>(d.ymax); y >= d.ymin; y -= step) {
        p.setPen(QPen(palette().midlight().color(), 0));
        p.drawLine(QPointF(left, py(y)), QPointF(right, py(y)));
        p.setPen(palette().text().color());
        p.drawText(QRectF(0, py(y) - fm.height() / 2.0, left - 3, fm.height()), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(y));
    }
    p.drawText(QRectF(left, bottom + 2, right - left, fm.height()), Qt::AlignLeft, "0");
    p.drawText(QRectF(left, bottom + 2, right - left, fm.height()), Qt::AlignRight,
               QString::number(static_cast<int>(d.kmax)));
    p.setFont(titleFont);
    p.drawText(QRectF(left, height() - titleHeight - 1, right - left, titleHeight), Qt::AlignCenter,
               QString::fromUtf8(kDecayIndexTitle));
    p.save();
    p.translate(1, (top + bottom) / 2);
    p.rotate(-90);
    p.drawText(QRectF(-(bottom - top) / 2 - 20, 0, bottom - top + 40, titleHeight), Qt::AlignCenter,
               QString::fromUtf8(kDecayValueTitle));
    p.restore();
    p.setFont(font());
    // The level the automatic degree aims for.
    p.setPen(QPen(QColor(0, 150, 0), 0, Qt::DashLine));
    p.drawLine(QPointF(left, py(d.target)), QPointF(right, py(d.target)));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    for (size_t j = 0; j < m_pictures.size(); ++j) {
        // A single series in blue; a system's variables in their plot colours, as in the legend.
        const Rgb colour = m_pictures.size() == 1 ? Rgb{0, 0, 200} : CurveColour(static_cast<int>(j));
        p.setBrush(QColor(colour.r, colour.g, colour.b));
        for (const auto& [k, y] : m_pictures[j].points)
            p.drawEllipse(QPointF(px(k), py(std::max(y, d.ymin))), 1.8, 1.8);
    }
}

} // namespace ode::plot
