#include "app/WholeSpinBox.h"

#include <QFocusEvent>
#include <QLineEdit>

#include <climits>

WholeSpinBox::WholeSpinBox(QWidget* parent) : QAbstractSpinBox(parent) {
    lineEdit()->setText(QStringLiteral("0"));
    setAccelerated(false);
    connect(lineEdit(), &QLineEdit::textChanged, this, &WholeSpinBox::changed);
}

void WholeSpinBox::setBounds(int minimum, int maximum) {
    bounded_ = true;
    minimum_ = minimum;
    maximum_ = maximum;
}

std::optional<int> WholeSpinBox::parseWhole(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size()) {
        return std::nullopt;
    }
    long long magnitude = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1) {
            return std::nullopt;
        }
    }
    const long long v = negative ? -magnitude : magnitude;
    if (v > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(v);
}

int WholeSpinBox::value() const {
    return parseWhole(text()).value_or(lowerBound());
}

int WholeSpinBox::clampToBounds(long long value) const {
    const long long lo = bounded_ ? minimum_ : INT_MIN;
    const long long hi = bounded_ ? maximum_ : INT_MAX;
    return static_cast<int>(value < lo ? lo : value > hi ? hi : value);
}

void WholeSpinBox::setValue(int value) {
    const QString shown = QString::number(clampToBounds(value));
    // QLineEdit reports a change only when the text differs; the check makes
    // the rule explicit rather than relying on it.
    if (lineEdit()->text() != shown) {
        lineEdit()->setText(shown);
    }
}

void WholeSpinBox::stepBy(int steps) {
    setValue(clampToBounds(static_cast<long long>(value()) + steps));
    selectAll();
}

QValidator::State WholeSpinBox::validate(QString&, int&) const {
    // Any text may stand while the user types; reading it decides what it means.
    return QValidator::Acceptable;
}

void WholeSpinBox::fixup(QString&) const {}

QAbstractSpinBox::StepEnabled WholeSpinBox::stepEnabled() const {
    if (isReadOnly()) {
        return StepNone;
    }
    return StepUpEnabled | StepDownEnabled;
}

void WholeSpinBox::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    // Only leaving for another control counts: a message box or another
    // application taking the activation must not rewrite what the user typed.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        return;
    }
    if (bounded_) {
        if (const std::optional<int> typed = parseWhole(text());
            typed && (*typed < minimum_ || *typed > maximum_)) {
            setValue(*typed);
        }
    }
}

QSize WholeSpinBox::sizeHint() const {
    QSize size = QAbstractSpinBox::sizeHint();
    const int digits = fontMetrics().horizontalAdvance(QStringLiteral("-00000"));
    size.setWidth(std::max(size.width(), digits + 28));
    return size;
}

QSize WholeSpinBox::minimumSizeHint() const {
    return sizeHint();
}
