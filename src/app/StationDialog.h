#pragma once
// The dialog "観測局情報": the sixteen station fields that every monthly RMOB
// file carries, edited as plain Unicode text and kept in the station file
// beside the settings file. OK writes the file and closes; when the file
// cannot be written the error box shows and the dialog stays open with the
// edits; saved() then tells those who read the station (the shower page).
// Cancel leaves the file as it was. A note under the fields names the ones
// still empty or unreadable, as the monthly export will warn, in the window's
// language.

#include "config/StationInfo.h"

#include <QDialog>

#include <array>
#include <string>

class QLabel;
class QLineEdit;

class StationDialog : public QDialog {
    Q_OBJECT
public:
    // path: the station file, as the file system spells it; info: its content.
    StationDialog(std::string path, const StationInfo& info, QWidget* parent = nullptr);

    // What the fields hold now.
    StationInfo info() const;

    void accept() override;

    // One edit per field, in the order of stationFields().
    std::array<QLineEdit*, 16> fields{};
    QLabel* warning;

signals:
    void saved(const StationInfo& info);

private:
    void updateWarning();

    std::string path_;
};
