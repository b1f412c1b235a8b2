#include "app/ColorgrammeView.h"

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

// "yyyymmddhh" as "yyyy-mm-dd hhh"; other text as it is.
QString localHourText(const std::string& key) {
    const QString k = QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
    if (k.size() != 10) {
        return k.isEmpty() ? QStringLiteral("-") : k;
    }
    return QStringLiteral("%1-%2-%3 %4h").arg(k.mid(0, 4), k.mid(4, 2), k.mid(6, 2), k.mid(8, 2));
}

QString numberText(double v) {
    if (!std::isfinite(v) || std::fabs(v) > 1e15) {
        return QString::number(v, 'g', 6);
    }
    return v == std::floor(v) ? QString::number(static_cast<qint64>(v))
                              : QString::number(v, 'f', 1);
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
                         .arg(numberText(top));
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
             localHourText(cell.localKey), value, QString::number(cell.observedMinutes),
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
    const ColorgrammeMonth& month = *month_;
    const double maximum = colorgrammeScaleMaximum(month, manualMaximum_);
    const auto qColour = [](Rgb c) { return QColor(c.r, c.g, c.b); };
    const QColor text = qColour(kColorgrammeText);
    painter.fillRect(QRectF(0, 0, kColorgrammeImageWidth, kColorgrammeImageHeight),
                     qColour(kColorgrammeBackground));

    const PixelRect first = colorgrammeSquare(1, 0);
    const PixelRect last = colorgrammeSquare(kColorgrammeDays, kColorgrammeHours - 1);
    const double pitch = colorgrammeSquare(2, 0).x - first.x;
    const double gridBottom = last.y + pitch;

    // Letters the height of the picture's 7-pixel glyphs.
    QFont small = font();
    small.setPixelSize(10);
    small.setStyleStrategy(QFont::PreferAntialias);
    QFont large = small;
    large.setPixelSize(20);
    painter.setPen(text);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    painter.setFont(large);
    painter.drawText(
        QRectF(first.x, 4, 400, first.y - 6), Qt::AlignLeft | Qt::AlignBottom,
        QStringLiteral("%1-%2 UT").arg(month.year).arg(month.month, 2, 10, QLatin1Char('0')));

    painter.setFont(small);
    for (int hour = 0; hour < kColorgrammeHours; ++hour) {
        const PixelRect r = colorgrammeSquare(1, hour);
        painter.drawText(QRectF(0, r.y - 2, r.x - 4, r.height + 4),
                         Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("%1h").arg(hour));
    }
    const int days = std::clamp(month.daysInMonth, 0, kColorgrammeDays);
    for (int day = 1; day <= days; ++day) {
        const PixelRect r = colorgrammeSquare(day, 0);
        painter.drawText(QRectF(r.x - 4, gridBottom, r.width + 8, 12),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(day));
        for (int hour = 0; hour < kColorgrammeHours; ++hour) {
            const ColorgrammeCell& c = month.cell(day, hour);
            const PixelRect sq = colorgrammeSquare(day, hour);
            const Rgb colour = colorgrammeCellColour(c, maximum);
            const QRectF square(sq.x, sq.y, sq.width, sq.height);
            painter.fillRect(square, qColour(colour));
            if (c.state == CellState::Observed && static_cast<double>(c.value) > maximum) {
                // The core's small white cross over a value above a fixed maximum.
                const QPointF centre(sq.x + sq.width / 2 + 0.5, sq.y + sq.height / 2 + 0.5);
                painter.save();
                painter.setRenderHint(QPainter::Antialiasing, true);
                painter.setPen(QPen(qColour(kColorgrammeOverflowMark), 1.2));
                painter.drawLine(centre + QPointF(-2.5, -2.5), centre + QPointF(2.5, 2.5));
                painter.drawLine(centre + QPointF(-2.5, 2.5), centre + QPointF(2.5, -2.5));
                painter.restore();
            }
        }
    }

    // The scale: colourForValue is linear between its five stops, so a
    // gradient through them is the same bar without steps.
    const PixelRect bar = colorgrammeScaleBar();
    QLinearGradient gradient(0, bar.y + bar.height, 0, bar.y);
    for (int stop = 0; stop <= 4; ++stop) {
        gradient.setColorAt(stop / 4.0, qColour(colourForValue(maximum * stop / 4.0, maximum)));
    }
    painter.fillRect(QRectF(bar.x, bar.y, bar.width, bar.height), gradient);
    const bool clipped = static_cast<double>(month.maximum) > maximum;
    const double rows[3] = {static_cast<double>(bar.y), bar.y + (bar.height - 1) / 2.0,
                            static_cast<double>(bar.y + bar.height - 1)};
    const double values[3] = {maximum, maximum / 2, 0};
    for (int i = 0; i < 3; ++i) {
        painter.fillRect(QRectF(bar.x + bar.width, rows[i], 3, 1), text);
        const QString label = numberText(values[i]) + (i == 0 && clipped ? "+" : "");
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

// ---------------------------------------------------------------- BarChart

BarChart::BarChart(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void BarChart::setBars(const QString& title, std::vector<ChartBar> bars, const QStringList& labels,
                       double topValue) {
    title_ = title;
    bars_ = std::move(bars);
    labels_ = labels;
    topValue_ = topValue;
    if (highlighted_ >= static_cast<int>(bars_.size())) {
        highlighted_ = -1;
    }
    update();
}

void BarChart::setHighlighted(int index) {
    highlighted_ = index >= 0 && index < static_cast<int>(bars_.size()) ? index : -1;
    update();
}

double BarChart::topValue() const {
    double top = std::max(topValue_, 1.0);
    for (const ChartBar& bar : bars_) {
        if (!bar.missing && std::isfinite(bar.value)) {
            top = std::max(top, bar.value);
        }
    }
    return top;
}

QRectF BarChart::plotRect() const {
    const QFontMetrics metrics(font());
    const double line = metrics.height();
    return QRectF(6, line + 6, std::max(1, width() - 12), std::max(1.0, height() - 2 * line - 12));
}

QRectF BarChart::columnRect(int index) const {
    if (bars_.empty() || index < 0 || index >= static_cast<int>(bars_.size())) {
        return {};
    }
    const QRectF plot = plotRect();
    const double w = plot.width() / static_cast<double>(bars_.size());
    return {plot.left() + index * w, plot.top(), w, plot.height()};
}

int BarChart::barAt(QPointF position) const {
    const QRectF plot = plotRect();
    if (bars_.empty() || position.x() < plot.left() || position.x() >= plot.right() ||
        position.y() < plot.top() || position.y() > plot.bottom() + fontMetrics().height() + 4) {
        return -1;
    }
    const int index = static_cast<int>((position.x() - plot.left()) *
                                       static_cast<double>(bars_.size()) / plot.width());
    return std::clamp(index, 0, static_cast<int>(bars_.size()) - 1);
}

QSize BarChart::sizeHint() const {
    return {280, 170};
}

QSize BarChart::minimumSizeHint() const {
    return {140, 90};
}

void BarChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    painter.setPen(palette().mid().color());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    const QFontMetrics metrics(font());
    const QRectF plot = plotRect();
    const double top = topValue();
    painter.setPen(palette().text().color());
    painter.drawText(QRectF(6, 3, width() - 12, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     title_);
    painter.drawText(
        QRectF(6, 3, width() - 12, metrics.height()), Qt::AlignRight | Qt::AlignVCenter,
        QCoreApplication::translate("ColorgrammeView", "最大 %1").arg(numberText(top)));

    for (int i = 0; i < static_cast<int>(bars_.size()); ++i) {
        const QRectF column = columnRect(i);
        if (i == highlighted_) {
            painter.fillRect(column, QColor(255, 232, 170));
        }
        const double inset = column.width() > 6 ? std::floor(column.width() * 0.15) : 0.5;
        const ChartBar& bar = bars_[static_cast<size_t>(i)];
        if (bar.missing) {
            painter.fillRect(
                QRectF(column.left() + inset, plot.bottom() - 2, column.width() - 2 * inset, 2),
                bar.colour);
            continue;
        }
        const double h = std::clamp(bar.value / top, 0.0, 1.0) * plot.height();
        const bool accented = i == highlighted_ && accent_.isValid();
        painter.fillRect(
            QRectF(column.left() + inset, plot.bottom() - h, column.width() - 2 * inset, h),
            accented ? accent_ : bar.colour);
    }
    painter.setPen(palette().text().color());
    painter.drawLine(QPointF(plot.left(), plot.bottom()), QPointF(plot.right(), plot.bottom()));
    for (int i = 0; i < static_cast<int>(bars_.size()) && i < labels_.size(); ++i) {
        if (labels_[i].isEmpty()) {
            continue;
        }
        const QRectF column = columnRect(i);
        const double w = metrics.horizontalAdvance(labels_[i]) + 4;
        painter.drawText(
            QRectF(column.center().x() - w / 2, plot.bottom() + 3, w, metrics.height()),
            Qt::AlignCenter, labels_[i]);
    }
}

void BarChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int index = barAt(event->position());
        if (index >= 0) {
            emit barClicked(index);
            return;
        }
    }
    QWidget::mousePressEvent(event);
}
