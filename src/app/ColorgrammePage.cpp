#include "app/ColorgrammePage.h"

#include "app/BarChartView.h"
#include "app/ColorgrammeView.h"
#include "app/MessageBoxes.h"
#include "config/StationInfo.h"
#include "pipeline/OutputWriter.h"
#include "reports/ColorgrammeImage.h"
#include "reports/RmobMonthly.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImageWriter>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>

namespace {

constexpr int kLargestManualMaximum = 999999;
const QColor kTotalsColour(70, 110, 180);

QColor toQColor(Rgb c) {
    return {c.r, c.g, c.b};
}

// Encoded in memory and written like every other file, so that a failure
// names the file and its cause as they do.
void writeJpeg(const std::string& path, const RgbImage& picture) {
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, "jpg");
    writer.setQuality(95);
    if (!writer.write(toQImage(picture))) {
        throw IoError(FileOperation::Write, path, 0, writer.errorString().toStdString());
    }
    TextFileWriter file(path);
    file.write(
        std::string_view(encoded.data().constData(), static_cast<size_t>(encoded.data().size())));
    file.close();
}

QString monthText(int year, int month) {
    return QStringLiteral("%1-%2")
        .arg(year, 4, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'));
}

// The day worth looking at first: the one with the most echoes.
int busiestDay(const ColorgrammeMonth& month) {
    int best = 1;
    for (int day = 2; day <= month.daysInMonth; ++day) {
        if (month.dailyTotals[static_cast<size_t>(day - 1)] >
            month.dailyTotals[static_cast<size_t>(best - 1)]) {
            best = day;
        }
    }
    return best;
}

bool wholeDayUnobserved(const ColorgrammeMonth& month, int day) {
    const auto& hours = month.cells[static_cast<size_t>(day - 1)];
    return std::all_of(hours.begin(), hours.end(),
                       [](const ColorgrammeCell& c) { return c.state == CellState::Unobserved; });
}

} // namespace

