#include "app/ShowerPage.h"

#include "activity/StationCoordinates.h"
#include "activity/UtHourCounts.h"
#include "app/WorkerThread.h"
#include "config/StationInfo.h"
#include "pipeline/OutputWriter.h"
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
#include <utility>

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

struct PlotSpan {
    int tickCount = 0;
    double startHour = 0, endHour = 0; // hours since 1970, at UT midnights
    double degreesPerHour = 0;
    double firstMiddle = 0; // the middle of the table's first hour
    double longitudeStart = 0, longitudeEnd = 0;
};

// The series of a year's plot; the chart takes them over.
struct YearSeries {
    QScatterSeries* rate = nullptr;
    QLineSeries* background = nullptr;
    QLineSeries* excess = nullptr;
    QLineSeries* fit = nullptr;
    std::vector<ActivityChartView::Bar> bars; // the rate's error bars
    double top = 1, bottom = 0;
};

QString number(const std::optional<double>& v, int decimals) {
    return v ? QString::number(*v, 'f', decimals) : QString();
}

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

// The fitted profile over the whole plot, every ten minutes, with its cusp at
// the fitted peak itself. The table holds every hour: the longitude between
// two hours' middles is interpolated, past the ends continued evenly.
void appendFit(QLineSeries& fit, const ShowerActivity& a, const PlotSpan& span) {
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
            fit.append(msOfUnixHour(peakHour), profileAt(peakHour));
            peakDrawn = true;
        }
        fit.append(msOfUnixHour(hour), profileAt(hour));
    }
}

YearSeries yearSeries(const ShowerActivity& a, const PlotSpan& span) {
    YearSeries series;
    series.rate = new QScatterSeries;
    series.rate->setName(ShowerPage::tr("レート"));
    series.rate->setMarkerSize(4);
    series.rate->setBorderColor(Qt::transparent);
    series.rate->setColor(QColor(40, 80, 200));
    series.background = new QLineSeries;
    series.background->setName(ShowerPage::tr("バックグラウンド"));
    series.background->setPen(QPen(QColor(40, 40, 40), 2));
    series.excess = new QLineSeries;
    series.excess->setName(ShowerPage::tr("超過"));
    series.excess->setPen(QPen(QColor(40, 160, 60), 1.2));
    series.fit = new QLineSeries;
    series.fit->setName(ShowerPage::tr("当てはめ"));
    series.fit->setPen(QPen(QColor(200, 30, 30), 2));
    for (const ActivityHour& h : a.hours) {
        const double x = msOfUnixHour(static_cast<double>(h.hour) + 0.5);
        if (h.rate) {
            series.rate->append(x, *h.rate);
            series.bars.push_back({x, *h.rate - *h.rateError, *h.rate + *h.rateError});
            series.top = std::max(series.top, *h.rate + *h.rateError);
        }
        if (h.background) {
            series.background->append(x, *h.background);
        }
        if (h.excess) {
            series.excess->append(x, *h.excess);
            series.bottom = std::min(series.bottom, *h.excess);
        }
    }
    if (a.fit.fitted) {
        appendFit(*series.fit, a, span);
        series.top = std::max(series.top, a.fit.peakExcess);
    }
    return series;
}

} // namespace

ShowerPage::ShowerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShowerPage"));
    buildControls();
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

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(chartView);
    splitter->addWidget(table);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controlsRow());
    layout->addWidget(summary);
    layout->addWidget(splitter, 1);

    worker_ = new WorkerThread(this);
    connect(worker_, &WorkerThread::finished, this, &ShowerPage::workDone);
    connectControls();
    yearChosen();
}

