#include "app/ColorgrammeView.h"

#include "app/BarChartView.h"

#include "app/TextView.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace {

QString twoDigits(int v) {
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// "yyyy-mm-dd hhh"; "-" for none.
QString localHourText(const std::optional<Hour>& hour) {
    if (!hour) {
        return QStringLiteral("-");
    }
    const CalendarHour at = calendarHourOf(*hour);
    return QStringLiteral("%1-%2-%3 %4h")
        .arg(at.year, 4, 10, QLatin1Char('0'))
        .arg(twoDigits(at.month), twoDigits(at.day), twoDigits(at.hour));
}

QColor toQColor(Rgb c) {
    return {c.r, c.g, c.b};
}

} // namespace

QString colorgrammeHoverText(const ColorgrammeMonth& month, int day, int hour,
                             std::optional<double> manualMaximum) {
    const ColorgrammeCell& cell = month.cell(day, hour);
    QString value;
    switch (cell.state) {
    case CellState::Observed: {
        value = QString::number(cell.value);
        const double top = colorgrammeScaleMaximum(month, manualMaximum);
        if (manualMaximum && static_cast<double>(cell.value) > top) {
            value += QCoreApplication::translate("ColorgrammeView", " (最大値 %1 を超えています)")
                         .arg(chartNumberText(top));
        }
        break;
    }
    case CellState::Noise:
        value = QCoreApplication::translate("ColorgrammeView", "ノイズ (しきい値以下)");
        break;
    case CellState::Unobserved:
        value = QCoreApplication::translate("ColorgrammeView", "観測なし");
        break;
    }
    return QCoreApplication::translate(
               "ColorgrammeView", "UT: %1-%2-%3 %4h\n地方時: %5\n値: %6\n観測時間: %7 分\n備考: %8")
        .arg(QString::number(month.year), twoDigits(month.month), twoDigits(day), twoDigits(hour),
             localHourText(cell.localHour), value, QString::number(cell.observedMinutes),
             cp932ToQString(cell.remark));
}

QImage toQImage(const RgbImage& image) {
    if (image.width() <= 0 || image.height() <= 0) {
        return {};
    }
    return QImage(image.data(), image.width(), image.height(), image.bytesPerLine(),
                  QImage::Format_RGB888)
        .copy();
}

// ---------------------------------------------------------------- ColorgrammeView

ColorgrammeView::ColorgrammeView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setCursor(Qt::PointingHandCursor);
}

void ColorgrammeView::setMonth(const ColorgrammeMonth* month, std::optional<double> manualMaximum) {
    month_ = month;
    manualMaximum_ = manualMaximum;
    update();
}

void ColorgrammeView::setChosenDay(int day) {
    chosenDay_ = day;
    update();
}

double ColorgrammeView::scale() const {
    if (width() <= 0 || height() <= 0) {
        return 1;
    }
    const double s = std::min(static_cast<double>(width()) / kColorgrammeImageWidth,
                              static_cast<double>(height()) / kColorgrammeImageHeight);
    return std::max(s, 0.05);
}

QRectF ColorgrammeView::pictureRect() const {
    if (!month_) {
        return {};
    }
    const double s = scale();
    const double w = kColorgrammeImageWidth * s;
    const double h = kColorgrammeImageHeight * s;
    // At the top, so that it stays beside the charts and under the controls.
    return {std::floor((width() - w) / 2), 0, w, h};
}

QRectF ColorgrammeView::squareRect(int day, int hour) const {
    const QRectF picture = pictureRect();
    if (picture.isEmpty()) {
        return {};
    }
    const double s = scale();
    const PixelRect r = colorgrammeSquare(day, hour);
    return {picture.left() + r.x * s, picture.top() + r.y * s, r.width * s, r.height * s};
}

