#pragma once
// The language of the window: Japanese (the source texts) or English. The
// program's own translations are built into the program; Qt's own dialogs
// (the open dialog, the message box buttons) follow through Qt's
// translations, where installed. Installing sends every window a
// LanguageChange event. The output files never depend on it.

#include <QObject>
#include <QString>
#include <QTranslator>

enum class Language { Japanese, English };

// "ja" and "en", as kept in the preferences; anything else is Japanese.
QString languageCode(Language language);
Language languageFromCode(const QString& code);

class LanguageSwitch : public QObject {
    Q_OBJECT
public:
    explicit LanguageSwitch(QObject* parent = nullptr) : QObject(parent) {}
    ~LanguageSwitch() override;

    void apply(Language language);
    Language current() const { return current_; }

private:
    void removeTranslators();

    Language current_ = Language::Japanese;
    QTranslator program_;
    QTranslator qtBase_;
    bool programInstalled_ = false;
    bool qtBaseInstalled_ = false;
};
