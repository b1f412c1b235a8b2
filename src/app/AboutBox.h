#pragma once
// The about box: product name, version, author and address with two pictures.
// Created hidden at program start and shown modally by the main window's
// "バージョン情報"; it lives until the program ends.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

// A picture that reports clicks.
class ClickableLabel;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    void startUp();
    void programIconClicked();
    void okClicked();

    QFrame* panel;
    QLabel* pictureLabel;
    QLabel* productNameLabel;
    QLabel* versionLabel;
    ClickableLabel* programIconLabel;
    QLabel* copyrightLabel; // author
    QLabel* commentsLabel;  // the Qt version the program runs on
    QPushButton* okButton;
    QLabel* authorLabel; // 制 作

protected:
    void changeEvent(QEvent* event) override;

private:
    void buildPanel();
    void nameControls();
    void retranslate();
};

class ClickableLabel : public QWidget {
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    void setPixmap(const QPixmap& pixmap);
    // Stretched to the label's frame, or at its natural size, centred.
    void setStretched(bool stretched);
    bool isStretched() const { return stretched_; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap pixmap_;
    bool stretched_ = true;
};
