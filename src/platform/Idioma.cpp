#include "platform/Idioma.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstalarTraduccionesQt() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    // Owned by the application: it lives as long as the texts it translates.
    auto* qt = new QTranslator(app);
    if (!qt->load(QLocale(QLocale::Spanish), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete qt;
        return false;
    }
    return QCoreApplication::installTranslator(qt);
}