ColorgrammePage::ColorgrammePage(QWidget* parent) : QWidget(parent) {
    buildControls();
    view = new ColorgrammeView(this);
    hourChart = new BarChartView(this);
    hourChart->setObjectName(QStringLiteral("hourChart"));
    dayChart = new BarChartView(this);
    dayChart->setObjectName(QStringLiteral("dayChart"));
    dayChart->setAccent(QColor(235, 135, 20));

    auto* charts = new QVBoxLayout;
    charts->addWidget(hourChart);
    charts->addWidget(dayChart);
    auto* body = new QHBoxLayout;
    body->addWidget(view, 3);
    body->addLayout(charts, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(controlsRow());
    layout->addLayout(body, 1);
    connectControls();
    setMonths({});
}

void ColorgrammePage::buildControls() {
    monthChooser = new QComboBox(this);
    monthChooser->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    monthChooser->setMinimumContentsLength(7);
    previousMonthButton = new QToolButton(this);
    previousMonthButton->setArrowType(Qt::LeftArrow);
    captions_.toolTip(previousMonthButton, QT_TR_NOOP("前の月"));
    nextMonthButton = new QToolButton(this);
    nextMonthButton->setArrowType(Qt::RightArrow);
    captions_.toolTip(nextMonthButton, QT_TR_NOOP("次の月"));
    fixedMaximum = new QCheckBox(this);
    captions_.text(fixedMaximum, QT_TR_NOOP("最大値を固定"));
    maximumBox = new QSpinBox(this);
    maximumBox->setRange(1, kLargestManualMaximum);
    maximumBox->setValue(1);
    maximumBox->setEnabled(false);
    recomputeButton = new QPushButton(this);
    captions_.text(recomputeButton, QT_TR_NOOP("再計算"));
    exportButton = new QPushButton(this);
    captions_.text(exportButton, QT_TR_NOOP("画像出力"));
    exportButton->setEnabled(false);
    jpegBox = new QCheckBox(QStringLiteral("JPEG"), this);
    captions_.toolTip(jpegBox, QT_TR_NOOP("PNGに加えてJPEGでも出力します"));
    rmobFileButton = new QPushButton(this);
    captions_.text(rmobFileButton, QT_TR_NOOP("この月のRMOBファイル出力"));
    captions_.toolTip(rmobFileButton,
                      QT_TR_NOOP("表示中の月のRMOB月別ファイルを局情報とともに出力します"));
    rmobFileButton->setEnabled(false);
    exportNote = new QLabel(this);
    // The names written must not widen the window: the note takes the room
    // there is and shows the rest in its tooltip.
    exportNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    exportNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

QLayout* ColorgrammePage::controlsRow() {
    auto* controls = new QHBoxLayout;
    auto* monthLabel = new QLabel(this);
    captions_.text(monthLabel, QT_TR_NOOP("月 (UT)"));
    controls->addWidget(monthLabel);
    controls->addWidget(previousMonthButton);
    controls->addWidget(monthChooser);
    controls->addWidget(nextMonthButton);
    controls->addSpacing(12);
    controls->addWidget(fixedMaximum);
    controls->addWidget(maximumBox);
    controls->addSpacing(12);
    controls->addWidget(recomputeButton);
    controls->addWidget(exportNote, 1);
    controls->addWidget(exportButton);
    controls->addWidget(jpegBox);
    controls->addWidget(rmobFileButton);
    return controls;
}

void ColorgrammePage::connectControls() {
    connect(monthChooser, &QComboBox::currentIndexChanged, this, [this] { showChosenMonth(); });
    connect(previousMonthButton, &QToolButton::clicked, this, [this] { stepMonth(-1); });
    connect(nextMonthButton, &QToolButton::clicked, this, [this] { stepMonth(1); });
    connect(fixedMaximum, &QCheckBox::toggled, this, [this] { fixedMaximumToggled(); });
    connect(maximumBox, &QSpinBox::valueChanged, this, [this] {
        if (fixedMaximum->isChecked()) {
            renderShown();
        }
    });
    connect(view, &ColorgrammeView::dayClicked, this, &ColorgrammePage::chooseDay);
    connect(dayChart, &BarChartView::barClicked, this, [this](int index) { chooseDay(index + 1); });
}

void ColorgrammePage::setMonths(std::vector<ColorgrammeMonth> months) {
    std::optional<std::pair<int, int>> shown;
    if (const ColorgrammeMonth* m = shownMonth()) {
        shown = std::pair(m->year, m->month);
    }
    months_ = std::move(months);
    int index = static_cast<int>(months_.size()) - 1;
    {
        // One choice at the end instead of one per month added.
        const QSignalBlocker blocker(monthChooser);
        monthChooser->clear();
        for (int i = 0; i < static_cast<int>(months_.size()); ++i) {
            const ColorgrammeMonth& m = months_[static_cast<size_t>(i)];
            monthChooser->addItem(monthText(m.year, m.month));
            if (shown && shown->first == m.year && shown->second == m.month) {
                index = i;
            }
        }
        monthChooser->setCurrentIndex(index);
    }
    exportButton->setEnabled(!months_.empty());
    rmobFileButton->setEnabled(!months_.empty());
    showChosenMonth();
}

void ColorgrammePage::updateMonthsFrom(std::size_t first, std::vector<ColorgrammeMonth> months) {
    first = std::min(first, months_.size());
    const int shown = monthChooser->currentIndex();
    months_.erase(months_.begin() + static_cast<std::ptrdiff_t>(first), months_.end());
    months_.insert(months_.end(), std::make_move_iterator(months.begin()),
                   std::make_move_iterator(months.end()));
    {
        const QSignalBlocker blocker(monthChooser);
        while (monthChooser->count() > static_cast<int>(first)) {
            monthChooser->removeItem(monthChooser->count() - 1);
        }
        for (std::size_t i = first; i < months_.size(); ++i) {
            monthChooser->addItem(monthText(months_[i].year, months_[i].month));
        }
        const int last = monthChooser->count() - 1;
        monthChooser->setCurrentIndex(shown >= 0 && shown <= last ? shown : last);
    }
    exportButton->setEnabled(!months_.empty());
    rmobFileButton->setEnabled(!months_.empty());
    const int index = monthChooser->currentIndex();
    if (index != shown) {
        showChosenMonth();
        return;
    }
    nextMonthButton->setEnabled(index >= 0 && index + 1 < monthChooser->count());
    if (index >= 0 && static_cast<std::size_t>(index) >= first) {
        const ColorgrammeMonth& m = months_[static_cast<std::size_t>(index)];
        if (!fixedMaximum->isChecked()) {
            maximumBox->setValue(static_cast<int>(
                std::min<double>(colorgrammeScaleMaximum(m, std::nullopt), kLargestManualMaximum)));
        }
        renderShown();
    }
}

void ColorgrammePage::stepMonth(int step) {
    const int index = monthChooser->currentIndex() + step;
    if (index >= 0 && index < monthChooser->count()) {
        monthChooser->setCurrentIndex(index);
    }
}

const ColorgrammeMonth* ColorgrammePage::shownMonth() const {
    const int index = monthChooser->currentIndex();
    if (index < 0 || index >= static_cast<int>(months_.size())) {
        return nullptr;
    }
    return &months_[static_cast<size_t>(index)];
}

std::optional<double> ColorgrammePage::manualMaximum() const {
    if (!fixedMaximum->isChecked()) {
        return std::nullopt;
    }
    return maximumBox->value();
}

void ColorgrammePage::showChosenMonth() {
    const ColorgrammeMonth* m = shownMonth();
    const int index = monthChooser->currentIndex();
    previousMonthButton->setEnabled(m && index > 0);
    nextMonthButton->setEnabled(m && index + 1 < monthChooser->count());
    chosenDay_ = m ? busiestDay(*m) : 0;
    if (m && !fixedMaximum->isChecked()) {
        // Shows what the automatic maximum is, and is where a fixed one starts.
        maximumBox->setValue(static_cast<int>(
            std::min<double>(colorgrammeScaleMaximum(*m, std::nullopt), kLargestManualMaximum)));
    }
    renderShown();
}

void ColorgrammePage::fixedMaximumToggled() {
    maximumBox->setEnabled(fixedMaximum->isChecked());
    if (const ColorgrammeMonth* m = shownMonth(); m && !fixedMaximum->isChecked()) {
        maximumBox->setValue(static_cast<int>(
            std::min<double>(colorgrammeScaleMaximum(*m, std::nullopt), kLargestManualMaximum)));
    }
    renderShown();
}

void ColorgrammePage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        captions_.retranslate();
        renderShown(); // the charts' titles
    }
    QWidget::changeEvent(event);
}

