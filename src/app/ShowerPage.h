#pragma once
// The shower page: a meteor shower's activity from the station's own counts.
// Choose a shower (those whose activity period the data cover) and a year;
// the page opens on the newest period that ends within the data. Beside the
// chart (ShowerChartView) the fitted maximum, the peak with its significance
// and every doubt about them; the table lists the hours. The overlay shows
// every year's excess by solar longitude. The CSV tables (one per year shown)
// and the chart's picture, at a fixed size, go into the window's output
// folder; a failed export shows the window's error box.
//
// The main window calls loadFrom when the page is shown and setStation when
// the station file is saved; the page keeps only the UT hour counts and works
// out the chosen shower and year on demand, on a worker thread: the chart and
// the table follow once it is done, and a choice made meanwhile is worked out
// next. Its texts follow a change of language at once.

#include "activity/ShowerActivity.h"
#include "app/Captions.h"
#include "config/Settings.h"
#include "config/StationInfo.h"
#include "hourly/UtHourList.h"

#include <QImage>
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
class ShowerChartView;
class WorkerThread;

class ShowerPage : public QWidget {
    Q_OBJECT
public:
    explicit ShowerPage(QWidget* parent = nullptr);

    // Reads the hours, the shower list (shipped and the observer's own) and
    // the station's place. A missing shower list is said on the page.
    void loadFrom(const UtHourList& hours, const Settings& settings);
    void setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                 std::optional<GeoPosition> station);
    // The station file as saved: a new place is worked out at once.
    void setStation(const StationInfo& station);
    // The chosen year is still being worked out; its chart and table follow.
    bool isDrawingPending() const;

    // The activity shown; nothing before a shower is chosen and while the
    // chosen one is worked out.
    const std::optional<ShowerActivity>& activity() const { return activity_; }

    // Where the exports go ("" is the current folder).
    void setOutputFolder(std::string folder) { outputFolder_ = std::move(folder); }
    // activity_CODE_YYYY.csv for each year shown, activity_CODE_YYYY.png (or
    // activity_CODE_FIRST-LAST.png for the overlay) in the output folder; the
    // names written. IoError on failure.
    QStringList exportCsv();
    QStringList exportPlot();
    // The chart as exported: kPictureSize whatever the window's size.
    QImage picture() const;
    static constexpr QSize kPictureSize{1600, 900};

    QChart* chart() const;

    QComboBox* showerChooser;
    QComboBox* yearChooser;
    QCheckBox* overlayYears; // every year's excess by solar longitude
    QLabel* summary;
    ShowerChartView* chartView;
    QTableWidget* table;
    QPushButton* exportCsvButton;
    QPushButton* exportPlotButton;
    QLabel* exportNote; // where the last export went

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildControls();
    QLayout* controlsRow();
    void connectControls();
    void exportClicked(QStringList (ShowerPage::*write)());
    void showerChosen();
    void yearChosen();
    void workDone();
    void showSummary();
    void showExportNote();
    void drawChart();
    void showOn(ShowerChartView& view) const;
    void fillTable();
    void drawActivity();
    int newestShowerIndex() const;
    int newestYearIndex() const;

    struct Work;
    WorkerThread* worker_;
    std::shared_ptr<Work> work_; // under way
    bool workAgain_ = false;
    Captions captions_{"ShowerPage"};

    std::string outputFolder_;
    // Shared with the work under way.
    std::shared_ptr<const std::vector<UtHourCount>> counts_ =
        std::make_shared<const std::vector<UtHourCount>>();
    std::shared_ptr<const std::vector<Shower>> showers_ =
        std::make_shared<const std::vector<Shower>>();
    std::optional<GeoPosition> station_;
    std::optional<ShowerActivity> activity_;
    std::vector<ShowerActivity> overlay_; // every year's, when they are overlaid
    QString error_;                       // why there is nothing to show, in the window's words
    QStringList lastExport_;              // the names last written
    std::string lastExportFolder_;
};
