#include "app/ShowerPage.h"

#include "activity/StationCoordinates.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

// The chart with the rate's error bars drawn over it: Qt Charts has no error
// bar series, and one line series per bar would cost a thousand series.
class ActivityChartView : public QChartView {
public:
    using QChartView::QChartView;
    struct Bar {
        double x, low, high;
    };
    std::vector<Bar> bars;
    QAbstractSeries* barSeries = nullptr; // the series whose axes place the bars

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override {
        QChartView::drawForeground(painter, rect);
        if (!barSeries || bars.empty()) {
            return;
        }
        painter->save();
        painter->setPen(QPen(QColor(40, 80, 200, 150), 1));
        painter->setClipRect(chart()->plotArea());
        for (const Bar& b : bars) {
            const QPointF lo = chart()->mapToPosition(QPointF(b.x, b.low), barSeries);
            const QPointF hi = chart()->mapToPosition(QPointF(b.x, b.high), barSeries);
            painter->drawLine(lo, hi);
        }
        painter->restore();
    }
};

namespace {

// More date ticks than this crowd the labels on a narrow window.
constexpr std::int64_t kMostDateTicks = 8;

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

QString number(const std::optional<double>& v, int decimals) {
    return v ? QString::number(*v, 'f', decimals) : QString();
}

} // namespace

ShowerPage::ShowerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShowerPage"));
    showerChooser = new QComboBox;
    showerChooser->setObjectName(QStringLiteral("showerChooser"));
    yearChooser = new QComboBox;
    yearChooser->setObjectName(QStringLiteral("yearChooser"));
    overlayYears = new QCheckBox(tr("年ごとに太陽黄経で重ねる"));
    overlayYears->setObjectName(QStringLiteral("overlayYears"));
    exportCsvButton = new QPushButton(tr("CSV出力"));
    exportCsvButton->setObjectName(QStringLiteral("exportCsvButton"));
    exportPlotButton = new QPushButton(tr("画像出力"));
    exportPlotButton->setObjectName(QStringLiteral("exportPlotButton"));
    summary = new QLabel;
    summary->setObjectName(QStringLiteral("showerSummary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setWordWrap(true);

    chartView = new ActivityChartView(emptyChart());
    chartView->setObjectName(QStringLiteral("showerChart"));
    chartView->setRenderHint(QPainter::Antialiasing);
    // Below this the axes' labels no longer fit and Qt Charts elides them.
    chartView->setMinimumHeight(260);

    table = new QTableWidget;
    table->setObjectName(QStringLiteral("showerTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    // Every row of a column has the same form: a day's rows are enough to
    // size it, where all of them took most of the time of a choice.
    table->horizontalHeader()->setResizeContentsPrecision(24);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("流星群")));
    controls->addWidget(showerChooser, 1);
    controls->addWidget(new QLabel(tr("年")));
    controls->addWidget(yearChooser);
    controls->addWidget(overlayYears);
    controls->addStretch(1);
    controls->addWidget(exportCsvButton);
    controls->addWidget(exportPlotButton);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(chartView);
    splitter->addWidget(table);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(summary);
    layout->addWidget(splitter, 1);

    drawLater_ = new QTimer(this);
    drawLater_->setSingleShot(true);
    drawLater_->setInterval(0);
    connect(drawLater_, &QTimer::timeout, this, &ShowerPage::drawActivity);

    connect(showerChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::showerChosen);
    connect(yearChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::yearChosen);
    connect(overlayYears, &QCheckBox::toggled, this, &ShowerPage::drawChart);
    connect(exportCsvButton, &QPushButton::clicked, this, [this] {
        try {
            summary->setText(summary->text() + QLatin1Char('\n') + tr("出力: %1").arg(exportCsv()));
        } catch (const std::exception& e) {
            summary->setText(QString::fromStdString(e.what()));
        }
    });
    connect(exportPlotButton, &QPushButton::clicked, this, [this] {
        try {
            summary->setText(summary->text() + QLatin1Char('\n') +
                             tr("出力: %1").arg(exportPlot()));
        } catch (const std::exception& e) {
            summary->setText(QString::fromStdString(e.what()));
        }
    });
    yearChosen();
}

QChart* ShowerPage::chart() const {
    return chartView->chart();
}

void ShowerPage::loadFrom(const HourTable& hours, const Settings& settings) {
    loadFrom(settings, [&hours, &settings] { return utHourCounts(hours, settings); });
}

void ShowerPage::loadFrom(const Settings& settings,
                          const std::function<std::vector<UtHourCount>()>& countHours) {
    std::vector<Shower> showers;
    try {
        showers = loadShowerList(settings.filePath, std::nullopt);
    } catch (const std::exception& e) {
        setData({}, {}, std::nullopt);
        summary->setText(QString::fromStdString(e.what()));
        return;
    }
    const StationInfo station = loadStationInfo(defaultStationFileName(settings.filePath));
    // What was drawn from the previous counts goes now rather than be painted
    // while the hours are counted.
    replaceChart();
    table->setRowCount(0);
    std::vector<UtHourCount> counts = countHours();
    // Counting a decade's hours and drawing a year's chart and table take
    // about as long each: the drawing waits for the window to come round.
    deferDrawing_ = true;
    const struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{deferDrawing_};
    setData(std::move(counts), std::move(showers), stationPosition(station));
}

bool ShowerPage::isDrawingPending() const {
    return drawLater_->isActive();
}

void ShowerPage::setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                         std::optional<GeoPosition> station) {
    const QString previous = showerChooser->currentData().toString();
    counts_ = std::move(counts);
    showers_ = std::move(showers);
    station_ = station;
    const QSignalBlocker block(showerChooser);
    showerChooser->clear();
    for (const Shower& s : showers_) {
        if (!showerYears(counts_, s).empty()) {
            showerChooser->addItem(QString::fromStdString(s.code + "  " + s.name),
                                   QString::fromStdString(s.code));
        }
    }
    const int again = showerChooser->findData(previous);
    showerChooser->setCurrentIndex(again >= 0 ? again : (showerChooser->count() ? 0 : -1));
    showerChosen();
}

