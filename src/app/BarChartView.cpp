#include "app/BarChartView.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace {

// The height of the mark of a bar without a value, as a share of the axis.
constexpr double kMissingMark = 0.02;

} // namespace

QString chartNumberText(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15) {
        return QString::number(v, 'g', 6);
    }
    return v == std::floor(v) ? QString::number(static_cast<qint64>(v))
                              : QString::number(v, 'f', 1);
}

BarChartView::BarChartView(QWidget* parent) : QChartView(new QChart, parent) {
    setFrameShape(QFrame::NoFrame);
    // The band of the highlighted bar is part of the background.
    setCacheMode(QGraphicsView::CacheNone);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setBackgroundBrush(palette().base());
    QChart* c = chart();
    c->legend()->hide();
    c->setMargins(QMargins(2, 2, 2, 2));
    c->setBackgroundRoundness(0);
    // The view paints the background, and under the highlighted bar its band.
    c->setBackgroundVisible(false);
    series_ = new QStackedBarSeries;
    series_->setBarWidth(0.7);
    xAxis_ = new QCategoryAxis;
    xAxis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    xAxis_->setGridLineVisible(false);
    yAxis_ = new QValueAxis;
    yAxis_->setLabelsVisible(false);
    yAxis_->setTickCount(3);
    c->addAxis(xAxis_, Qt::AlignBottom);
    c->addAxis(yAxis_, Qt::AlignLeft);
    c->addSeries(series_);
    series_->attachAxis(xAxis_);
    series_->attachAxis(yAxis_);
    rebuildSeries();
}

QSize BarChartView::sizeHint() const {
    return {280, 170};
}

QSize BarChartView::minimumSizeHint() const {
    return {140, 90};
}

void BarChartView::setBars(const QString& title, std::vector<ChartBar> bars,
                           const QStringList& labels, double topValue) {
    title_ = title;
    bars_ = std::move(bars);
    labels_ = labels;
    topValue_ = topValue;
    if (highlighted_ >= static_cast<int>(bars_.size())) {
        highlighted_ = -1;
    }
    rebuildSeries();
}

void BarChartView::setHighlighted(int index) {
    highlighted_ = index >= 0 && index < static_cast<int>(bars_.size()) ? index : -1;
    rebuildSeries();
}

double BarChartView::topValue() const {
    double top = std::max(topValue_, 1.0);
    for (const ChartBar& bar : bars_) {
        if (!bar.missing && std::isfinite(bar.value)) {
            top = std::max(top, bar.value);
        }
    }
    return top;
}

void BarChartView::rebuildSeries() {
    QChart* c = chart();
    const double top = topValue();
    // A changed title, colour or value lays every bar out again: only what
    // changed is set (a day's new hour in live mode changes one or two bars;
    // 20 ms an update down to 10 with the colorgramme in sight).
    const QString title = QStringLiteral("%1    %2")
                              .arg(title_, QCoreApplication::translate("ColorgrammeView", "最大 %1")
                                               .arg(chartNumberText(top)));
    if (c->title() != title) {
        c->setTitle(title);
    }
    const int count = static_cast<int>(bars_.size());
    if (count != static_cast<int>(series_->count())) {
        reshape(count);
    }
    // Qt Charts colours a set, not a bar: each bar has a set of its own,
    // holding only its value; a new month or day changes values and colours.
    const QList<QBarSet*> sets = series_->barSets();
    for (int i = 0; i < count; ++i) {
        const ChartBar& bar = bars_[static_cast<size_t>(i)];
        const bool accented = i == highlighted_ && accent_.isValid() && !bar.missing;
        const QColor colour = accented ? accent_ : bar.colour;
        if (sets[i]->color() != colour || sets[i]->borderColor() != colour) {
            sets[i]->setColor(colour);
            sets[i]->setBorderColor(colour);
        }
        const double value = bar.missing ? top * kMissingMark : std::clamp(bar.value, 0.0, top);
        if (sets[i]->at(i) != value) {
            sets[i]->replace(i, value);
        }
    }
    QStringList shown = labels_.mid(0, count);
    if (shown != axisLabels_) {
        axisLabels_ = shown;
        for (const QString& label : xAxis_->categoriesLabels()) {
            xAxis_->remove(label);
        }
        for (int i = 0; i < shown.size(); ++i) {
            if (!shown[i].isEmpty()) {
                xAxis_->append(shown[i], i);
            }
        }
    }
    yAxis_->setRange(0, top);
    resetCachedContent();
    viewport()->update();
}

void BarChartView::reshape(int count) {
    // Only the difference: a month of 30 days after one of 31 keeps 30 sets.
    while (series_->count() > count) {
        series_->remove(series_->barSets().back());
    }
    for (QBarSet* set : series_->barSets()) {
        if (set->count() > count) {
            set->remove(count, set->count() - count);
        }
        while (set->count() < count) {
            set->append(0);
        }
    }
    while (series_->count() < count) {
        auto* set = new QBarSet(QString());
        for (int j = 0; j < count; ++j) {
            set->append(0);
        }
        series_->append(set);
    }
    xAxis_->setRange(-0.5, std::max(count, 1) - 0.5);
}

QRectF BarChartView::columnRect(int index) const {
    if (index < 0 || index >= static_cast<int>(bars_.size())) {
        return {};
    }
    const QPointF topLeft = chart()->mapToPosition(QPointF(index - 0.5, topValue()), series_);
    const QPointF bottomRight = chart()->mapToPosition(QPointF(index + 0.5, 0), series_);
    const QRectF inChart = QRectF(topLeft, bottomRight).normalized();
    return QRectF(mapFromScene(chart()->mapToScene(inChart.topLeft())),
                  mapFromScene(chart()->mapToScene(inChart.bottomRight())));
}

int BarChartView::barAt(QPointF position) const {
    if (bars_.empty()) {
        return -1;
    }
    const QRectF first = columnRect(0);
    const QRectF last = columnRect(static_cast<int>(bars_.size()) - 1);
    // The labels under the bars belong to their columns.
    const QRectF all(first.topLeft(),
                     QPointF(last.right(), last.bottom() + fontMetrics().height() + 4));
    if (!all.contains(position)) {
        return -1;
    }
    const int index = static_cast<int>((position.x() - first.left()) / first.width());
    return std::clamp(index, 0, static_cast<int>(bars_.size()) - 1);
}

void BarChartView::drawBackground(QPainter* painter, const QRectF& rect) {
    QChartView::drawBackground(painter, rect);
    if (highlighted_ < 0) {
        return;
    }
    const QRectF column = columnRect(highlighted_);
    painter->fillRect(
        QRectF(mapToScene(column.topLeft().toPoint()), mapToScene(column.bottomRight().toPoint())),
        QColor(255, 232, 170));
}

void BarChartView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const int index = barAt(event->position()); index >= 0) {
            emit barClicked(index);
            return;
        }
    }
    QChartView::mousePressEvent(event);
}
