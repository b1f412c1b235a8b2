#pragma once
// The window's controls of the stored settings, bound from the one table of
// the fields (settingFields()): each field has its controls, found by their
// objectNames, the main page's first; the text report's two line options have
// a second check box on the report page. A control changed by the user or by
// code writes its field, shows the value in the field's other control and
// enables what the field enables (a duration's seconds box goes with its check
// box); changed() follows. showAll() shows the whole record, and so writes
// back what a control cannot show (a bounded box pulls a number into its
// bounds).

#include "config/Settings.h"

#include <QObject>

#include <vector>

class QWidget;

class SettingControls : public QObject {
    Q_OBJECT
public:
    // What a field's change does to the text report page.
    enum class TextReportEffect {
        None,
        Stale,      // built again when next shown
        RebuildNow, // built again at once (its own check boxes are on that page)
    };

    struct Binding; // a field's controls, in the table of SettingControls.cpp

    // The controls must exist, named, under window.
    SettingControls(Settings& settings, QWidget& window);

    void showAll();

signals:
    void changed(SettingControls::TextReportEffect effect);

private:
    struct Control {
        const Binding* binding;
        const SettingField* field;
        QWidget* widget;
        QWidget* enables; // or null
    };

    void take(const Control& control);
    void show(const Control& control);

    Settings& settings_;
    std::vector<Control> controls_;
};
