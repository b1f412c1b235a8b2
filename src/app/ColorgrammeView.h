#pragma once
// The drawing widgets of the colorgramme page.
//
// ColorgrammeView draws a month with the layout of the core's picture (the
// same squares, colours, labels and scale bar) but by itself, scaled to the
// space it gets with the picture's aspect ratio: the squares and letters stay
// crisp at any size and screen scale, where a scaled bitmap would blur. The
// exported file remains the core's raster. The view maps mouse positions back
// to days and UT hours for the hover text and for choosing a day by a click.
//
// BarChart draws one row of bars with a title and a few axis labels; the page
// uses it for the hours of the chosen day and for the daily totals.

#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

// The hover text of a square: UT day and hour, local hour, value, observed
// minutes and remark. The manual maximum, when given, marks values above it.
QString colorgrammeHoverText(const ColorgrammeMonth& month, int day, int hour,
                             std::optional<double> manualMaximum);

// The core's raster as a QImage of its own (the pixels are copied).
QImage toQImage(const RgbImage& image);

class ColorgrammeView : public QWidget {
    Q_OBJECT
public:
    explicit ColorgrammeView(QWidget* parent = nullptr);

    // The month stays owned by the caller and must outlive its showing. A
    // null month shows an empty area.
    void setMonth(const ColorgrammeMonth* month, std::optional<double> manualMaximum);
    void setChosenDay(int day);
    int chosenDay() const { return chosenDay_; }

    // Widget pixels per pixel of the core's picture: the largest factor at
    // which the whole picture fits.
    double scale() const;
    // Where the picture lies in the widget.
    QRectF pictureRect() const;
    // The widget rectangle of a square of the grid.
    QRectF squareRect(int day, int hour) const;
    // The day and UT hour under a widget position; nothing outside the grid
    // and past the month's last day.
    std::optional<DayHour> squareAt(QPointF position) const;
    // The hover text at a widget position; empty outside the squares.
    QString toolTipAt(QPointF position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void dayClicked(int day);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void paintMonth(QPainter& painter) const;
    void paintChosenDay(QPainter& painter) const;

    const ColorgrammeMonth* month_ = nullptr;
    std::optional<double> manualMaximum_;
    int chosenDay_ = 0;
};

struct ChartBar {
    double value = 0;
    QColor colour;
    // No value: a short mark on the base line in the colour instead of a bar.
    bool missing = false;
};

class BarChart : public QWidget {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);

    // Labels stand under their bars; empty labels leave the place blank. The
    // top of the value axis is at least topValue.
    void setBars(const QString& title, std::vector<ChartBar> bars, const QStringList& labels,
                 double topValue);
    // The highlighted bar is drawn in the accent colour on a light band.
    void setHighlighted(int index); // -1 for none
    void setAccent(const QColor& colour) { accent_ = colour; }
    int highlighted() const { return highlighted_; }
    const QString& title() const { return title_; }
    const std::vector<ChartBar>& bars() const { return bars_; }
    double topValue() const;

    // The rectangle of a bar's column (its full height), and the bar under a
    // widget position (-1 for none).
    QRectF columnRect(int index) const;
    int barAt(QPointF position) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void barClicked(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QRectF plotRect() const;

    QString title_;
    std::vector<ChartBar> bars_;
    QStringList labels_;
    double topValue_ = 1;
    int highlighted_ = -1;
    QColor accent_;
};
