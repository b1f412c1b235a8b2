#include "app/ShowerPage.h"

#include "activity/ActivityBackground.h"
#include "activity/StationCoordinates.h"
#include "activity/UtHourCounts.h"
#include "app/MessageBoxes.h"
#include "app/ShowerChartView.h"
#include "app/ShowerTexts.h"
#include "app/WorkerThread.h"
#include "pipeline/OutputWriter.h"
#include "shared/IoError.h"
#include "shared/TextFile.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <exception>
#include <iterator>
#include <utility>

namespace {

QString number(const std::optional<double>& v, int decimals) {
    return v ? QString::number(*v, 'f', decimals) : QString();
}

bool samePlace(const std::optional<GeoPosition>& a, const std::optional<GeoPosition>& b) {
    return a.has_value() == b.has_value() &&
           (!a || (a->latitude == b->latitude && a->longitude == b->longitude));
}

// The first hour after the data's last usable one.
std::int64_t dataEnd(const std::vector<UtHourCount>& counts) {
    const auto last =
        std::find_if(counts.rbegin(), counts.rend(), [](const UtHourCount& c) { return c.usable; });
    return last == counts.rend() ? 0 : last->hour + 1;
}

// The newest of the shower's years whose period ends within the data; the
// first of them when none does (the least beyond the data's end).
int newestYearOf(const std::vector<UtHourCount>& counts, const Shower& shower,
                 const std::vector<int>& years) {
    const std::int64_t end = dataEnd(counts);
    for (auto y = years.rbegin(); y != years.rend(); ++y) {
        if (activityPeriod(shower, *y).second <= end) {
            return *y;
        }
    }
    return years.empty() ? 0 : years.front();
}

QString htmlLines(const QStringList& lines) {
    QStringList html;
    for (const QString& line : lines) {
        html << line.toHtmlEscaped();
    }
    return html.join(QStringLiteral("<br>"));
}

} // namespace

ShowerPage::ShowerPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("ShowerPage"));
    buildControls();
    chartView = new ShowerChartView;
    chartView->setObjectName(QStringLiteral("showerChart"));
    // Below this the axes' labels no longer fit and Qt Charts elides them.
    chartView->setMinimumHeight(260);
    table = new QTableWidget;
    table->setObjectName(QStringLiteral("showerTable"));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setVisible(false);
    // Every row of a column has the same form: a day's rows are enough to
    // size it, where all of them took most of the time of a choice.
    table->horizontalHeader()->setResizeContentsPrecision(24);

    // The warnings may run to several lines: they scroll rather than squeeze
    // the chart, and the splitter gives them more room when asked.
    auto* summaryArea = new QScrollArea;
    summaryArea->setWidget(summary);
    summaryArea->setWidgetResizable(true);
    summaryArea->setFrameShape(QFrame::NoFrame);
    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(summaryArea);
    splitter->addWidget(chartView);
    splitter->addWidget(table);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 4);
    splitter->setStretchFactor(2, 2);
    splitter->setSizes({90, 400, 200});
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controlsRow());
    layout->addWidget(exportNote);
    layout->addWidget(splitter, 1);

    worker_ = new WorkerThread(this);
    connect(worker_, &WorkerThread::finished, this, &ShowerPage::workDone);
    connectControls();
    yearChosen();
}

void ShowerPage::buildControls() {
    const auto named = [](auto* widget, const char* name) {
        widget->setObjectName(QLatin1String(name));
        return widget;
    };
    showerChooser = named(new QComboBox, "showerChooser");
    yearChooser = named(new QComboBox, "yearChooser");
    overlayYears = named(new QCheckBox, "overlayYears");
    captions_.text(overlayYears, QT_TR_NOOP("年ごとに太陽黄経で重ねる"));
    exportCsvButton = named(new QPushButton, "exportCsvButton");
    captions_.text(exportCsvButton, QT_TR_NOOP("CSV出力"));
    captions_.toolTip(exportCsvButton,
                      QT_TR_NOOP("表示中の年ごとの表を activity_符号_年.csv として出力します"));
    exportPlotButton = named(new QPushButton, "exportPlotButton");
    captions_.text(exportPlotButton, QT_TR_NOOP("画像出力"));
    captions_.toolTip(exportPlotButton,
                      QT_TR_NOOP("表示中のグラフを 1600 x 900 のPNG画像として出力します"));
    summary = named(new QLabel, "showerSummary");
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    summary->setTextFormat(Qt::RichText);
    summary->setWordWrap(true);
    summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    exportNote = named(new QLabel, "showerExportNote");
    exportNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line whatever the folder's length: the whole of it in the tooltip.
    exportNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    exportNote->hide();
}

