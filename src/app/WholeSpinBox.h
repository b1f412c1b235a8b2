#pragma once
// A whole-number spin box whose text is the truth. The user may type anything;
// value() reads the text, and a text that is not a whole number reads as the
// lower bound (0 for a box without bounds). A bounded box keeps values set from
// code and by the arrows inside its bounds, lets a typed number stand outside
// them while the user edits, and pulls it back to the nearer bound when the
// focus moves to another control. changed() is emitted exactly when the shown
// text changes, by typing or from code; setting the text already shown emits
// nothing.

#include <QAbstractSpinBox>

#include <optional>

class WholeSpinBox : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit WholeSpinBox(QWidget* parent = nullptr);

    void setBounds(int minimum, int maximum);
    bool isBounded() const { return bounded_; }

    int value() const;
    void setValue(int value);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

    // The number a text stands for, if it is a whole 32-bit number.
    static std::optional<int> parseWhole(const QString& text);

signals:
    void changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

private:
    int lowerBound() const { return bounded_ ? minimum_ : 0; }
    int clampToBounds(long long value) const;

    bool bounded_ = false;
    int minimum_ = 0;
    int maximum_ = 0;
};
