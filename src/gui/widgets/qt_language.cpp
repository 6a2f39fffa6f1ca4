#include "gui/widgets/qt_language.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

void UseLanguageForQt(unsigned short langId) {
    static QTranslator* translator = nullptr;
    if (translator != nullptr) {
        QApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    QLocale locale = langId == 1031   ? QLocale(QLocale::German, QLocale::Germany)
                     : langId == 1036 ? QLocale(QLocale::French, QLocale::France)
                                      : QLocale(QLocale::English, QLocale::UnitedStates);
    QLocale::setDefault(locale);
    if (locale.language() == QLocale::English) {
        return;
    }
    translator = new QTranslator(qApp);
    if (translator->load(locale, "qtbase", "_",
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(translator);
    }
}