std::optional<DayHour> ColorgrammeView::squareAt(QPointF position) const {
    const QRectF picture = pictureRect();
    if (!month_ || picture.isEmpty()) {
        return std::nullopt;
    }
    const double s = scale();
    const double x = (position.x() - picture.left()) / s;
    const double y = (position.y() - picture.top()) / s;
    if (x < 0 || y < 0) {
        return std::nullopt;
    }
    const std::optional<DayHour> at =
        colorgrammeSquareAt(static_cast<int>(std::floor(x)), static_cast<int>(std::floor(y)));
    if (!at || at->day > month_->daysInMonth) {
        return std::nullopt;
    }
    return at;
}

QString ColorgrammeView::toolTipAt(QPointF position) const {
    const std::optional<DayHour> at = squareAt(position);
    if (!at) {
        return {};
    }
    return colorgrammeHoverText(*month_, at->day, at->hour, manualMaximum_);
}

QSize ColorgrammeView::sizeHint() const {
    return {kColorgrammeImageWidth, kColorgrammeImageHeight};
}

QSize ColorgrammeView::minimumSizeHint() const {
    return {kColorgrammeImageWidth / 3, kColorgrammeImageHeight / 3};
}

bool ColorgrammeView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<DayHour> at = squareAt(help->pos());
    if (!at) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    // Remarks are the observer's free text: shown as written, never as markup.
    const QString text = QStringLiteral("<p style='white-space:pre'>%1</p>")
                             .arg(toolTipAt(help->pos()).toHtmlEscaped());
    QToolTip::showText(help->globalPos(), text, this,
                       squareRect(at->day, at->hour).toAlignedRect());
    return true;
}

void ColorgrammeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRectF picture = pictureRect();
    if (picture.isEmpty()) {
        return;
    }
    painter.save();
    painter.translate(picture.topLeft());
    painter.scale(scale(), scale());
    paintMonth(painter);
    painter.restore();
    paintChosenDay(painter);
}

// Drawn in the picture's own pixel coordinates; the painter scales them.
void ColorgrammeView::paintMonth(QPainter& painter) const {
    const double maximum = colorgrammeScaleMaximum(*month_, manualMaximum_);
    painter.fillRect(QRectF(0, 0, kColorgrammeImageWidth, kColorgrammeImageHeight),
                     toQColor(kColorgrammeBackground));
    painter.setPen(toQColor(kColorgrammeText));
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    paintLabels(painter);
    paintSquares(painter, maximum);
    paintScale(painter, maximum);
}

