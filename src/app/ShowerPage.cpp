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
    overlayYears = new QCheckBox(QStringLiteral("Overlay years by solar longitude"));
    overlayYears->setObjectName(QStringLiteral("overlayYears"));
    exportCsvButton = new QPushButton(QStringLiteral("Export CSV"));
    exportCsvButton->setObjectName(QStringLiteral("exportCsvButton"));
    exportPlotButton = new QPushButton(QStringLiteral("Export PNG"));
    exportPlotButton->setObjectName(QStringLiteral("exportPlotButton"));
    summary = new QLabel;
    summary->setObjectName(QStringLiteral("showerSummary"));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setWordWrap(true);

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chartView = new ActivityChartView(chart);
    chartView->setObjectName(QStringLiteral("showerChart"));
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumHeight(300);

    table = new QTableWidget;
    table->setObjectName(QStringLiteral("showerTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(QStringLiteral("Shower")));
    controls->addWidget(showerChooser, 1);
    controls->addWidget(new QLabel(QStringLiteral("Year")));
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

    connect(showerChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::showerChosen);
    connect(yearChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::yearChosen);
    connect(overlayYears, &QCheckBox::toggled, this, &ShowerPage::drawChart);
    connect(exportCsvButton, &QPushButton::clicked, this, [this] {
        try {
            summary->setText(summary->text() + QStringLiteral("\nWritten: ") + exportCsv());
        } catch (const std::exception& e) {
            summary->setText(QString::fromStdString(e.what()));
        }
    });
    connect(exportPlotButton, &QPushButton::clicked, this, [this] {
        try {
            summary->setText(summary->text() + QStringLiteral("\nWritten: ") + exportPlot());
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
    std::vector<Shower> showers;
    try {
        showers = loadShowerList(settings.filePath, std::nullopt);
    } catch (const std::exception& e) {
        setData({}, {}, std::nullopt);
        summary->setText(QString::fromStdString(e.what()));
        return;
    }
    const StationInfo station = loadStationInfo(defaultStationFileName(settings.filePath));
    setData(utHourCounts(hours, settings), std::move(showers), stationPosition(station));
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
        summary->setText(
            showers_.empty() || showerChooser->count()
                ? QString()
                : QStringLiteral("The data cover no listed shower's activity period."));
    } else {
        QStringList parts;
        for (const std::string& line : activitySummaryLines(*activity_)) {
            parts << QString::fromStdString(line);
        }
        if (!station_) {
            parts << QStringLiteral(
                "No station coordinates: no radiant elevation (Station information...)");
        }
        summary->setText(parts.join(QStringLiteral("   ")));
    }
    drawChart();
    fillTable();
}

void ShowerPage::drawChart() {
    QChart* chart = chartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    chartView->bars.clear();
    chartView->barSeries = nullptr;
    if (!activity_) {
        chart->setTitle(QString());
        chartView->viewport()->update();
        return;
    }
    const ShowerActivity& a = *activity_;
    chart->setTitle(QString::fromStdString(a.shower.name + " " + std::to_string(a.year)));

    if (overlayYears->isChecked()) {
        auto* x = new QValueAxis;
        x->setTitleText(QStringLiteral("Solar longitude (J2000.0), degrees"));
        auto* y = new QValueAxis;
        y->setTitleText(QStringLiteral("Excess, echoes per hour"));
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

    auto* time = new QDateTimeAxis;
    time->setFormat(QStringLiteral("MM/dd"));
    time->setTickCount(7);
    time->setTitleText(QStringLiteral("UT date"));
    auto* longitude = new QValueAxis;
    longitude->setTitleText(QStringLiteral("Solar longitude (J2000.0), degrees"));
    longitude->setTickCount(7);
    longitude->setLabelFormat(QStringLiteral("%.1f"));
    auto* y = new QValueAxis;
    y->setTitleText(QStringLiteral("Echoes per hour"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(longitude, Qt::AlignTop);
    chart->addAxis(y, Qt::AlignLeft);

    auto* rate = new QScatterSeries;
    rate->setName(QStringLiteral("Rate"));
    rate->setMarkerSize(4);
    auto* background = new QLineSeries;
    background->setName(QStringLiteral("Background"));
    auto* excess = new QLineSeries;
    excess->setName(QStringLiteral("Excess"));
    auto* fit = new QLineSeries;
    fit->setName(QStringLiteral("Fitted profile"));
    QPen fitPen(QColor(200, 30, 30));
    fitPen.setWidth(2);
    fit->setPen(fitPen);
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
        if (a.fit.fitted && h.inPeriod) {
            const double offset =
                std::remainder(h.solarLongitude - a.fit.peakSolarLongitude, 360.0);
            fit->append(
                x, activityProfile(offset, 0, a.fit.peakExcess, a.fit.riseSlope, a.fit.fallSlope));
        }
    }
    for (QAbstractSeries* s :
         {static_cast<QAbstractSeries*>(background), static_cast<QAbstractSeries*>(excess),
          static_cast<QAbstractSeries*>(rate), static_cast<QAbstractSeries*>(fit)}) {
        chart->addSeries(s);
        s->attachAxis(time);
        s->attachAxis(y);
    }
    chartView->barSeries = rate;
    if (!a.hours.empty()) {
        const double first = static_cast<double>(a.hours.front().hour);
        const double last = static_cast<double>(a.hours.back().hour) + 1;
        time->setRange(
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(first)), Qt::UTC),
            QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msOfUnixHour(last)), Qt::UTC));
        // The Sun's longitude runs almost evenly with time, so its axis is the
        // time axis relabelled by the first and the last hour's longitude.
        const double l0 = a.hours.front().solarLongitude;
        const double l1 =
            l0 + std::remainder(a.hours.back().solarLongitude - l0, 360.0) +
            (a.hours.back().solarLongitude - a.hours[a.hours.size() - 2].solarLongitude) / 2;
        longitude->setRange(l0 - (a.hours[1].solarLongitude - l0) / 2, l1);
        // An axis with no series of its own is laid out badly: give it an
        // invisible one.
        auto* carrier = new QLineSeries;
        carrier->append(longitude->min(), 0);
        carrier->append(longitude->max(), 0);
        carrier->setVisible(false);
        chart->addSeries(carrier);
        carrier->attachAxis(longitude);
        carrier->attachAxis(y);
        chart->legend()->markers(carrier).value(0)->setVisible(false);
    }
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
    std::string name = activityCsvFileName(*activity_);
    name.replace(name.size() - 4, 4, ".png");
    if (!chartView->grab().save(QString::fromStdString(name), "PNG")) {
        throw IoError("Cannot write '" + name + "'");
    }
    return QString::fromStdString(name);
}