void ColorgrammePage::renderShown() {
    const ColorgrammeMonth* m = shownMonth();
    if (!m) {
        image_ = QImage();
        view->setMonth(nullptr, std::nullopt);
        view->setChosenDay(0);
        hourChart->setBars(tr("時別 (UT)"), {}, {}, 1);
        dayChart->setBars(tr("日合計"), {}, {}, 1);
        return;
    }
    const std::optional<double> manual = manualMaximum();
    image_ = toQImage(renderColorgramme(*m, manual));
    view->setMonth(m, manual);

    std::vector<ChartBar> totals;
    QStringList labels;
    for (int day = 1; day <= m->daysInMonth; ++day) {
        if (wholeDayUnobserved(*m, day)) {
            totals.push_back({0, toQColor(kColorgrammeUnobserved), true});
        } else {
            totals.push_back(
                {static_cast<double>(m->dailyTotals[static_cast<size_t>(day - 1)]), kTotalsColour});
        }
        labels.append(day == 1 || day % 5 == 0 ? QString::number(day) : QString());
    }
    dayChart->setBars(tr("%1 日合計").arg(monthText(m->year, m->month)), std::move(totals), labels,
                      1);
    chooseDay(chosenDay_);
}

void ColorgrammePage::chooseDay(int day) {
    const ColorgrammeMonth* m = shownMonth();
    if (!m || day < 1 || day > m->daysInMonth) {
        return;
    }
    chosenDay_ = day;
    view->setChosenDay(day);
    dayChart->setHighlighted(day - 1);
    updateHourChart();
}

