#include "app/ShowerChartView.h"

#include "app/ShowerTexts.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QGraphicsLayout>
#include <QPainter>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// More date ticks than this crowd the labels on a narrow window.
constexpr std::int64_t kMostDateTicks = 8;
const QColor kUnobservedShade(150, 150, 150, 60);

QChart* emptyChart() {
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->setBackgroundRoundness(0);
    return chart;
}

double msOfUnixHour(double hour) {
    return hour * 3600.0 * 1000.0;
}

struct PlotSpan {
    int tickCount = 0;
    double startHour = 0, endHour = 0; // hours since 1970, at UT midnights
    double degreesPerHour = 0;
    double firstMiddle = 0; // the middle of the table's first hour
    double longitudeStart = 0, longitudeEnd = 0;
};

// The table runs over whole UT days. Ticks at midnight every few days, so
// that short dates fit under each; the solar longitude's ticks sit above the
// same midnights. The Sun's longitude runs almost evenly with time, so its
// axis is the time axis relabelled by the longitudes at both ends (continued
// past 360 where the plot crosses it, as the Quadrantids' does).
PlotSpan plotSpanOf(const ShowerActivity& a) {
    PlotSpan span;
    const std::int64_t firstDay = std::llround(std::floor(a.hours.front().hour / 24.0));
    std::int64_t lastDay = std::llround(std::floor(a.hours.back().hour / 24.0)) + 1;
    const std::int64_t spanDays = lastDay - firstDay;
    std::int64_t step = 1;
    for (std::int64_t s : {1, 2, 3, 4, 5, 7, 10, 14, 21, 28}) {
        step = s;
        if ((spanDays + s - 1) / s <= kMostDateTicks) {
            break;
        }
    }
    lastDay = firstDay + (spanDays + step - 1) / step * step;
    span.tickCount = static_cast<int>((lastDay - firstDay) / step) + 1;
    span.startHour = static_cast<double>(firstDay * 24);
    span.endHour = static_cast<double>(lastDay * 24);
    const ActivityHour& firstHour = a.hours.front();
    span.degreesPerHour =
        a.hours.size() > 1
            ? std::remainder(a.hours.back().solarLongitude - firstHour.solarLongitude, 360.0) /
                  static_cast<double>(a.hours.back().hour - firstHour.hour)
            : 360.0 / 8766.0;
    span.firstMiddle = static_cast<double>(firstHour.hour) + 0.5;
    span.longitudeStart =
        firstHour.solarLongitude + (span.startHour - span.firstMiddle) * span.degreesPerHour;
    span.longitudeEnd =
        firstHour.solarLongitude + (span.endHour - span.firstMiddle) * span.degreesPerHour;
    return span;
}

// The activity profile alone (the elevation factor 1) over the whole plot,
// every ten minutes, with its cusp at the fitted peak itself: the envelope
// the station would see with the radiant always at its best height. The
// longitude between two hours' middles is interpolated, past the ends
// continued evenly.
void appendProfile(QLineSeries& profile, const ShowerActivity& a, const PlotSpan& span) {
    const auto longitudeAt = [&](double hour) {
        const double position = hour - span.firstMiddle;
        const auto i = static_cast<std::size_t>(
            std::clamp(std::floor(position), 0.0, static_cast<double>(a.hours.size() - 1)));
        const double step =
            i + 1 < a.hours.size()
                ? std::remainder(a.hours[i + 1].solarLongitude - a.hours[i].solarLongitude, 360.0)
                : span.degreesPerHour;
        return a.hours[i].solarLongitude + (position - static_cast<double>(i)) * step;
    };
    const auto profileAt = [&](double hour) {
        return activityProfile(std::remainder(longitudeAt(hour) - a.fit.peakSolarLongitude, 360.0),
                               0, a.fit.peakExcess, a.fit.riseSlope, a.fit.fallSlope);
    };
    const double peakHour = a.fitPeakHour.value_or(span.startHour);
    bool peakDrawn = !a.fitPeakHour;
    const auto steps = static_cast<std::int64_t>((span.endHour - span.startHour) * 6);
    for (std::int64_t k = 0; k <= steps; ++k) {
        const double hour = span.startHour + static_cast<double>(k) / 6.0;
        if (!peakDrawn && peakHour <= hour) {
            profile.append(msOfUnixHour(peakHour), profileAt(peakHour));
            peakDrawn = true;
        }
        profile.append(msOfUnixHour(hour), profileAt(hour));
    }
}

