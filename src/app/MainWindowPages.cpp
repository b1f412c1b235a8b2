// The report pages of the main window after a run: the text report and the
// RMOB page built from the station's hours and written from what they hold,
// the two tables' files, the colorgramme and the monthly RMOB files, the
// shower page, and the tabs' marks of pages built with other settings.
//
// The rebuilds run on this thread: a decade's text report, RMOB tables or
// colorgramme months take 7 to 9 ms each (release build), well inside the
// 50 ms the window may stand still.

#include "app/MainWindow.h"

#include "app/ColorgrammePage.h"
#include "app/LargeTextView.h"
#include "app/LineView.h"
#include "app/MessageBoxes.h"
#include "app/ShowerPage.h"
#include "app/WorkerThread.h"
#include "config/StationInfo.h"
#include "pipeline/OutputWriter.h"
#include "reports/Colorgramme.h"
#include "reports/Rmob.h"
#include "reports/RmobMonthly.h"
#include "reports/TextReport.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>

#include <utility>

const UtHourList& MainWindow::hours() {
    if (hours_.utOffsetHours() != settings_.utOffsetHours ||
        hours_.noiseMinutes() != settings_.noiseMinutes) {
        hours_ = hours_.withRules(settings_.utOffsetHours, settings_.noiseMinutes);
    }
    return hours_;
}

OutputWriter MainWindow::writer() const {
    return OutputWriter(QFile::encodeName(outputFolder_).toStdString());
}

void MainWindow::reportWritten(const std::string& path) {
    const QString name = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).fileName();
    statusBar()->showMessage(
        tr("%1 を %2 に出力しました").arg(name, QDir::toNativeSeparators(outputFolder_)));
}

void MainWindow::pageShown(int index) {
    const QWidget* page = pages_->widget(index);
    if (page == textReportTab_) {
        updateTextReport();
    } else if (page == rmobTab_) {
        updateRmobTables();
    } else if (page == showerPage_) {
        showShowers();
    } else if (page == colorgrammePage_) {
        bringColorgrammeUp();
    }
}

void MainWindow::settingChanged(bool stale, bool rebuildNow) {
    textReportStale_ = textReportStale_ || stale;
    if (rebuildNow) {
        updateTextReport();
    }
}

void MainWindow::updateTextReport() {
    if (textReportStale_) {
        rebuildTextReport();
    }
}

void MainWindow::rebuildTextReport() {
    // Built afresh: the lines on the page, edited or not, are replaced.
    textReportView_->setLines(buildTextReport(hours(), settings_));
    textReportStale_ = false;
}

void MainWindow::writeTextReport() {
    reportWritten(writer().writeTextReport(textReportView_->lines()));
    pageWritten(textReportView_);
}

void MainWindow::updateAndWriteTextReport() {
    updateTextReport();
    writeTextReport();
}

void MainWindow::updateRmobTables() {
    if (rmobStale_) {
        rebuildRmobPage();
    }
}

void MainWindow::rebuildRmobPage() {
    rmobView_->setLines(buildRmob(hours(), settings_));
    rmobStale_ = false;
    rmobBuiltWith_ = pageSettingsOf(settings_);
    markLaggingPages();
}

void MainWindow::buildRmobTables() {
    rebuildRmobPage();
    rebuildColorgramme();
}

void MainWindow::writeRmobTables() {
    reportWritten(writer().writeRmob(rmobView_->lines()));
    pageWritten(rmobView_);
}

void MainWindow::updateAndWriteRmobTables() {
    updateRmobTables();
    writeRmobTables();
}

// A decade's table is 41 MB: adding or dropping its header line (30 ms),
// indexing it for the page (25 ms) and writing it (30 ms) go on a worker.
struct MainWindow::TableWrite {
    std::shared_ptr<const std::string> table; // as the page shows it
    bool headerLine = false;
    std::string folder;
    // Out: the table with its header line as set, when that changed it.
    std::optional<IndexedText> adjusted;
    std::string path;
    std::exception_ptr error;

    void operator()() {
        try {
            const std::string_view text = *table;
            const bool hasHeader = text.starts_with(std::string(kTenMinuteHeaderLine) + "\r\n");
            if (hasHeader != headerLine || text.empty()) {
                adjusted = IndexedText::of(withTenMinuteHeader(text, headerLine));
            }
            path = OutputWriter(folder).writeTenMinuteTable(adjusted ? *adjusted->bytes : text);
        } catch (...) {
            error = std::current_exception();
        }
    }
};

void MainWindow::writeTenMinuteTable() {
    if (tableWriter_->isRunning()) {
        tableWriteAgain_ = true; // with the settings of then, once this one is done
        return;
    }
    tableWrite_ = std::make_shared<TableWrite>();
    // The page's table as the last run (or watch) made it, shared, not
    // copied; what the user typed into the page is not written.
    tableWrite_->table = completedFileName_.empty() ? std::make_shared<const std::string>()
                                                    : tenMinuteView_->lineView()->sharedBytes();
    tableWrite_->headerLine = settings_.tenMinuteHeaderLine;
    tableWrite_->folder = QFile::encodeName(outputFolder_).toStdString();
    tableWriter_->start([write = tableWrite_.get()] { (*write)(); });
}

