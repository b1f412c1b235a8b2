#include "app/SettingControls.h"

#include "app/WholeSpinBox.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QWidget>

#include <array>
#include <iterator>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>

struct SettingControls::Binding {
    const char* field;
    std::array<const char*, 2> controls; // objectNames; the second may be null
    const char* enables = nullptr;       // a control that is enabled while the box is checked
    TextReportEffect effect = TextReportEffect::None;
};

namespace {

using Effect = SettingControls::TextReportEffect;

// One line per stored field, in the record's order.
constexpr SettingControls::Binding kBindings[] = {
    {"MLong", {"CBMLong", "CBLong"}, nullptr, Effect::RebuildNow},
    {"MOData", {"CBMOData", "CBOdata"}, nullptr, Effect::RebuildNow},
    {"RepTOF", {"CBRepTOF"}},
    {"Rep1l1", {"CBRep1l1"}},
    {"Rep1OF", {"CBRep1OF"}},
    {"Rep6l1", {"CBRep6l1"}},
    {"Rep6OF", {"CBRep6OF"}},
    {"RMOBF", {"CBRMOBF"}},
    {"RMOBLE", {"CBRMOBLE"}},
    {"RMOBOD", {"CBRMOBOD"}},
    {"RTZ", {"RTZ"}},
    {"LongFLE", {"CBLE"}, "SELE"},
    {"LongTLE", {"SELE"}},
    {"LongFOD", {"CBOD"}, "SEOD"},
    {"LongTOD", {"SEOD"}},
    {"nd", {"nd"}, nullptr, Effect::Stale},
    {"HR", {"CBHR"}, nullptr, Effect::Stale},
};
static_assert(std::size(kBindings) == std::tuple_size_v<std::decay_t<decltype(settingFields())>>);

QWidget* namedChild(QWidget& window, const char* name) {
    auto* found = window.findChild<QWidget*>(QLatin1String(name));
    if (!found) {
        throw std::logic_error(std::string("no control named ") + name);
    }
    return found;
}

} // namespace

SettingControls::SettingControls(Settings& settings, QWidget& window)
    : QObject(&window), settings_(settings) {
    for (const Binding& binding : kBindings) {
        const SettingField* field = findSettingField(binding.field);
        QWidget* enables = binding.enables ? namedChild(window, binding.enables) : nullptr;
        for (const char* name : binding.controls) {
            if (name) {
                controls_.push_back({&binding, field, namedChild(window, name), enables});
            }
        }
    }
    for (const Control& control : controls_) {
        if (control.field->flag) {
            connect(static_cast<QCheckBox*>(control.widget), &QCheckBox::toggled, this,
                    [this, control] { take(control); });
        } else {
            connect(static_cast<WholeSpinBox*>(control.widget), &WholeSpinBox::changed, this,
                    [this, control] { take(control); });
        }
    }
}

void SettingControls::take(const Control& control) {
    if (control.field->flag) {
        settings_.*control.field->flag = static_cast<QCheckBox*>(control.widget)->isChecked();
    } else {
        settings_.*control.field->number = static_cast<WholeSpinBox*>(control.widget)->value();
    }
    for (const Control& other : controls_) {
        if (other.field == control.field && other.widget != control.widget) {
            const QSignalBlocker quiet(other.widget); // one change, one notice
            show(other);
        }
    }
    if (control.enables) {
        control.enables->setEnabled(settings_.*control.field->flag);
    }
    emit changed(control.binding->effect);
}

void SettingControls::show(const Control& control) {
    if (control.field->flag) {
        static_cast<QCheckBox*>(control.widget)->setChecked(settings_.*control.field->flag);
    } else {
        static_cast<WholeSpinBox*>(control.widget)->setValue(settings_.*control.field->number);
    }
}

void SettingControls::showAll() {
    // A control whose shown state changes runs its handler, as a user's
    // change does; one that already shows its value runs nothing.
    for (const Control& control : controls_) {
        show(control);
        if (control.enables) {
            control.enables->setEnabled(settings_.*control.field->flag);
        }
    }
}