QLineSeries* lineSeries(const char* source, const QPen& pen) {
    auto* series = new QLineSeries;
    series->setName(QCoreApplication::translate("ShowerChartView", source));
    series->setPen(pen);
    return series;
}

// The series of a year's plot; the chart takes them over.
struct YearSeries {
    QScatterSeries* rate = nullptr;
    QScatterSeries* unobserved = nullptr; // no points: the shade's legend entry
    QLineSeries* background = nullptr;
    QLineSeries* excess = nullptr;
    QLineSeries* model = nullptr;
    QLineSeries* profile = nullptr; // with the radiant's elevation only
    double top = 1, bottom = 0;
};

YearSeries emptyYearSeries(const ShowerActivity& a) {
    YearSeries s;
    s.rate = new QScatterSeries;
    s.rate->setName(QCoreApplication::translate("ShowerChartView", "レート"));
    s.rate->setMarkerSize(4);
    s.rate->setBorderColor(Qt::transparent);
    s.rate->setColor(QColor(40, 80, 200));
    s.unobserved = new QScatterSeries;
    s.unobserved->setName(QCoreApplication::translate("ShowerChartView", "観測なし"));
    s.unobserved->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    s.unobserved->setColor(QColor(200, 200, 200));
    s.unobserved->setBorderColor(Qt::transparent);
    s.background = lineSeries(QT_TRANSLATE_NOOP("ShowerChartView", "バックグラウンド"),
                              QPen(QColor(40, 40, 40), 2));
    s.excess =
        lineSeries(QT_TRANSLATE_NOOP("ShowerChartView", "超過"), QPen(QColor(40, 160, 60), 1.2));
    s.model =
        lineSeries(QT_TRANSLATE_NOOP("ShowerChartView", "当てはめ"), QPen(QColor(200, 30, 30), 2));
    if (a.fit.fitted && a.fit.withElevation) {
        s.profile =
            lineSeries(QT_TRANSLATE_NOOP("ShowerChartView", "活動プロファイル (高度係数 1)"),
                       QPen(QColor(200, 30, 30, 200), 1.5, Qt::DashLine));
    }
    return s;
}

} // namespace

ShowerChartView::ShowerChartView(QWidget* parent) : QChartView(emptyChart(), parent) {
    setRenderHint(QPainter::Antialiasing);
}

void ShowerChartView::showNothing() {
    replaceChart();
    viewport()->update();
}

void ShowerChartView::showYear(const ShowerActivity& activity) {
    QChart* chart = replaceChart();
    chart->setTitle(
        QString::fromStdString(activity.shower.name + " " + std::to_string(activity.year)));
    if (!activity.hours.empty()) {
        drawYear(*chart, activity);
    }
    viewport()->update();
}

void ShowerChartView::showYears(const std::vector<ShowerActivity>& years) {
    QChart* chart = replaceChart();
    if (!years.empty()) {
        std::vector<int> numbers;
        for (const ShowerActivity& a : years) {
            numbers.push_back(a.year);
        }
        chart->setTitle(QString::fromStdString(years.front().shower.name) + QLatin1Char(' ') +
                        ShowerTexts::years(numbers));
        drawYears(*chart, years);
    }
    viewport()->update();
}

QChart* ShowerChartView::replaceChart() {
    // A new chart each time: axes removed from a chart leave their labels
    // painted over the new ones.
    bars_.clear();
    unobserved_.clear();
    placing_ = nullptr;
    QChart* chart = emptyChart();
    QChart* old = this->chart();
    setChart(chart);
    delete old;
    return chart;
}

