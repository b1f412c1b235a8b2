// The shower page: choosers filled from the data and opened on the newest
// period within it, the chosen year's table and chart, the overlay of years,
// the exports into the output folder and the texts in the window's language.

#include "app/ShowerPage.h"
#include "app/Language.h"
#include "app/MessageBoxes.h"
#include "app/ShowerChartView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtCharts/QChart>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
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
                                              "QUA,Quadrantids,12-28,01-12,283.15,230,49\n"
                                              "GEM,Geminids,12-04,12-20,262.2,112,33\n"
                                              "URS,Ursids,12-17,12-26,270.7,217,76\n"
                                              "PER,Perseids,07-17,08-24,140,48,58\n"),
                                  "test");
    }

    // The chosen year worked out, its chart and table drawn.
    // The fit takes a second here and a minute under ThreadSanitizer on a busy machine.
    static void settle(const ShowerPage& page) {
        QTRY_VERIFY_WITH_TIMEOUT(!page.isDrawingPending(), 300000);
    }
    static void choose(ShowerPage& page, const char* code) {
        page.showerChooser->setCurrentIndex(page.showerChooser->findData(QLatin1String(code)));
        settle(page);
    }
    static const QLineSeries* seriesNamed(const ShowerPage& page, const QString& name) {
        for (QAbstractSeries* series : page.chart()->series()) {
            if (series->name() == name) {
                return qobject_cast<QLineSeries*>(series);
            }
        }
        return nullptr;
    }

