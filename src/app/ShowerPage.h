#pragma once
// The shower page: a meteor shower's activity from the station's own counts.
// Choose a shower (those whose activity period the data cover) and a year; the
// plot shows the hourly rate with its error bars, the sporadic background,
// the excess and the fitted profile against UT date with the solar longitude
// on the top axis, or every year's excess overlaid by solar longitude; the
// table lists the hours; the CSV table and the plot export into the window's
// output folder.
//
// The main window calls loadFrom when the page is shown; the page keeps only
// the UT hour counts and works out the chosen shower and year on demand, on a
// worker thread: the chart and the table follow once it is done, and a choice
// made meanwhile is worked out next.

#include "activity/ShowerActivity.h"
#include "config/Settings.h"
#include "hourly/UtHourList.h"

#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QChart;
class QComboBox;
class QLabel;
class QLayout;
class QPushButton;
class QTableWidget;
class WorkerThread;
class ActivityChartView;

class ShowerPage : public QWidget {
    Q_OBJECT
public:
    explicit ShowerPage(QWidget* parent = nullptr);

    // Reads the hours, the shower list (shipped and the observer's own) and
    // the station's place. A missing shower list is said on the page.
    void loadFrom(const UtHourList& hours, const Settings& settings);
    void setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                 std::optional<GeoPosition> station);
    // The chosen year is still being worked out; its chart and table follow.
    bool isDrawingPending() const;

    // The activity shown; nothing before a shower is chosen and while the
    // chosen one is worked out.
    const std::optional<ShowerActivity>& activity() const { return activity_; }

    // Where the exports go ("" is the current folder).
    void setOutputFolder(std::string folder) { outputFolder_ = std::move(folder); }
    // activity_CODE_YYYY.csv / .png in the output folder; the name written.
    // IoError on failure.
    QString exportCsv();
    QString exportPlot();

    QChart* chart() const;

    QComboBox* showerChooser;
    QComboBox* yearChooser;
    QCheckBox* overlayYears; // every year's excess by solar longitude
    QLabel* summary;
    ActivityChartView* chartView;
    QTableWidget* table;
    QPushButton* exportCsvButton;
    QPushButton* exportPlotButton;

private:
    void buildControls();
    QLayout* controlsRow();
    void connectControls();
    void showerChosen();
    void yearChosen();
    void workDone();
    void showSummary(const QString& error);
    QChart* replaceChart(); // an empty one
    void drawChart();
    void drawOverlay(QChart& chart, const ShowerActivity& activity);
    void drawYear(QChart& chart, const ShowerActivity& activity);
    void fillTable();
    void drawActivity();

    struct Work;
    WorkerThread* worker_;
    std::shared_ptr<Work> work_; // under way
    bool workAgain_ = false;

    std::string outputFolder_;
    // Shared with the work under way.
    std::shared_ptr<const std::vector<UtHourCount>> counts_ =
        std::make_shared<const std::vector<UtHourCount>>();
    std::shared_ptr<const std::vector<Shower>> showers_ =
        std::make_shared<const std::vector<Shower>>();
    std::optional<GeoPosition> station_;
    std::optional<ShowerActivity> activity_;
    std::vector<ShowerActivity> overlay_; // every year's, when they are overlaid
};
