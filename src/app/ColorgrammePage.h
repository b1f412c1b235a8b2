#pragma once
// The colorgramme page: a month chooser, the picture of the chosen UT month
// with its scale, the UT hours of a chosen day and the month's daily totals,
// the maximum of the colour scale (the month's own or fixed by hand), and the
// image export.
//
// The main window hands the page the months it builds once per recompute
// (setMonths); the page renders only the month shown, so a decade of data
// costs one picture per choice. The export throws IoError like every other
// output, so the window runs it through its error guard.

#include "app/Captions.h"
#include "reports/Colorgramme.h"

#include <QImage>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class BarChart;
class ColorgrammeView;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class ColorgrammePage : public QWidget {
    Q_OBJECT
public:
    explicit ColorgrammePage(QWidget* parent = nullptr);

    // Replaces the months. The month shown before stays chosen when it is
    // still there; otherwise the latest month is shown.
    void setMonths(std::vector<ColorgrammeMonth> months);
    const std::vector<ColorgrammeMonth>& months() const { return months_; }
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

    // Writes the shown month into the current folder as
    // colorgramme_YYYYMM.png, and as the same name with ".jpg" when the JPEG
    // box is checked. Returns the names written. IoError on failure.
    QStringList exportImage();

    QComboBox* monthChooser;
    QCheckBox* fixedMaximum; // 最大値を固定
    QSpinBox* maximumBox;
    QPushButton* recomputeButton; // 再計算: the main window rebuilds the months
    QPushButton* exportButton;    // 画像出力
    QCheckBox* jpegBox;           // JPEG as well
    QLabel* exportNote;           // the names last written
    ColorgrammeView* view;
    BarChart* hourChart;
    BarChart* dayChart;

protected:
    void changeEvent(QEvent* event) override;

private:
    Captions captions_{"ColorgrammePage"};
    void showChosenMonth();
    void renderShown();
    void updateHourChart();
    void fixedMaximumToggled();

    std::vector<ColorgrammeMonth> months_;
    int chosenDay_ = 0;
    QImage image_;
};
