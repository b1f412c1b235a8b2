// The shower page: choosers filled from the data, the chosen year's table,
// the overlay of years and the exports into the output folder.

#include "app/ShowerPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>

#include <cmath>

class ShowerPageTest : public QObject {
    Q_OBJECT
private:
    // Two Decembers of a flat background with a Geminid peak on the 14th.
    static std::vector<UtHourCount> twoDecembers() {
        std::vector<UtHourCount> counts;
        for (int year : {2015, 2016}) {
            for (std::int64_t h = unixHourOf(year, 11, 20, 0); h < unixHourOf(year, 12, 31, 0);
                 ++h) {
                const double fromPeak =
                    std::fabs(static_cast<double>(h - unixHourOf(year, 12, 14, 0)));
                counts.push_back(
                    {h, 60, 30 + static_cast<std::int64_t>(200 * std::pow(0.9, fromPeak)), true});
            }
        }
        return counts;
    }
    static std::vector<Shower> showers() {
        return parseShowerCatalog(std::string("code,name,start,end,peak_solar_longitude,ra,dec\n"
                                              "GEM,Geminids,12-04,12-20,262.2,112,33\n"
                                              "PER,Perseids,07-17,08-24,140,48,58\n"),
                                  "test");
    }

    // The chosen year worked out, its chart and table drawn.
    static void settle(const ShowerPage& page) {
        QTRY_VERIFY_WITH_TIMEOUT(!page.isDrawingPending(), 60000);
    }

private slots:
    void listsOnlyShowersTheDataCover() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), std::nullopt);
        QCOMPARE(page.showerChooser->count(), 1);
        QVERIFY(page.isDrawingPending()); // the choosers at once, the year on the worker
        settle(page);
        QCOMPARE(page.showerChooser->currentData().toString(), QStringLiteral("GEM"));
        QCOMPARE(page.yearChooser->count(), 2);
        QCOMPARE(page.yearChooser->currentText(), QStringLiteral("2016")); // the latest
        QVERIFY(page.activity());
        QCOMPARE(page.table->rowCount(), static_cast<int>(page.activity()->hours.size()));
        QCOMPARE(page.table->horizontalHeaderItem(0)->text(), QStringLiteral("time_ut"));
        QVERIFY(page.summary->text().contains(QStringLiteral("Peak=2016/12/14")));
    }

    void choosingAYearRecomputes() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), GeoPosition{35.7, 139.8});
        // A choice made while the one before is worked out is worked out next.
        page.yearChooser->setCurrentIndex(0);
        settle(page);
        QCOMPARE(page.activity()->year, 2015);
        QVERIFY(!page.table->item(0, 9)->text().isEmpty()); // radiant elevation with a station
        page.overlayYears->click();
        settle(page);
        QCOMPARE(page.chart()->series().size(), 2); // one excess line per year
        page.overlayYears->click();
        QVERIFY(page.chart()->series().size() >= 4);
    }

    void oneValueAxisAndTheFitAcrossThePlot() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), std::nullopt);
        settle(page);
        QVERIFY(page.activity()->fit.fitted);
        QCOMPARE(page.chart()->axes(Qt::Vertical).size(), 1);
        QCOMPARE(page.chart()->axes(Qt::Horizontal).size(), 2); // date below, longitude above
        const auto* time = qobject_cast<QDateTimeAxis*>(page.chart()->axes(Qt::Horizontal)[0]);
        QVERIFY(time);
        QVERIFY(time->tickCount() <= 9);
        QCOMPARE(time->min().time(), QTime(0, 0)); // ticks at UT midnights
        const QLineSeries* fit = nullptr;
        for (QAbstractSeries* series : page.chart()->series()) {
            if (series->name() == QStringLiteral("当てはめ")) {
                fit = qobject_cast<QLineSeries*>(series);
            }
        }
        QVERIFY(fit && fit->count() > 0);
        QCOMPARE(fit->at(0).x(), static_cast<double>(time->min().toMSecsSinceEpoch()));
        QCOMPARE(fit->at(fit->count() - 1).x(),
                 static_cast<double>(time->max().toMSecsSinceEpoch()));
        double highest = 0;
        for (const QPointF& p : fit->points()) {
            highest = std::max(highest, p.y());
        }
        // The cusp itself is drawn, not only the ten-minute points beside it.
        QVERIFY(std::fabs(highest - page.activity()->fit.peakExcess) <
                1e-3 * page.activity()->fit.peakExcess);
    }

    void withoutCoveredShowersSaysSo() {
        ShowerPage page;
        page.setData({}, showers(), std::nullopt);
        settle(page);
        QCOMPARE(page.showerChooser->count(), 0);
        QVERIFY(!page.activity());
        QVERIFY(!page.exportCsvButton->isEnabled());
        QVERIFY(page.summary->text().contains(QStringLiteral("活動期間")));
    }

    void exportsTheTableAndThePlot() {
        QTemporaryDir dir;
        ShowerPage page;
        page.setOutputFolder(QFile::encodeName(dir.path()).toStdString());
        page.resize(800, 600);
        page.setData(twoDecembers(), showers(), std::nullopt);
        QVERIFY(!page.exportCsvButton->isEnabled()); // until the year is worked out
        settle(page);
        page.exportCsvButton->click();
        page.exportPlotButton->click();
        QFile csv(dir.filePath(QStringLiteral("activity_GEM_2016.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readLine().startsWith("time_ut,solar_longitude,"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("activity_GEM_2016.png"))));
        QVERIFY(page.summary->text().contains(QStringLiteral("出力: activity_GEM_2016.png")));
    }
};

QTEST_MAIN(ShowerPageTest)
#include "ShowerPageTest.moc"
