#pragma once
// A short guide to the daily work with the program, in Japanese: open the data
// file, check the pages, write the files. Opened from the help menu.

#include <QDialog>

class HelpDialog : public QDialog {
    Q_OBJECT
public:
    explicit HelpDialog(QWidget* parent = nullptr);

    static QString helpText();
};