void MainWindow::tenMinuteTableWritten() {
    const std::shared_ptr<TableWrite> done = std::move(tableWrite_);
    // A run that ended meanwhile, or a file that grew, brought a table of its own.
    if (done->adjusted && done->table == tenMinuteView_->lineView()->sharedBytes()) {
        tenMinuteView_->setText(std::move(*done->adjusted));
    }
    if (done->error) {
        guarded([&done] { std::rethrow_exception(done->error); });
    } else {
        reportWritten(done->path);
    }
    if (std::exchange(tableWriteAgain_, false)) {
        writeTenMinuteTable();
    }
}

void MainWindow::writeHourTable() {
    std::string text = hours_.table().text(settings_.hourHeaderLine);
    const std::string path = writer().writeHourTable(text);
    hourView_->setText(IndexedText::of(std::move(text)));
    reportWritten(path);
}

void MainWindow::rebuildColorgramme() {
    monthsFrom_.reset(); // the months of now replace any kept for later
    laterMonths_.clear();
    colorgrammePage_->setMonths(buildColorgrammes(hours()));
    colorgrammeBuiltWith_ = pageSettingsOf(settings_);
    markLaggingPages();
}

void MainWindow::bringLaggingPagesUp() {
    if (rmobPageLags() || colorgrammeLags()) {
        buildRmobTables();
    }
}

void MainWindow::showShowers() {
    showerPage_->loadFrom(hours(), settings_);
}

void MainWindow::rmobMonthlyClick() {
    // The files follow the settings of now; pages that lag are brought up to
    // them first, so that what is shown is what is written.
    bringLaggingPagesUp();
    bringColorgrammeUp();
    const StationInfo station = loadStationInfo(defaultStationFileName(settings_.filePath));
    const std::vector<RmobMonthlyFile> files = rmobMonthlyFiles(hours(), station);
    if (files.empty()) {
        // Nothing is written, so the station's fields do not matter yet.
        showMessageBox(this, QMessageBox::Information,
                       tr("出力する月がありません。先にデータファイルを読み込んでください。"));
        return;
    }
    // Incomplete fields do not stop the export: the bulletin's collectors
    // rather have the counts with a gap in the block than no file at all.
    if (const std::string warning = stationWarningTextCp932(station); !warning.empty()) {
        showCp932Message(this, warning);
    }
    const OutputWriter out = writer();
    out.writeRmobMonthlyFiles(files);
    const auto nameOf = [](const RmobMonthlyFile& file) {
        return QFile::decodeName(QByteArray::fromStdString(file.fileName));
    };
    QString text = tr("RMOB月別ファイルを %1 個出力しました。").arg(files.size());
    text += QStringLiteral("\n%1").arg(nameOf(files.front()));
    if (files.size() > 1) {
        text += QStringLiteral(" ～ %1").arg(nameOf(files.back()));
    }
    if (rmobMonthlyPictures_->isChecked()) {
        // The page's months, brought up to the settings the files were written with.
        const std::vector<std::string> pictures =
            out.writeColorgrammes(colorgrammePage_->months(), colorgrammePage_->manualMaximum());
        text += QStringLiteral("\n") + tr("画像を %1 個出力しました。").arg(pictures.size());
    }
    statusBar()->showMessage(tr("RMOB月別ファイルを %1 個 %2 に出力しました")
                                 .arg(files.size())
                                 .arg(QDir::toNativeSeparators(outputFolder_)));
    showMessageBox(this, QMessageBox::Information, text);
}

MainWindow::PageSettings MainWindow::pageSettingsOf(const Settings& s) {
    return PageSettings{s.utOffsetHours,         s.noiseMinutes,    s.rmobLongEcho,
                        s.longEchoDurationKnown, s.rmobOtherData,   s.otherDataDurationKnown,
                        s.longEchoSeconds,       s.otherDataSeconds};
}

// A page that rebuilds itself when next shown does not lag.
bool MainWindow::rmobPageLags() const {
    return rmobBuiltWith_ && !rmobStale_ && *rmobBuiltWith_ != pageSettingsOf(settings_);
}

bool MainWindow::colorgrammeLags() const {
    // The picture depends on the UT shift and the noise threshold only.
    return colorgrammeBuiltWith_ &&
           (colorgrammeBuiltWith_->utOffsetHours != settings_.utOffsetHours ||
            colorgrammeBuiltWith_->noiseMinutes != settings_.noiseMinutes);
}

void MainWindow::markLaggingPages() {
    const QString lagNote = tr(" (要再計算)");
    const QString lagTip = tr("設定が変わりました。再計算で新しい設定に合わせます。");
    const std::tuple<QWidget*, QString, bool> tabs[] = {
        {rmobTab_, QStringLiteral("RMOB"), rmobPageLags()},
        {colorgrammePage_, QStringLiteral("Colorgramme"), colorgrammeLags()},
    };
    for (const auto& [page, title, lags] : tabs) {
        const int index = pages_->indexOf(page);
        pages_->setTabText(index, lags ? title + lagNote : title);
        pages_->setTabToolTip(index, lags ? lagTip : QString());
    }
    showTabMarks();
}