QLayout* ShowerPage::controlsRow() {
    auto* controls = new QHBoxLayout;
    auto* showerLabel = new QLabel;
    captions_.text(showerLabel, QT_TR_NOOP("流星群"));
    auto* yearLabel = new QLabel;
    captions_.text(yearLabel, QT_TR_NOOP("年"));
    controls->addWidget(showerLabel);
    controls->addWidget(showerChooser, 1);
    controls->addWidget(yearLabel);
    controls->addWidget(yearChooser);
    controls->addWidget(overlayYears);
    controls->addStretch(1);
    controls->addWidget(exportCsvButton);
    controls->addWidget(exportPlotButton);
    return controls;
}

void ShowerPage::connectControls() {
    connect(showerChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::showerChosen);
    connect(yearChooser, &QComboBox::currentIndexChanged, this, &ShowerPage::yearChosen);
    connect(overlayYears, &QCheckBox::toggled, this, [this] {
        // The other years are worked out once asked for.
        if (overlayYears->isChecked() && overlay_.empty()) {
            yearChosen();
        } else {
            drawChart();
        }
    });
    connect(exportCsvButton, &QPushButton::clicked, this,
            [this] { exportClicked(&ShowerPage::exportCsv); });
    connect(exportPlotButton, &QPushButton::clicked, this,
            [this] { exportClicked(&ShowerPage::exportPlot); });
}

void ShowerPage::exportClicked(QStringList (ShowerPage::*write)()) {
    try {
        lastExport_ = (this->*write)();
        lastExportFolder_ = outputFolder_;
        showExportNote();
    } catch (const std::exception& e) {
        showErrorBox(this, e);
    }
}

void ShowerPage::showExportNote() {
    QString folder = QDir::toNativeSeparators(
        QDir(QFile::decodeName(QByteArray::fromStdString(lastExportFolder_))).absolutePath());
    exportNote->setText(
        tr("%1 を %2 に出力しました").arg(lastExport_.join(QStringLiteral(", ")), folder));
    exportNote->setToolTip(exportNote->text());
    exportNote->setVisible(!lastExport_.isEmpty());
}

void ShowerPage::changeEvent(QEvent* event) {
    if (event->type() == QEvent::LanguageChange) {
        captions_.retranslate();
        showSummary();
        drawChart(); // the series' names and the axes' titles
        if (!lastExport_.isEmpty()) {
            showExportNote();
        }
    }
    QWidget::changeEvent(event);
}

QChart* ShowerPage::chart() const {
    return chartView->chart();
}

void ShowerPage::loadFrom(const UtHourList& hours, const Settings& settings) {
    std::vector<Shower> showers;
    try {
        showers = loadShowerList(settings.filePath, std::nullopt);
    } catch (const std::exception& e) {
        setData({}, {}, std::nullopt);
        error_ = errorMessageText(e);
        showSummary();
        return;
    }
    const StationInfo station = loadStationInfo(defaultStationFileName(settings.filePath));
    // What was drawn from the previous counts goes now rather than be painted
    // until the new chart is drawn. Counting a decade's hours takes a fraction
    // of a millisecond.
    chartView->showNothing();
    table->setRowCount(0);
    setData(utHourCounts(hours), std::move(showers), stationPosition(station));
}

void ShowerPage::setStation(const StationInfo& station) {
    const std::optional<GeoPosition> place = stationPosition(station);
    if (!samePlace(place, station_)) {
        station_ = place;
        yearChosen();
    }
}

bool ShowerPage::isDrawingPending() const {
    return worker_->isRunning();
}

void ShowerPage::setData(std::vector<UtHourCount> counts, std::vector<Shower> showers,
                         std::optional<GeoPosition> station) {
    const QString previous = showerChooser->currentData().toString();
    counts_ = std::make_shared<const std::vector<UtHourCount>>(std::move(counts));
    showers_ = std::make_shared<const std::vector<Shower>>(std::move(showers));
    station_ = station;
    error_.clear();
    const QSignalBlocker block(showerChooser);
    showerChooser->clear();
    for (const Shower& s : *showers_) {
        if (!showerYears(*counts_, s).empty()) {
            showerChooser->addItem(QString::fromStdString(s.code + "  " + s.name),
                                   QString::fromStdString(s.code));
        }
    }
    const int again = showerChooser->findData(previous);
    showerChooser->setCurrentIndex(again >= 0 ? again : newestShowerIndex());
    showerChosen();
}