void ShowerPage::showerChosen() {
    const QString previous = yearChooser->currentText();
    const QSignalBlocker block(yearChooser);
    yearChooser->clear();
    const Shower* s = findShower(showers_, showerChooser->currentData().toString().toStdString());
    if (s) {
        for (int y : showerYears(counts_, *s)) {
            yearChooser->addItem(QString::number(y), y);
        }
    }
    const int again = yearChooser->findText(previous);
    yearChooser->setCurrentIndex(again >= 0 ? again : yearChooser->count() - 1);
    yearChosen();
}

void ShowerPage::yearChosen() {
    const Shower* s = findShower(showers_, showerChooser->currentData().toString().toStdString());
    activity_.reset();
    if (s && yearChooser->currentIndex() >= 0) {
        activity_ = computeShowerActivity(counts_, showers_, *s, yearChooser->currentData().toInt(),
                                          station_);
    }
    exportCsvButton->setEnabled(activity_.has_value());
    exportPlotButton->setEnabled(activity_.has_value());
    if (!activity_) {
        summary->setText(showers_.empty() || showerChooser->count()
                             ? QString()
                             : tr("一覧のどの流星群の活動期間もデータに含まれていません"));
    } else {
        QStringList parts;
        for (const std::string& line : activitySummaryLines(*activity_)) {
            parts << QString::fromStdString(line);
        }
        if (!station_) {
            parts << tr("観測局の緯度経度がないため放射点高度はありません (設定 > 観測局情報)");
        }
        summary->setText(parts.join(QStringLiteral("   ")));
    }
    if (deferDrawing_) {
        drawLater_->start();
        return;
    }
    drawActivity();
}

void ShowerPage::drawActivity() {
    drawLater_->stop();
    drawChart();
    fillTable();
}

QChart* ShowerPage::replaceChart() {
    // A new chart each time: axes removed from a chart leave their labels
    // painted over the new ones.
    chartView->bars.clear();
    chartView->barSeries = nullptr;
    QChart* chart = emptyChart();
    QChart* old = chartView->chart();
    chartView->setChart(chart);
    delete old;
    return chart;
}

