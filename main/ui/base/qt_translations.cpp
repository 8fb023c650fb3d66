#include "ui/base/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator *installQtTranslations()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    auto *translator = new QTranslator(app);
    // The interface is Japanese whatever the system's locale, so the language is fixed here.
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}
