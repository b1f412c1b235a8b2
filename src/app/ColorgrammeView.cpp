#include "app/ColorgrammeView.h"

#include "app/TextView.h"

#include <QCoreApplication>
#include <QHelpEvent>
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

void ColorgrammeView::setMonth(const ColorgrammeMonth* month, const QImage& image,
                               std::optional<double> manualMaximum) {
    month_ = month;
    image_ = image;
    manualMaximum_ = manualMaximum;
    reduced_ = QImage();
    update();
}

void ColorgrammeView::setChosenDay(int day) {
    chosenDay_ = day;
    update();
}

double ColorgrammeView::scale() const {
    if (image_.isNull() || width() <= 0 || height() <= 0) {
        return 1;
    }
    const double s = std::min(static_cast<double>(width()) / image_.width(),
                              static_cast<double>(height()) / image_.height());
    // Whole factors keep every square the same size and the letters sharp.
    return s >= 1 ? std::floor(s) : std::max(s, 0.05);
}

QRectF ColorgrammeView::pictureRect() const {
    if (image_.isNull()) {
        return {};
    }
    const double s = scale();
    const int w = std::max(1, static_cast<int>(std::lround(image_.width() * s)));
    const int h = std::max(1, static_cast<int>(std::lround(image_.height() * s)));
    // At the top, so that it stays beside the charts and under the controls.
    return QRectF((width() - w) / 2, 0, w, h);
}

QRectF ColorgrammeView::squareRect(int day, int hour) const {
    const QRectF picture = pictureRect();
    if (picture.isEmpty()) {
        return {};
    }
    const double sx = picture.width() / image_.width();
    const double sy = picture.height() / image_.height();
    const PixelRect r = colorgrammeSquare(day, hour);
    return {picture.left() + r.x * sx, picture.top() + r.y * sy, r.width * sx, r.height * sy};
}

std::optional<DayHour> ColorgrammeView::squareAt(QPointF position) const {
    const QRectF picture = pictureRect();
    if (!month_ || picture.isEmpty()) {
        return std::nullopt;
    }
    const double x = (position.x() - picture.left()) * image_.width() / picture.width();
    const double y = (position.y() - picture.top()) * image_.height() / picture.height();
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
    if (scale() >= 1) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(picture, image_);
    } else {
        if (reduced_.size() != picture.size().toSize()) {
            reduced_ = image_.scaled(picture.size().toSize(), Qt::IgnoreAspectRatio,
                                     Qt::SmoothTransformation);
        }
        painter.drawImage(picture.topLeft(), reduced_);
    }
    if (!month_ || chosenDay_ < 1 || chosenDay_ > month_->daysInMonth) {
        return;
    }
    // The chosen day: a frame in the white gaps around its column and a
    // pointer under its label. Both lie outside the squares, so the colours
    // stay exactly those of the exported picture.
    const double sx = picture.width() / image_.width();
    const double sy = picture.height() / image_.height();
    const QRectF column =
        squareRect(chosenDay_, 0).united(squareRect(chosenDay_, kColorgrammeHours - 1));
    const double gap = std::max(1.0, std::floor(sx));
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    const QRectF outer = column.adjusted(-gap, -gap, gap, gap);
    painter.drawRect(QRectF(outer.left(), outer.top(), outer.width(), gap));
    painter.drawRect(QRectF(outer.left(), outer.bottom() - gap, outer.width(), gap));
    painter.drawRect(QRectF(outer.left(), outer.top(), gap, outer.height()));
    painter.drawRect(QRectF(outer.right() - gap, outer.top(), gap, outer.height()));
    const double tipY = picture.top() + (kColorgrammeImageHeight - 8) * sy;
    const double baseY = picture.top() + (kColorgrammeImageHeight - 2) * sy;
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
