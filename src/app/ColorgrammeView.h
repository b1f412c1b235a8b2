#pragma once
// The picture of the colorgramme page.
//
// ColorgrammeView draws a month with the layout of the core's picture (the
// same squares, colours, labels and scale bar) but by itself, scaled to the
// space it gets with the picture's aspect ratio: the squares and letters stay
// crisp at any size and screen scale, where a scaled bitmap would blur. The
// exported file remains the core's raster. The view maps mouse positions back
// to days and UT hours for the hover text and for choosing a day by a click.

#include "reports/Colorgramme.h"
#include "reports/ColorgrammeImage.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QWidget>

#include <optional>

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
    void paintLabels(QPainter& painter) const;
    void paintSquares(QPainter& painter, double maximum) const;
    void paintScale(QPainter& painter, double maximum) const;
    void paintChosenDay(QPainter& painter) const;

    const ColorgrammeMonth* month_ = nullptr;
    std::optional<double> manualMaximum_;
    int chosenDay_ = 0;
};
