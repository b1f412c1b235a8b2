#pragma once
// The shower page: a meteor shower's activity from the station's own counts.
// Choose a shower (those whose activity period the data cover) and a year; the
// plot shows the hourly rate with its error bars, the sporadic background,
// the excess and the fitted profile against UT date with the solar longitude
// on the top axis, or every year's excess overlaid by solar longitude; the
// table lists the hours; the CSV table and the plot export into the current
// folder.
//
// The main window calls loadFrom when the page is shown; the page keeps only
// the UT hour counts and works out the chosen shower and year on demand. After
// loadFrom the chart and the table are drawn on the next round of the event
// loop, so that the window paints between the counting and the drawing.

#include "activity/ShowerActivity.h"
#include "config/Settings.h"
#include "hourly/HourTable.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QChart;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;
class ActivityChartView;

class ShowerPage : public QWidget {
    Q_OBJECT
public:
    explicit ShowerPage(QWidget* parent = nullptr);

    // Reads the hour rows, the shower list (shipped and the observer's own)
    // and the station's place. A missing shower list is said on the page.
    void loadFrom(const HourTable& hours, const Settings& settings);
    // The same with the UT hour counts from countHours (the window counts a
    // decade on a worker thread).
    void loadFrom(const Settings& settings,
                  const std::function<std::vector<UtHourCount>()>& countHours);
    void setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                 std::optional<GeoPosition> station);
    // The chart and the table of the chosen year are still to be drawn.
    bool isDrawingPending() const;

    // The activity shown; nothing before a shower is chosen.
    const std::optional<ShowerActivity>& activity() const { return activity_; }

    // activity_CODE_YYYY.csv / .png in the current folder; the name written.
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
    void showerChosen();
    void yearChosen();
    QChart* replaceChart(); // an empty one
    void drawChart();
    void fillTable();
    void drawActivity();

    QTimer* drawLater_;
    bool deferDrawing_ = false; // set while loadFrom fills the page

    std::vector<UtHourCount> counts_;
    std::vector<Shower> showers_;
    std::optional<GeoPosition> station_;
    std::optional<ShowerActivity> activity_;
};