void ColorgrammePage::updateHourChart() {
    const ColorgrammeMonth* m = shownMonth();
    if (!m || chosenDay_ < 1) {
        return;
    }
    const double top = colorgrammeScaleMaximum(*m, manualMaximum());
    std::vector<ChartBar> hours;
    QStringList labels;
    for (int hour = 0; hour < kColorgrammeHours; ++hour) {
        const ColorgrammeCell& c = m->cell(chosenDay_, hour);
        switch (c.state) {
        case CellState::Observed: {
            const auto v = static_cast<double>(c.value);
            hours.push_back({v, toQColor(colourForValue(v, top))});
            break;
        }
        case CellState::Noise:
            hours.push_back({0, toQColor(kColorgrammeNoise), true});
            break;
        case CellState::Unobserved:
            hours.push_back({0, toQColor(kColorgrammeUnobserved), true});
            break;
        }
        labels.append(hour % 6 == 0 ? QStringLiteral("%1h").arg(hour) : QString());
    }
    hourChart->setBars(tr("%1-%2 時別 (UT)")
                           .arg(monthText(m->year, m->month))
                           .arg(chosenDay_, 2, 10, QLatin1Char('0')),
                       std::move(hours), labels, top);
}

QStringList ColorgrammePage::exportImage() {
    const ColorgrammeMonth* m = shownMonth();
    if (!m) {
        return {};
    }
    const OutputWriter out(outputFolder_);
    out.writeColorgrammes({*m}, manualMaximum());
    const std::string png = colorgrammeFileName(m->year, m->month);
    QStringList written{QString::fromStdString(png)};
    if (jpegBox->isChecked()) {
        std::string jpg = png;
        jpg.replace(jpg.size() - 4, 4, ".jpg");
        writeJpeg(out.pathOf(jpg), renderColorgramme(*m, manualMaximum()));
        written.append(QString::fromStdString(jpg));
    }
    showWritten(written);
    return written;
}

QString ColorgrammePage::exportRmobFile(const UtHourList& hours, const Settings& settings) {
    const ColorgrammeMonth* m = shownMonth();
    if (!m) {
        return {};
    }
    const StationInfo station = loadStationInfo(defaultStationFileName(settings.filePath));
    // As for all months: a gap in the station block does not stop the file.
    if (const std::string warning = stationWarningTextCp932(station); !warning.empty()) {
        showCp932Message(this, warning);
    }
    const RmobMonthlyFile file =
        rmobMonthlyFile(rmobMonthTable(hours, UtMonth{m->year, m->month}), station);
    OutputWriter(outputFolder_).writeRmobMonthlyFiles({file});
    const QString name = QFile::decodeName(QByteArray::fromStdString(file.fileName));
    showWritten({name});
    return name;
}

void ColorgrammePage::showWritten(const QStringList& names) {
    exportNote->setText(tr("出力: %1").arg(names.join(QStringLiteral(", "))));
    exportNote->setToolTip(exportNote->text());
    const QString folder =
        QDir(QFile::decodeName(QByteArray::fromStdString(outputFolder_))).absolutePath();
    emit written(tr("%1 を %2 に出力しました")
                     .arg(names.join(QStringLiteral(", ")), QDir::toNativeSeparators(folder)));
}
