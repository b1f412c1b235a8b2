#include "app/CoreTexts.h"

#include "app/TextView.h"
#include "shared/CoreTextLanguage.h"

#include <QCoreApplication>

QString coreTextForDisplay(const std::string& cp932Text) {
    QString text = cp932ToQString(cp932Text);
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return coreTextForDisplay(std::move(text));
}

QString coreTextForDisplay(QString text) {
    const std::string translated = translateCoreText(text.toStdString(), [](const char* source) {
        return QCoreApplication::translate(kCoreTextContext, source).toStdString();
    });
    return QString::fromStdString(translated);
}
