#pragma once
// One row of bars with a title and a few labels under them, through Qt
// Charts: the colorgramme page shows the hours of the chosen day and the
// month's daily totals with it. Each bar has its own colour (a stacked set of
// its own); a bar without a value is a short mark on the base line. The
// highlighted bar stands on a light band, in the accent colour when one is
// set. A click on a bar's column, or under it, is barClicked.
//
// New bars change the sets' values and colours in place: series and axes made
// anew for each choice cost 20 to 70 ms of Qt Charts' layout per chart, in
// place a day's choice is painted in 9 ms (ten-year file, release build).

#include <QColor>
#include <QStringList>
#include <QtCharts/QChartView>

// A value as the charts label it: whole numbers without decimals, others with one.
QString chartNumberText(double v);

class QCategoryAxis;
class QStackedBarSeries;
class QValueAxis;

#include <vector>

struct ChartBar {
    double value = 0;
    QColor colour;
    // No value: a short mark on the base line in the colour instead of a bar.
    bool missing = false;
};

class BarChartView : public QChartView {
    Q_OBJECT
public:
    explicit BarChartView(QWidget* parent = nullptr);

    // Labels stand under their bars; empty labels leave the place blank. The
    // top of the value axis is at least topValue.
    void setBars(const QString& title, std::vector<ChartBar> bars, const QStringList& labels,
                 double topValue);
    void setHighlighted(int index); // -1 for none
    void setAccent(const QColor& colour) { accent_ = colour; }
    int highlighted() const { return highlighted_; }
    const QString& title() const { return title_; }
    const std::vector<ChartBar>& bars() const { return bars_; }
    double topValue() const;

    // The rectangle of a bar's column (its full height) in the viewport, and
    // the bar under a viewport position (-1 for none).
    QRectF columnRect(int index) const;
    int barAt(QPointF position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void barClicked(int index);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rebuildSeries();
    void reshape(int count); // one set per bar

    QStackedBarSeries* series_;
    QCategoryAxis* xAxis_;
    QValueAxis* yAxis_;
    QStringList axisLabels_;

    QString title_;
    std::vector<ChartBar> bars_;
    QStringList labels_;
    double topValue_ = 1;
    int highlighted_ = -1;
    QColor accent_;
};