// The title, the hours at the left and the days under the grid, in letters
// the height of the picture's 7-pixel glyphs.
void ColorgrammeView::paintLabels(QPainter& painter) const {
    const PixelRect first = colorgrammeSquare(1, 0);
    const PixelRect last = colorgrammeSquare(kColorgrammeDays, kColorgrammeHours - 1);
    const double pitch = colorgrammeSquare(2, 0).x - first.x;
    const double gridBottom = last.y + pitch;
    QFont small = font();
    small.setPixelSize(10);
    small.setStyleStrategy(QFont::PreferAntialias);
    QFont large = small;
    large.setPixelSize(20);
    painter.setFont(large);
    painter.drawText(
        QRectF(first.x, 4, 400, first.y - 6), Qt::AlignLeft | Qt::AlignBottom,
        QStringLiteral("%1-%2 UT").arg(month_->year).arg(month_->month, 2, 10, QLatin1Char('0')));
    painter.setFont(small);
    for (int hour = 0; hour < kColorgrammeHours; ++hour) {
        const PixelRect r = colorgrammeSquare(1, hour);
        painter.drawText(QRectF(0, r.y - 2, r.x - 4, r.height + 4),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1h").arg(hour));
    }
    const int days = std::clamp(month_->daysInMonth, 0, kColorgrammeDays);
    for (int day = 1; day <= days; ++day) {
        const PixelRect r = colorgrammeSquare(day, 0);
        painter.drawText(QRectF(r.x - 4, gridBottom, r.width + 8, 12),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(day));
    }
}

void ColorgrammeView::paintSquares(QPainter& painter, double maximum) const {
    const int days = std::clamp(month_->daysInMonth, 0, kColorgrammeDays);
    for (int day = 1; day <= days; ++day) {
        for (int hour = 0; hour < kColorgrammeHours; ++hour) {
            const ColorgrammeCell& c = month_->cell(day, hour);
            const PixelRect sq = colorgrammeSquare(day, hour);
            painter.fillRect(QRectF(sq.x, sq.y, sq.width, sq.height),
                             toQColor(colorgrammeCellColour(c, maximum)));
            if (c.state == CellState::Observed && static_cast<double>(c.value) > maximum) {
                // The core's small white cross over a value above a fixed maximum.
                const QPointF centre(sq.x + sq.width / 2 + 0.5, sq.y + sq.height / 2 + 0.5);
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setPen(QPen(toQColor(kColorgrammeOverflowMark), 1.2));
                painter.drawLine(centre + QPointF(-2.5, -2.5), centre + QPointF(2.5, 2.5));
                painter.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
                painter.restore();
            }
        }
    }
}

void ColorgrammeView::paintScale(QPainter& painter, double maximum) const {
    // colourForValue is linear between its five stops, so a gradient through
    // them is the same bar without steps.
    const PixelRect bar = colorgrammeScaleBar();
    QLinearGradient gradient(0, bar.y + bar.height, 0, bar.y);
    for (int stop = 0; stop <= 4; ++stop) {
        gradient.setColorAt(stop / 4.0, toQColor(colourForValue(maximum * stop / 4.0, maximum)));
    }
    painter.fillRect(QRectF(bar.x, bar.y, bar.width, bar.height), gradient);
    const bool clipped = static_cast<double>(month_->maximum) > maximum;
    const double rows[3] = {static_cast<double>(bar.y), bar.y + (bar.height - 1) / 2.0,
                            static_cast<double>(bar.y + bar.height - 1)};
    const double values[3] = {maximum, maximum / 2, 0};
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(QRectF(bar.x + bar.width, rows[i], 3, 1), toQColor(kColorgrammeText));
        const QString label = chartNumberText(values[i]) + (i == 0 && clipped ? "+" : "");
        const double y = std::clamp(rows[i] - 6, static_cast<double>(bar.y),
                                    static_cast<double>(bar.y + bar.height - 12));
        painter.drawText(QRectF(bar.x + bar.width + 6, y, 60, 12), Qt::AlignLeft | Qt::AlignVCenter,
                         label);
    }
}

void ColorgrammeView::paintChosenDay(QPainter& painter) const {
    if (!month_ || chosenDay_ < 1 || chosenDay_ > month_->daysInMonth) {
        return;
    }
    // A frame in the white gaps around the chosen day's column and a pointer
    // under its label. Both lie outside the squares, so the colours stay
    // exactly those of the exported picture.
    const QRectF picture = pictureRect();
    const double s = scale();
    const QRectF column =
        squareRect(chosenDay_, 0).united(squareRect(chosenDay_, kColorgrammeHours - 1));
    const double gap = std::max(1.0, std::floor(s));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QRectF outer = column.adjusted(-gap, -gap, gap, gap);
    painter.drawRect(QRectF(outer.left(), outer.top(), outer.width(), gap));
    painter.drawRect(QRectF(outer.left(), outer.bottom() - gap, outer.width(), gap));
    painter.drawRect(QRectF(outer.left(), outer.top(), gap, outer.height()));
    painter.drawRect(QRectF(outer.right() - gap, outer.top(), gap, outer.height()));
    const double tipY = picture.top() + (kColorgrammeImageHeight - 8) * s;
    const double baseY = picture.top() + (kColorgrammeImageHeight - 2) * s;
    QPainterPath pointer;
    pointer.moveTo(column.center().x(), tipY);
    pointer.lineTo(column.left(), baseY);
    pointer.lineTo(column.right(), baseY);
    pointer.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawPath(pointer);
}

void ColorgrammeView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        if (const std::optional<DayHour> at = squareAt(event->position())) {
            emit dayClicked(at->day);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}
