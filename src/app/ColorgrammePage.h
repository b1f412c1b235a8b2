#pragma once
// The colorgramme page: a month chooser, the picture of the chosen UT month
// with its scale, the UT hours of a chosen day and the month's daily totals,
// the maximum of the colour scale (the month's own or fixed by hand), and the
// image export.
//
// The main window hands the page the months each run builds (setMonths); the
// page renders only the month shown, so a decade of data costs one picture
// per choice. The exports go into the window's output folder and throw
// IoError like every other output, so the window runs them through its error
// guard. The month's RMOB file is written from the hours and settings the
// window hands over when its button is clicked. After each export the page
// says what it wrote where, on the page and by written() for the status bar.

#include "app/Captions.h"
#include "reports/Colorgramme.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

class BarChartView;
class UtHourList;
struct Settings;
class ColorgrammeView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLayout;
class QPushButton;
class QSpinBox;
class QToolButton;

class ColorgrammePage : public QWidget {
    Q_OBJECT
public:
    explicit ColorgrammePage(QWidget* parent = nullptr);

    // Replaces the months. The month shown before stays chosen when it is
    // still there; otherwise the latest month is shown.
    void setMonths(std::vector<ColorgrammeMonth> months);
    const std::vector<ColorgrammeMonth>& months() const { return months_; }
    // Replaces the months from index `first` on (a file that grows, whose
    // later months were made again). The month shown stays chosen with its
    // day, and is drawn again only when it was made again.
    void updateMonthsFrom(std::size_t first, std::vector<ColorgrammeMonth> months);
    // The month in the chooser; nothing without months.
    const ColorgrammeMonth* shownMonth() const;

    // The day whose hours the hour chart shows (1 to the month's last day),
    // 0 without a month.
    int chosenDay() const { return chosenDay_; }
    void chooseDay(int day);

    // The fixed maximum of the colour scale; nothing while it is automatic.
    std::optional<double> manualMaximum() const;
    // The shown month as the core draws it, as exported.
    QImage shownImage() const { return image_; }

    // Where the exports go ("" is the current folder).
    void setOutputFolder(std::string folder) { outputFolder_ = std::move(folder); }

    // Writes the shown month into the output folder as colorgramme_YYYYMM.png,
    // and as the same name with ".jpg" when the JPEG box is checked. Returns
    // the names written. IoError on failure.
    QStringList exportImage();
    // Writes the RMOB file of the month shown into the output folder, with the
    // station file beside the settings (its warnings shown first). Returns
    // the name written; empty without a month. IoError on failure.
    QString exportRmobFile(const UtHourList& hours, const Settings& settings);

    QComboBox* monthChooser;
    QToolButton* previousMonthButton;
    QToolButton* nextMonthButton;
    QCheckBox* fixedMaximum; // 最大値を固定
    QSpinBox* maximumBox;
    QPushButton* recomputeButton; // 再計算: the main window rebuilds the months
    QPushButton* exportButton;    // 画像出力
    QCheckBox* jpegBox;           // JPEG as well
    QPushButton* rmobFileButton;  // この月のRMOBファイル出力
    QLabel* exportNote;           // the names last written
    ColorgrammeView* view;
    BarChartView* hourChart;
    BarChartView* dayChart;

signals:
    // "colorgramme_202401.png を /folder に出力しました", in the window's language.
    void written(const QString& message);

protected:
    void changeEvent(QEvent* event) override;

private:
    Captions captions_{"ColorgrammePage"};
    void buildControls();
    QLayout* controlsRow();
    void connectControls();
    void showChosenMonth();
    void renderShown();
    void updateHourChart();
    void fixedMaximumToggled();
    void stepMonth(int step);
    void showWritten(const QStringList& names);

    std::string outputFolder_;
    std::vector<ColorgrammeMonth> months_;
    int chosenDay_ = 0;
    QImage image_;
};