QImage ShowerChartView::picture() {
    // A picture is looked at whole, often scaled down: its texts a third
    // larger than the window's.
    const auto larger = [](QFont font) {
        font.setPointSizeF(font.pointSizeF() * 4 / 3);
        return font;
    };
    QChart& shown = *chart();
    shown.setTitleFont(larger(shown.titleFont()));
    shown.legend()->setFont(larger(shown.legend()->font()));
    for (QAbstractAxis* axis : shown.axes()) {
        axis->setLabelsFont(larger(axis->labelsFont()));
        axis->setTitleFont(larger(axis->titleFont()));
    }
    // The chart lays itself out on posted events; a view never shown has
    // had none.
    setAttribute(Qt::WA_DontShowOnScreen);
    show();
    QCoreApplication::sendPostedEvents();
    chart()->layout()->activate();
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(&painter);
    return image;
}

void ShowerChartView::drawForeground(QPainter* painter, const QRectF& rect) {
    QChartView::drawForeground(painter, rect);
    if (!placing_) {
        return;
    }
    painter->save();
    painter->setClipRect(chart()->plotArea());
    drawUnobserved(*painter);
    drawBars(*painter);
    painter->restore();
}

void ShowerChartView::drawUnobserved(QPainter& painter) const {
    const QRectF area = chart()->plotArea();
    for (const Stretch& s : unobserved_) {
        const double from = chart()->mapToPosition(QPointF(s.from, 0), placing_).x();
        const double to = chart()->mapToPosition(QPointF(s.to, 0), placing_).x();
        painter.fillRect(QRectF(from, area.top(), to - from, area.height()), kUnobservedShade);
    }
}

void ShowerChartView::drawBars(QPainter& painter) const {
    painter.setPen(QPen(QColor(40, 80, 200, 150), 1));
    for (const Bar& b : bars_) {
        const QPointF lo = chart()->mapToPosition(QPointF(b.x, b.low), placing_);
        const QPointF hi = chart()->mapToPosition(QPointF(b.x, b.high), placing_);
        painter.drawLine(lo, hi);
    }
}

namespace {

void fillYearSeries(YearSeries& s, const ShowerActivity& a, const PlotSpan& span) {
    for (const ActivityHour& h : a.hours) {
        const double x = msOfUnixHour(static_cast<double>(h.hour) + 0.5);
        if (h.rate) {
            s.rate->append(x, *h.rate);
            s.top = std::max(s.top, *h.rate + *h.rateError);
        }
        if (h.background) {
            s.background->append(x, *h.background);
        }
        if (h.excess) {
            s.excess->append(x, *h.excess);
            s.bottom = std::min(s.bottom, *h.excess);
        }
        if (a.fit.fitted && h.fitExcess) {
            s.model->append(x, *h.fitExcess);
        }
    }
    if (s.profile) {
        appendProfile(*s.profile, a, span);
    }
    if (a.fit.fitted) {
        s.top = std::max(s.top, a.fit.peakExcess);
    }
}

// A value axis whose ticks fall on round numbers (1, 2, 2.5 or 5 times a
// power of ten apart), about ten of them, labelled with the decimals they need.
void roundTicks(QValueAxis& axis, double low, double high) {
    const double raw = std::max(high - low, 1e-6) / 10;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    double step = 10 * magnitude;
    for (double m : {1.0, 2.0, 2.5, 5.0}) {
        if (m * magnitude >= raw) {
            step = m * magnitude;
            break;
        }
    }
    const double from = std::floor(low / step) * step;
    const double to = std::ceil(high / step) * step;
    axis.setRange(from, to);
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(from);
    axis.setTickInterval(step);
    int decimals = 0;
    while (decimals < 3 && std::fabs(step * std::pow(10.0, decimals) -
                                     std::round(step * std::pow(10.0, decimals))) > 1e-6) {
        ++decimals;
    }
    axis.setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

// Ten colours most eyes tell apart; more years spread round the hues,
// alternately darker and dashed.
QPen yearPen(std::size_t i, std::size_t count) {
    static constexpr std::array<QRgb, 10> kTen = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd,
                                                  0x8c564b, 0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf};
    if (count <= kTen.size()) {
        return QPen(QColor::fromRgb(kTen[i]), 1.5);
    }
    const int hue = static_cast<int>(360.0 * static_cast<double>(i) / static_cast<double>(count));
    const bool odd = i % 2 == 1;
    return QPen(QColor::fromHsv(hue, 230, odd ? 150 : 235), 1.5,
                odd ? Qt::DashLine : Qt::SolidLine);
}

} // namespace