void ShowerPage::buildControls() {
    const auto named = [](QWidget* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    showerChooser = static_cast<QComboBox*>(named(new QComboBox, "showerChooser"));
    yearChooser = static_cast<QComboBox*>(named(new QComboBox, "yearChooser"));
    overlayYears = static_cast<QCheckBox*>(
        named(new QCheckBox(tr("年ごとに太陽黄経で重ねる")), "overlayYears"));
    exportCsvButton =
        static_cast<QPushButton*>(named(new QPushButton(tr("CSV出力")), "exportCsvButton"));
    exportPlotButton =
        static_cast<QPushButton*>(named(new QPushButton(tr("画像出力")), "exportPlotButton"));
    summary = static_cast<QLabel*>(named(new QLabel, "showerSummary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setWordWrap(true);
}

QLayout* ShowerPage::controlsRow() {
    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("流星群")));
    controls->addWidget(showerChooser, 1);
    controls->addWidget(new QLabel(tr("年")));
    controls->addWidget(yearChooser);
    controls->addWidget(overlayYears);
    controls->addStretch(1);
    controls->addWidget(exportCsvButton);
    controls->addWidget(exportPlotButton);
    return controls;
}

void ShowerPage::connectControls() {
    connect(showerChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::showerChosen);
    connect(yearChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::yearChosen);
    connect(overlayYears, &QCheckBox::toggled, this, [this] {
        // The other years are worked out once asked for.
        if (overlayYears->isChecked() && overlay_.empty()) {
            yearChosen();
        } else {
            drawChart();
        }
    });
    const auto exporter = [this](QString (ShowerPage::*write)()) {
        return [this, write] {
            try {
                summary->setText(summary->text() + QLatin1Char('\n') +
                                 tr("出力: %1").arg((this->*write)()));
            } catch (const std::exception& e) {
                summary->setText(QString::fromStdString(e.what()));
            }
        };
    };
    connect(exportCsvButton, &QPushButton::clicked, this, exporter(&ShowerPage::exportCsv));
    connect(exportPlotButton, &QPushButton::clicked, this, exporter(&ShowerPage::exportPlot));
}

QChart* ShowerPage::chart() const {
    return chartView->chart();
}

void ShowerPage::loadFrom(const UtHourList& hours, const Settings& settings) {
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
    // until the new chart is drawn. Counting a decade's hours takes a fraction
    // of a millisecond.
    replaceChart();
    table->setRowCount(0);
    setData(utHourCounts(hours), std::move(showers), stationPosition(station));
}

bool ShowerPage::isDrawingPending() const {
    return worker_->isRunning();
}

void ShowerPage::setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                         std::optional<GeoPosition> station) {
    const QString previous = showerChooser->currentData().toString();
    counts_ = std::make_shared<const std::vector<UtHourCount>>(std::move(counts));
    showers_ = std::make_shared<const std::vector<Shower>>(std::move(showers));
    station_ = station;
    const QSignalBlocker block(showerChooser);
    showerChooser->clear();
    for (const Shower& s : *showers_) {
        if (!showerYears(*counts_, s).empty()) {
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
    const Shower* s = findShower(*showers_, showerChooser->currentData().toString().toStdString());
    if (s) {
        for (int y : showerYears(*counts_, *s)) {
            yearChooser->addItem(QString::number(y), y);
        }
    }
    const int again = yearChooser->findText(previous);
    yearChooser->setCurrentIndex(again >= 0 ? again : yearChooser->count() - 1);
    yearChosen();
}

// Working out a year's activity takes from a few milliseconds to seconds (a
// profile fit per year): it goes on the worker, the chart and the table follow.
struct ShowerPage::Work {
    std::shared_ptr<const std::vector<UtHourCount>> counts;
    std::shared_ptr<const std::vector<Shower>> showers;
    std::optional<GeoPosition> station;
    Shower shower;
    int year = 0;
    std::vector<int> overlayYears; // every year's excess, when they are overlaid
    // Out.
    std::optional<ShowerActivity> activity;
    std::vector<ShowerActivity> overlay;
    std::string error;

    void operator()() {
        try {
            activity = computeShowerActivity(*counts, *showers, shower, year, station);
            for (int other : overlayYears) {
                overlay.push_back(other == year ? *activity
                                                : computeShowerActivity(*counts, *showers, shower,
                                                                        other, station));
            }
        } catch (const std::exception& e) {
            activity.reset();
            error = e.what();
        }
    }
};

void ShowerPage::yearChosen() {
    activity_.reset();
    overlay_.clear();
    exportCsvButton->setEnabled(false);
    exportPlotButton->setEnabled(false);
    const Shower* s = findShower(*showers_, showerChooser->currentData().toString().toStdString());
    if (!s || yearChooser->currentIndex() < 0) {
        showSummary({});
        drawActivity();
        return;
    }
    if (worker_->isRunning()) {
        workAgain_ = true; // the choice of now, once the one before is done
        return;
    }
    work_ = std::make_shared<Work>();
    work_->counts = counts_;
    work_->showers = showers_;
    work_->station = station_;
    work_->shower = *s;
    work_->year = yearChooser->currentData().toInt();
    for (int i = 0; overlayYears->isChecked() && i < yearChooser->count(); ++i) {
        work_->overlayYears.push_back(yearChooser->itemData(i).toInt());
    }
    worker_->start([work = work_] { (*work)(); });
}

void ShowerPage::workDone() {
    const std::shared_ptr<Work> done = std::move(work_);
    if (std::exchange(workAgain_, false)) {
        yearChosen();
        return;
    }
    activity_ = std::move(done->activity);
    overlay_ = std::move(done->overlay);
    exportCsvButton->setEnabled(activity_.has_value());
    exportPlotButton->setEnabled(activity_.has_value());
    showSummary(QString::fromStdString(done->error));
    drawActivity();
}

void ShowerPage::showSummary(const QString& error) {
    if (!error.isEmpty()) {
        summary->setText(error);
    } else if (!activity_) {
        summary->setText(showers_->empty() || showerChooser->count()
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
}

void ShowerPage::drawActivity() {
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
    } else {
        chart->setTitle(
            QString::fromStdString(activity_->shower.name + " " + std::to_string(activity_->year)));
        if (overlayYears->isChecked()) {
            drawOverlay(*chart, *activity_);
        } else if (!activity_->hours.empty()) {
            drawYear(*chart, *activity_);
        }
    }
    chartView->viewport()->update();
}

// Every year's excess by solar longitude, one line each.
void ShowerPage::drawOverlay(QChart& chart, const ShowerActivity& a) {
    auto* x = new QValueAxis;
    x->setTitleText(tr("太陽黄経 (J2000.0, 度)"));
    auto* y = new QValueAxis;
    y->setTitleText(tr("超過 (エコー/時)"));
    chart.addAxis(x, Qt::AlignBottom);
    chart.addAxis(y, Qt::AlignLeft);
    double low = 1e300, high = -1e300, top = 0;
    for (const ShowerActivity& other : overlay_) {
        auto* line = new QLineSeries;
        line->setName(QString::number(other.year));
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
        chart.addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
    }
    if (low < high) {
        x->setRange(low, high);
    }
    y->setRange(std::min(0.0, -0.1 * top), top * 1.1 + 1);
}

// One year: the rate with its error bars, the background, the excess and the
// fitted profile against UT date, the solar longitude on the top axis.
void ShowerPage::drawYear(QChart& chart, const ShowerActivity& a) {
    const PlotSpan span = plotSpanOf(a);
    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM/dd"));
    time->setTickCount(span.tickCount);
    time->setTitleText(tr("日付 (UT)"));
    time->setRange(
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(span.startHour)), Qt::UTC),
        QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(span.endHour)), Qt::UTC));
    auto* longitude = new QValueAxis;
    longitude->setTitleText(tr("太陽黄経 (J2000.0, 度)"));
    longitude->setTickCount(span.tickCount);
    longitude->setLabelFormat(QStringLiteral("%.1f"));
    longitude->setRange(span.longitudeStart, span.longitudeEnd);
    auto* y = new QValueAxis;
    y->setTitleText(tr("エコー数/時"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart.addAxis(time, Qt::AlignBottom);
    chart.addAxis(longitude, Qt::AlignTop);
    chart.addAxis(y, Qt::AlignLeft);

    const YearSeries series = yearSeries(a, span);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{
             series.rate, series.excess, series.background, series.fit}) {
        chart.addSeries(s);
        s->attachAxis(time);
        s->attachAxis(y);
    }
    chartView->bars = series.bars;
    chartView->barSeries = series.rate;
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
    writeLinesToFile(OutputWriter(outputFolder_).pathOf(name), activityCsvLines(*activity_));
    return QString::fromStdString(name);
}

QString ShowerPage::exportPlot() {
    if (!activity_) {
        return {};
    }
    std::string name = activityCsvFileName(*activity_);
    name.replace(name.size() - 4, 4, ".png");
    const std::string path = OutputWriter(outputFolder_).pathOf(name);
    if (!chartView->grab().save(QFile::decodeName(QByteArray::fromStdString(path)), "PNG")) {
        throw IoError("Cannot write '" + path + "'");
    }
    return QString::fromStdString(name);
}