void ShowerPage::drawChart() {
    QChart* chart = replaceChart();
    if (!activity_) {
        chart->setTitle(QString());
        chartView->viewport()->update();
        return;
    }
    const ShowerActivity& a = *activity_;
    chart->setTitle(QString::fromStdString(a.shower.name + " " + std::to_string(a.year)));

    if (overlayYears->isChecked()) {
        auto* x = new QValueAxis;
        x->setTitleText(tr("太陽黄経 (J2000.0, 度)"));
        auto* y = new QValueAxis;
        y->setTitleText(tr("超過 (エコー/時)"));
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        double low = 1e300, high = -1e300, top = 0;
        for (int i = 0; i < yearChooser->count(); ++i) {
            const int year = yearChooser->itemData(i).toInt();
            const ShowerActivity other =
                year == a.year ? a
                               : computeShowerActivity(counts_, showers_, a.shower, year, station_);
            auto* line = new QLineSeries;
            line->setName(QString::number(year));
            for (const ActivityHour& h : other.hours) {
                if (h.inPeriod && h.excess) {
                    const double l =
                        a.shower.peakSolarLongitude +
                        std::remainder(h.solarLongitude - a.shower.peakSolarLongitude, 360.0);
                    line->append(l, *h.excess);
                    low = std::min(low, l);
                    high = std::max(high, l);
                    top = std::max(top, *h.excess);
                }
            }
            chart->addSeries(line);
            line->attachAxis(x);
            line->attachAxis(y);
        }
        if (low < high) {
            x->setRange(low, high);
        }
        y->setRange(std::min(0.0, -0.1 * top), top * 1.1 + 1);
        chartView->viewport()->update();
        return;
    }

    if (a.hours.empty()) {
        chartView->viewport()->update();
        return;
    }
    // The table runs over whole UT days. Ticks at midnight every few days, so
    // that short dates fit under each; the solar longitude's ticks sit above
    // the same midnights.
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
    const int tickCount = static_cast<int>((lastDay - firstDay) / step) + 1;
    const double startHour = static_cast<double>(firstDay * 24);
    const double endHour = static_cast<double>(lastDay * 24);

    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM/dd"));
    time->setTickCount(tickCount);
    time->setTitleText(tr("日付 (UT)"));
    time->setRange(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(startHour)), Qt::UTC),
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(endHour)), Qt::UTC));
    // The Sun's longitude runs almost evenly with time, so its axis is the
    // time axis relabelled by the longitudes at both ends (continued past 360
    // where the plot crosses it, as the Quadrantids' does).
    const ActivityHour& firstHour = a.hours.front();
    const double degreesPerHour =
        a.hours.size() > 1
            ? std::remainder(a.hours.back().solarLongitude - firstHour.solarLongitude, 360.0) /
                  static_cast<double>(a.hours.back().hour - firstHour.hour)
            : 360.0 / 8766.0;
    const double firstMiddle = static_cast<double>(firstHour.hour) + 0.5;
    const double longitudeStart =
        firstHour.solarLongitude + (startHour - firstMiddle) * degreesPerHour;
    const double longitudeEnd = firstHour.solarLongitude + (endHour - firstMiddle) * degreesPerHour;
    auto* longitude = new QValueAxis;
    longitude->setTitleText(tr("太陽黄経 (J2000.0, 度)"));
    longitude->setTickCount(tickCount);
    longitude->setLabelFormat(QStringLiteral("%.1f"));
    longitude->setRange(longitudeStart, longitudeEnd);
    auto* y = new QValueAxis;
    y->setTitleText(tr("エコー数/時"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(longitude, Qt::AlignTop);
    chart->addAxis(y, Qt::AlignLeft);

    auto* rate = new QScatterSeries;
    rate->setName(tr("レート"));
    rate->setMarkerSize(4);
    rate->setBorderColor(Qt::transparent);
    rate->setColor(QColor(40, 80, 200));
    auto* background = new QLineSeries;
    background->setName(tr("バックグラウンド"));
    background->setPen(QPen(QColor(40, 40, 40), 2));
    auto* excess = new QLineSeries;
    excess->setName(tr("超過"));
    excess->setPen(QPen(QColor(40, 160, 60), 1.2));
    auto* fit = new QLineSeries;
    fit->setName(tr("当てはめ"));
    fit->setPen(QPen(QColor(200, 30, 30), 2));
    double top = 1, bottom = 0;
    for (const ActivityHour& h : a.hours) {
        const double x = msOfUnixHour(static_cast<double>(h.hour) + 0.5);
        if (h.rate) {
            rate->append(x, *h.rate);
            chartView->bars.push_back({x, *h.rate - *h.rateError, *h.rate + *h.rateError});
            top = std::max(top, *h.rate + *h.rateError);
        }
        if (h.background) {
            background->append(x, *h.background);
        }
        if (h.excess) {
            excess->append(x, *h.excess);
            bottom = std::min(bottom, *h.excess);
        }
    }
    if (a.fit.fitted) {
        // The profile over the whole plot, every ten minutes, with its cusp
        // at the fitted peak itself.
        // The table holds every hour: the longitude between two hours'
        // middles is interpolated, past the ends continued evenly.
        auto longitudeAt = [&](double hour) {
            const double position = hour - firstMiddle;
            const auto i = static_cast<std::size_t>(
                std::clamp(std::floor(position), 0.0, static_cast<double>(a.hours.size() - 1)));
            const double step =
                i + 1 < a.hours.size()
                    ? std::remainder(a.hours[i + 1].solarLongitude - a.hours[i].solarLongitude,
                                     360.0)
                    : degreesPerHour;
            return a.hours[i].solarLongitude + (position - static_cast<double>(i)) * step;
        };
        auto profileAt = [&](double hour) {
            const double l = longitudeAt(hour);
            return activityProfile(std::remainder(l - a.fit.peakSolarLongitude, 360.0), 0,
                                   a.fit.peakExcess, a.fit.riseSlope, a.fit.fallSlope);
        };
        const double peakHour = a.fitPeakHour.value_or(startHour);
        bool peakDrawn = !a.fitPeakHour;
        const std::int64_t steps = (lastDay - firstDay) * 24 * 6;
        for (std::int64_t k = 0; k <= steps; ++k) {
            const double hour = startHour + static_cast<double>(k) / 6.0;
            if (!peakDrawn && peakHour <= hour) {
                fit->append(msOfUnixHour(peakHour), profileAt(peakHour));
                peakDrawn = true;
            }
            fit->append(msOfUnixHour(hour), profileAt(hour));
        }
        top = std::max(top, a.fit.peakExcess);
    }
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(rate), static_cast<QAbstractSeries*>(excess),
          static_cast<QAbstractSeries*>(background), static_cast<QAbstractSeries*>(fit)}) {
        chart->addSeries(s);
        s->attachAxis(time);
        s->attachAxis(y);
    }
    chartView->barSeries = rate;
    // An axis with no series of its own is laid out badly: give the top one an
    // invisible series on the same value axis.
    auto* carrier = new QLineSeries;
    carrier->append(longitudeStart, 0);
    carrier->append(longitudeEnd, 0);
    carrier->setVisible(false);
    chart->addSeries(carrier);
    carrier->attachAxis(longitude);
    carrier->attachAxis(y);
    chart->legend()->markers(carrier).value(0)->setVisible(false);
    y->setRange(bottom * 1.1, top * 1.05);
    y->applyNiceNumbers();
    chartView->viewport()->update();
}