// One year: the rate with its error bars, the background, the excess and the
// fitted model against UT date, the solar longitude on the top axis.
void ShowerChartView::drawYear(QChart& chart, const ShowerActivity& a) {
    const PlotSpan span = plotSpanOf(a);
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM/dd"));
    time->setTickCount(span.tickCount);
    time->setTitleText(QCoreApplication::translate("ShowerChartView", "日付 (UT)"));
    time->setRange(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(span.startHour)), Qt::UTC),
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(span.endHour)), Qt::UTC));
    auto* longitude = new QValueAxis;
    longitude->setTitleText(
        QCoreApplication::translate("ShowerChartView", "太陽黄経 (J2000.0, 度)"));
    longitude->setTickCount(span.tickCount);
    longitude->setLabelFormat(QStringLiteral("%.1f"));
    longitude->setRange(span.longitudeStart, span.longitudeEnd);
    auto* y = new QValueAxis;
    y->setTitleText(QCoreApplication::translate("ShowerChartView", "エコー数/時"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart.addAxis(time, Qt::AlignBottom);
    chart.addAxis(longitude, Qt::AlignTop);
    chart.addAxis(y, Qt::AlignLeft);

    YearSeries series = emptyYearSeries(a);
    fillYearSeries(series, a, span);
    for (QAbstractSeries* s :
         std::initializer_list<QAbstractSeries*>{series.rate, series.excess, series.background,
                                                 series.profile, series.model, series.unobserved}) {
        if (s) {
            chart.addSeries(s);
            s->attachAxis(time);
            s->attachAxis(y);
        }
    }
    for (const ActivityHour& h : a.hours) {
        if (h.rate) {
            const double x = msOfUnixHour(static_cast<double>(h.hour) + 0.5);
            bars_.push_back({x, *h.rate - *h.rateError, *h.rate + *h.rateError});
        }
    }
    for (const auto& [first, end] : unobservedStretches(a)) {
        unobserved_.push_back(
            {msOfUnixHour(static_cast<double>(first)), msOfUnixHour(static_cast<double>(end))});
    }
    placing_ = series.rate;
    // An axis with no series of its own is laid out badly: give the top one an
    // invisible series on the same value axis.
    auto* carrier = new QLineSeries;
    carrier->append(span.longitudeStart, 0);
    carrier->append(span.longitudeEnd, 0);
    carrier->setVisible(false);
    chart.addSeries(carrier);
    carrier->attachAxis(longitude);
    carrier->attachAxis(y);
    chart.legend()->markers(carrier).value(0)->setVisible(false);
    y->setRange(series.bottom * 1.1, series.top * 1.05);
    y->applyNiceNumbers();
}

// Every year's excess by solar longitude, one line each in its own colour.
void ShowerChartView::drawYears(QChart& chart, const std::vector<ShowerActivity>& years) {
    auto* x = new QValueAxis;
    x->setTitleText(QCoreApplication::translate("ShowerChartView", "太陽黄経 (J2000.0, 度)"));
    auto* y = new QValueAxis;
    y->setTitleText(QCoreApplication::translate("ShowerChartView", "超過 (エコー/時)"));
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);
    const double peak = years.front().shower.peakSolarLongitude;
    double low = 1e300, high = -1e300, top = 0, bottom = 0;
    for (std::size_t i = 0; i < years.size(); ++i) {
        auto* line = new QLineSeries;
        line->setName(QString::number(years[i].year));
        line->setPen(yearPen(i, years.size()));
        for (const ActivityHour& h : years[i].hours) {
            if (h.inPeriod && h.excess) {
                // Continued past 360 where the period crosses it.
                const double l = peak + std::remainder(h.solarLongitude - peak, 360.0);
                line->append(l, *h.excess);
                low = std::min(low, l);
                high = std::max(high, l);
                top = std::max(top, *h.excess);
                bottom = std::min(bottom, *h.excess);
            }
        }
        chart.addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    if (low < high) {
        roundTicks(*x, low, high);
    }
    roundTicks(*y, bottom, top * 1.05 + 1);
}