// The shower whose newest period within the data ends last; -1 without
// showers.
int ShowerPage::newestShowerIndex() const {
    int newest = showerChooser->count() > 0 ? 0 : -1;
    std::int64_t newestEnd = 0;
    const std::int64_t end = dataEnd(*counts_);
    for (int i = 0; i < showerChooser->count(); ++i) {
        const Shower* s =
            findShower(*showers_, showerChooser->itemData(i).toString().toStdString());
        const int year = newestYearOf(*counts_, *s, showerYears(*counts_, *s));
        const std::int64_t periodEnd = activityPeriod(*s, year).second;
        if (periodEnd <= end && periodEnd > newestEnd) {
            newest = i;
            newestEnd = periodEnd;
        }
    }
    return newest;
}

int ShowerPage::newestYearIndex() const {
    const Shower* s = findShower(*showers_, showerChooser->currentData().toString().toStdString());
    if (!s) {
        return -1;
    }
    return yearChooser->findData(newestYearOf(*counts_, *s, showerYears(*counts_, *s)));
}

void ShowerPage::showerChosen() {
    const QString previous = yearChooser->currentText();
    const QSignalBlocker block(yearChooser);
    yearChooser->clear();
    const Shower* s = findShower(*showers_, showerChooser->currentData().toString().toStdString());
    if (s) {
        for (int y : showerYears(*counts_, *s)) {
            yearChooser->addItem(QString::number(y), y);
        }
    }
    const int again = yearChooser->findText(previous);
    yearChooser->setCurrentIndex(again >= 0 ? again : newestYearIndex());
    yearChosen();
}

// Working out a year's activity takes from a few milliseconds to seconds (a
// profile fit per year): it goes on the worker, the chart and the table follow.
struct ShowerPage::Work {
    std::shared_ptr<const std::vector<UtHourCount>> counts;
    std::shared_ptr<const std::vector<Shower>> showers;
    std::optional<GeoPosition> station;
    Shower shower;
    int year = 0;
    std::vector<int> overlayYears; // every year's excess, when they are overlaid
    // Out.
    std::optional<ShowerActivity> activity;
    std::vector<ShowerActivity> overlay;
    std::exception_ptr error;

    void operator()() {
        try {
            activity = computeShowerActivity(*counts, *showers, shower, year, station);
            for (int other : overlayYears) {
                overlay.push_back(other == year ? *activity
                                                : computeShowerActivity(*counts, *showers, shower,
                                                                        other, station));
            }
        } catch (const std::exception&) {
            activity.reset();
            overlay.clear();
            error = std::current_exception();
        }
    }
};

void ShowerPage::yearChosen() {
    activity_.reset();
    overlay_.clear();
    exportCsvButton->setEnabled(false);
    exportPlotButton->setEnabled(false);
    const Shower* s = findShower(*showers_, showerChooser->currentData().toString().toStdString());
    if (!s || yearChooser->currentIndex() < 0) {
        showSummary();
        drawActivity();
        return;
    }
    if (worker_->isRunning()) {
        workAgain_ = true; // the choice of now, once the one before is done
        return;
    }
    work_ = std::make_shared<Work>();
    work_->counts = counts_;
    work_->showers = showers_;
    work_->station = station_;
    work_->shower = *s;
    work_->year = yearChooser->currentData().toInt();
    for (int i = 0; overlayYears->isChecked() && i < yearChooser->count(); ++i) {
        work_->overlayYears.push_back(yearChooser->itemData(i).toInt());
    }
    worker_->start([work = work_] { (*work)(); });
}

void ShowerPage::workDone() {
    const std::shared_ptr<Work> done = std::move(work_);
    if (std::exchange(workAgain_, false)) {
        yearChosen();
        return;
    }
    activity_ = std::move(done->activity);
    overlay_ = std::move(done->overlay);
    exportCsvButton->setEnabled(activity_.has_value());
    exportPlotButton->setEnabled(activity_.has_value());
    error_.clear();
    if (done->error) {
        try {
            std::rethrow_exception(done->error);
        } catch (const std::exception& e) {
            error_ = errorMessageText(e);
        }
    }
    showSummary();
    drawActivity();
}