void ShowerPage::fillTable() {
    table->clear();
    const QStringList headers =
        QString::fromStdString(activityCsvLines(ShowerActivity{})[0]).split(QLatin1Char(','));
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    if (!activity_) {
        table->setRowCount(0);
        return;
    }
    const auto& hours = activity_->hours;
    table->setRowCount(static_cast<int>(hours.size()));
    for (int r = 0; r < static_cast<int>(hours.size()); ++r) {
        const ActivityHour& h = hours[static_cast<std::size_t>(r)];
        const QString cells[] = {
            QString::fromStdString(formatUtTime(static_cast<double>(h.hour) + 0.5)),
            QString::number(h.solarLongitude, 'f', 4),
            QString::number(h.observedMinutes),
            h.observed ? QString::number(h.echoes) : QString(),
            number(h.rate, 2),
            number(h.background, 2),
            number(h.excess, 2),
            number(h.excessError, 2),
            number(h.ratio, 3),
            number(h.radiantElevation, 2),
            number(h.correctedExcess, 2)};
        for (int c = 0; c < 11; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (!h.inPeriod) {
                item->setForeground(QColor(128, 128, 128)); // reference days, for context
            }
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
}

QString ShowerPage::exportCsv() {
    if (!activity_) {
        return {};
    }
    const std::string name = activityCsvFileName(*activity_);
    writeLinesToFile(name, activityCsvLines(*activity_));
    return QString::fromStdString(name);
}

QString ShowerPage::exportPlot() {
    if (!activity_) {
        return {};
    }
    if (isDrawingPending()) {
        drawActivity(); // the picture is of the chart as it will be shown
    }
    std::string name = activityCsvFileName(*activity_);
    name.replace(name.size() - 4, 4, ".png");
    if (!chartView->grab().save(QString::fromStdString(name), "PNG")) {
        throw IoError("Cannot write '" + name + "'");
    }
    return QString::fromStdString(name);
}
