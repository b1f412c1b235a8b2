#pragma once
// The shower page's chart. One year: the hourly rate with its error bars, the
// sporadic background, the excess and the fitted model (the activity profile
// times the station's response to the radiant's elevation) against UT date,
// the solar longitude on the top axis and the hours not observed shaded. Or
// several years: each year's excess by solar longitude in a colour of its
// own. The page says what to show; for the file it shows the same on a view
// of a fixed size, whatever the window's, and takes its picture().

#include "activity/ShowerActivity.h"

#include <QImage>
#include <QtCharts/QChartView>

#include <vector>

class ShowerChartView : public QChartView {
    Q_OBJECT
public:
    explicit ShowerChartView(QWidget* parent = nullptr);

    void showNothing();
    void showYear(const ShowerActivity& activity);
    void showYears(const std::vector<ShowerActivity>& years);

    // The view drawn into an image of exactly its size, laid out first: it
    // need not be shown.
    QImage picture();

    // The hours not observed, as UT milliseconds from and to.
    struct Stretch {
        double from, to;
    };
    const std::vector<Stretch>& unobserved() const { return unobserved_; }

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    struct Bar {
        double x, low, high;
    };
    QChart* replaceChart(); // an empty one
    void drawYear(QChart& chart, const ShowerActivity& a);
    void drawYears(QChart& chart, const std::vector<ShowerActivity>& years);
    void drawUnobserved(QPainter& painter) const;
    void drawBars(QPainter& painter) const;

    // Painted over the chart: Qt Charts has no error bar series, and one line
    // series per bar or per stretch would cost a thousand series.
    std::vector<Bar> bars_;
    std::vector<Stretch> unobserved_;
    QAbstractSeries* placing_ = nullptr; // the series whose axes place both
};
