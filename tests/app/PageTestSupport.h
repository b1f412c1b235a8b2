#pragma once
// Page helpers shared by the main window's tests: what a page shows, and a
// click on a page's tab.

#include "app/LargeTextView.h"
#include "app/MainWindow.h"
#include "app/TextView.h"

#include <QTest>

#include <QStringList>
#include <QTabBar>
#include <QTabWidget>

// What the page shows, as a user would see it on the page.
inline QStringList viewText(TextView* view) {
    view->fill();
    QStringList lines = view->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

inline QStringList viewText(LargeTextView* view) {
    QStringList lines = view->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty()) {
        lines.pop_back();
    }
    return lines;
}

inline void showPage(MainWindow& form, QWidget* page) {
    auto* bar = form.pages->findChild<QTabBar*>();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(form.pages->indexOf(page)).center());
    QCOMPARE(form.pages->currentWidget(), page);
}
