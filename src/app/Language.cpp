#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

QString languageCode(Language language) {
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
}

Language languageFromCode(const QString& code) {
    return code == QLatin1String("en") ? Language::English : Language::Japanese;
}

LanguageSwitch::~LanguageSwitch() {
    removeTranslators();
}

void LanguageSwitch::removeTranslators() {
    if (programInstalled_) {
        QCoreApplication::removeTranslator(&program_);
        programInstalled_ = false;
    }
    if (qtBaseInstalled_) {
        QCoreApplication::removeTranslator(&qtBase_);
        qtBaseInstalled_ = false;
    }
}

void LanguageSwitch::apply(Language language) {
    // The translations live in velkapp, a static library: named here, they
    // are linked into every program that switches languages.
    Q_INIT_RESOURCE(velkreport_translations);
    removeTranslators();
    current_ = language;
    // The source texts are Japanese; Qt's own are English.
    const QString qtTranslations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (language == Language::English) {
        programInstalled_ = program_.load(QStringLiteral(":/i18n/velkreport_en.qm")) &&
                            QCoreApplication::installTranslator(&program_);
    } else {
        qtBaseInstalled_ = qtBase_.load(QStringLiteral("qtbase_ja"), qtTranslations) &&
                           QCoreApplication::installTranslator(&qtBase_);
    }
}