void ShowerPage::showSummary() {
    if (!error_.isEmpty()) {
        summary->setText(htmlLines(error_.split(QLatin1Char('\n'))));
    } else if (!activity_) {
        summary->setText(showers_->empty() || showerChooser->count()
                             ? QString()
                             : tr("一覧のどの流星群の活動期間もデータに含まれていません"));
    } else {
        const QStringList lines = ShowerTexts::summary(*activity_);
        // The fitted maximum is the headline; the doubts stand out below.
        QString html = QStringLiteral("<b>%1</b>").arg(lines.front().toHtmlEscaped());
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const bool doubt =
                i >= lines.size() - static_cast<qsizetype>(activity_->warnings.size());
            html += QStringLiteral("<br>") +
                    (doubt ? QStringLiteral("<span style=\"color:#a00000\">%1</span>")
                                 .arg(lines[i].toHtmlEscaped())
                           : lines[i].toHtmlEscaped());
        }
        summary->setText(html);
    }
}

void ShowerPage::drawActivity() {
    drawChart();
    fillTable();
}

void ShowerPage::drawChart() {
    showOn(*chartView);
}

void ShowerPage::showOn(ShowerChartView& view) const {
    if (!activity_) {
        view.showNothing();
    } else if (overlayYears->isChecked() && !overlay_.empty()) {
        view.showYears(overlay_);
    } else {
        view.showYear(*activity_);
    }
}

void ShowerPage::fillTable() {
    table->clear();
    const QStringList headers =
        QString::fromStdString(activityCsvLines(ShowerActivity{})[0]).split(QLatin1Char(','));
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    if (!activity_) {
        table->setRowCount(0);
        return;
    }
    const auto& hours = activity_->hours;
    table->setRowCount(static_cast<int>(hours.size()));
    for (int r = 0; r < static_cast<int>(hours.size()); ++r) {
        const ActivityHour& h = hours[static_cast<std::size_t>(r)];
        const QString cells[] = {
            QString::fromStdString(formatUtTime(static_cast<double>(h.hour) + 0.5)),
            QString::number(h.solarLongitude, 'f', 4),
            QString::number(h.observedMinutes),
            h.observed ? QString::number(h.echoes) : QString(),
            number(h.rate, 2),
            number(h.background, 2),
            number(h.excess, 2),
            number(h.excessError, 2),
            number(h.ratio, 3),
            number(h.radiantElevation, 2),
            number(h.correctedExcess, 2),
            number(h.elevationFactor, 3),
            number(h.fitExcess, 2)};
        for (int c = 0; c < static_cast<int>(std::size(cells)); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (!h.inPeriod) {
                item->setForeground(QColor(128, 128, 128)); // reference days, for context
            }
            table->setItem(r, c, item);
        }
    }
    table->resizeColumnsToContents();
}

QStringList ShowerPage::exportCsv() {
    std::vector<const ShowerActivity*> shown;
    if (overlayYears->isChecked() && !overlay_.empty()) {
        for (const ShowerActivity& a : overlay_) {
            shown.push_back(&a);
        }
    } else if (activity_) {
        shown.push_back(&*activity_);
    }
    QStringList written;
    const OutputWriter out(outputFolder_);
    for (const ShowerActivity* a : shown) {
        const std::string name = activityCsvFileName(*a);
        writeLinesToFile(out.pathOf(name), activityCsvLines(*a));
        written << QString::fromStdString(name);
    }
    return written;
}

QImage ShowerPage::picture() const {
    ShowerChartView view;
    view.resize(kPictureSize);
    showOn(view);
    return view.picture();
}

QStringList ShowerPage::exportPlot() {
    if (!activity_) {
        return {};
    }
    std::string name = activityCsvFileName(*activity_);
    if (overlayYears->isChecked() && overlay_.size() > 1) {
        name = "activity_" + activity_->shower.code + "_" + std::to_string(overlay_.front().year) +
               "-" + std::to_string(overlay_.back().year) + ".csv";
    }
    name.replace(name.size() - 4, 4, ".png");
    const std::string path = OutputWriter(outputFolder_).pathOf(name);
    // Encoded in memory and written like every other file, so that a failure
    // names the file and its cause as they do.
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    if (!picture().save(&encoded, "PNG")) {
        throw IoError(FileOperation::Write, path, 0, "PNG");
    }
    writeBytesToFile(path, std::string_view(encoded.data().constData(),
                                            static_cast<std::size_t>(encoded.data().size())));
    return {QString::fromStdString(name)};
}