private slots:
    void listsOnlyShowersTheDataCover() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), std::nullopt);
        QCOMPARE(page.showerChooser->count(), 3); // not the Perseids
        QVERIFY(page.isDrawingPending());         // the choosers at once, the year on the worker
        settle(page);
        choose(page, "GEM");
        QCOMPARE(page.yearChooser->count(), 2);
        QCOMPARE(page.yearChooser->currentText(), QStringLiteral("2016")); // the latest
        QVERIFY(page.activity());
        QCOMPARE(page.table->rowCount(), static_cast<int>(page.activity()->hours.size()));
        QCOMPARE(page.table->horizontalHeaderItem(0)->text(), QStringLiteral("time_ut"));
        // The fitted maximum first, then the peak with its significance.
        const QString text = page.summary->text();
        QVERIFY2(text.startsWith(QStringLiteral("<b>極大 (当てはめ) 2016/12/14")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("ピーク (移動平均) 2016/12/14")) &&
                     text.contains(QStringLiteral("有意度")),
                 qPrintable(text));
    }

    // Data ending on Dec 31: the Quadrantids of the next year have begun but
    // not ended, the Ursids have ended last.
    void opensOnTheNewestPeriodWithinTheData() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), std::nullopt);
        settle(page);
        QCOMPARE(page.showerChooser->currentData().toString(), QStringLiteral("URS"));
        QCOMPARE(page.yearChooser->currentText(), QStringLiteral("2016"));
        choose(page, "QUA");
        QCOMPARE(page.yearChooser->count(), 2);
        QCOMPARE(page.yearChooser->currentText(), QStringLiteral("2016")); // not 2017
    }

    void choosingAYearRecomputes() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), GeoPosition{35.7, 139.8});
        page.showerChooser->setCurrentIndex(page.showerChooser->findData(QStringLiteral("GEM")));
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

    // The model drawn is the one the table holds (the profile times the
    // elevation factor), the profile alone beside it with its cusp; the hours
    // not observed are shaded.
    void theModelTheProfileAndTheUnobservedHours() {
        std::vector<UtHourCount> counts = twoDecembers();
        const std::int64_t gapStart = unixHourOf(2016, 12, 10, 0);
        std::erase_if(counts, [&](const UtHourCount& c) {
            return c.hour >= gapStart && c.hour < gapStart + 6;
        });
        ShowerPage page;
        page.setData(counts, showers(), GeoPosition{35.7, 139.8});
        choose(page, "GEM");
        const ShowerActivity& a = *page.activity();
        QVERIFY(a.fit.fitted && a.fit.withElevation);
        QCOMPARE(page.chart()->axes(Qt::Vertical).size(), 1);
        QCOMPARE(page.chart()->axes(Qt::Horizontal).size(), 2); // date below, longitude above
        const auto* time = qobject_cast<QDateTimeAxis*>(page.chart()->axes(Qt::Horizontal)[0]);
        QVERIFY(time && time->tickCount() <= 9);
        QCOMPARE(time->min().time(), QTime(0, 0)); // ticks at UT midnights

        const QLineSeries* model = seriesNamed(page, QStringLiteral("当てはめ"));
        QVERIFY(model);
        QCOMPARE(model->count(), static_cast<int>(a.hours.size()));
        for (int i = 0; i < model->count(); ++i) {
            QCOMPARE(model->at(i).y(), *a.hours[static_cast<std::size_t>(i)].fitExcess);
        }
        const QLineSeries* profile =
            seriesNamed(page, QStringLiteral("活動プロファイル (高度係数 1)"));
        QVERIFY(profile);
        QCOMPARE(profile->at(0).x(), static_cast<double>(time->min().toMSecsSinceEpoch()));
        double highest = 0;
        for (const QPointF& p : profile->points()) {
            highest = std::max(highest, p.y());
        }
        // The cusp itself is drawn, not only the ten-minute points beside it.
        QVERIFY(std::fabs(highest - a.fit.peakExcess) < 1e-3 * a.fit.peakExcess);

        const double hourMs = 3600.0 * 1000.0;
        const auto& shaded = page.chartView->unobserved();
        QVERIFY(std::any_of(shaded.begin(), shaded.end(), [&](const ShowerChartView::Stretch& s) {
            return s.from == static_cast<double>(gapStart) * hourMs &&
                   s.to == static_cast<double>(gapStart + 6) * hourMs;
        }));
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

    void exportsEveryYearShownAtAFixedSize() {
        QTemporaryDir dir;
        QStringList errors;
        setMessageBoxHook([&](QMessageBox::Icon, const QString& text) { errors << text; });
        ShowerPage page;
        page.setOutputFolder(QFile::encodeName(dir.path()).toStdString());
        page.resize(400, 300);
        page.setData(twoDecembers(), showers(), std::nullopt);
        QVERIFY(!page.exportCsvButton->isEnabled()); // until the year is worked out
        choose(page, "GEM");
        page.exportCsvButton->click();
        page.exportPlotButton->click();
        QFile csv(dir.filePath(QStringLiteral("activity_GEM_2016.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        QVERIFY(csv.readLine().startsWith("time_ut,solar_longitude,"));
        QCOMPARE(QImage(dir.filePath(QStringLiteral("activity_GEM_2016.png"))).size(),
                 QSize(1600, 900));
        // One line for the last export, naming the folder.
        QCOMPARE(page.exportNote->text(),
                 QStringLiteral("activity_GEM_2016.png を %1 に出力しました")
                     .arg(QDir::toNativeSeparators(dir.path())));

        // Overlaid: a colour per year, a title naming them, round ticks, and
        // every year exported.
        page.overlayYears->click();
        settle(page);
        const QList<QAbstractSeries*> lines = page.chart()->series();
        QCOMPARE(lines.size(), 2);
        QVERIFY(qobject_cast<QLineSeries*>(lines[0])->pen().color() !=
                qobject_cast<QLineSeries*>(lines[1])->pen().color());
        QCOMPARE(page.chart()->title(), QStringLiteral("Geminids 2015-2016"));
        const auto* x = qobject_cast<QValueAxis*>(page.chart()->axes(Qt::Horizontal)[0]);
        QCOMPARE(x->tickType(), QValueAxis::TicksDynamic);
        QVERIFY(std::fabs(std::remainder(x->tickAnchor(), x->tickInterval())) < 1e-9);
        page.exportCsvButton->click();
        page.exportPlotButton->click();
        for (const char* name : {"activity_GEM_2015.csv", "activity_GEM_2015-2016.png"}) {
            QVERIFY2(QFile::exists(dir.filePath(QLatin1String(name))), name);
        }
        QVERIFY(errors.isEmpty());

        // A folder that is gone: the window's error box names the file and the cause.
        page.setOutputFolder(QFile::encodeName(dir.filePath(QStringLiteral("gone"))).toStdString());
        page.exportCsvButton->click();
        setMessageBoxHook({});
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0], QStringLiteral("ファイル「%1」を作成できません。\n原因: "
                                           "ファイルまたはフォルダがありません")
                                .arg(dir.filePath(QStringLiteral("gone/activity_GEM_2015.csv"))));
    }

    void textsFollowTheLanguage() {
        ShowerPage page;
        page.setData(twoDecembers(), showers(), std::nullopt);
        choose(page, "GEM");
        LanguageSwitch language;
        language.apply(Language::English);
        QTRY_COMPARE(page.exportCsvButton->text(), QStringLiteral("Export CSV"));
        QVERIFY2(page.summary->text().startsWith(QStringLiteral("<b>Maximum (fit) 2016/12/14")),
                 qPrintable(page.summary->text()));
        QVERIFY(page.summary->text().contains(QStringLiteral("No radiant elevation")));
        QVERIFY(seriesNamed(page, QStringLiteral("Fit")));
        language.apply(Language::Japanese);
        QTRY_COMPARE(page.exportCsvButton->text(), QStringLiteral("CSV出力"));
        QVERIFY(seriesNamed(page, QStringLiteral("当てはめ")));
    }
};

QTEST_MAIN(ShowerPageTest)
#include "ShowerPageTest.moc"
