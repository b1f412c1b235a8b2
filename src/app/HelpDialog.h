#pragma once
// A short guide to the daily work with the program, in the window's language:
// open the data file, check the pages, write the files, read the shower page,
// and where the settings and the station are kept (the files actually in
// use). Opened from the help menu.

#include <QDialog>

#include <string>

class HelpDialog : public QDialog {
    Q_OBJECT
public:
    // settingsFile: the settings file in use, as the file system spells it.
    explicit HelpDialog(const std::string& settingsFile, QWidget* parent = nullptr);

    static QString helpText(const std::string& settingsFile);
};
