#include "util/AppTranslator.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <functional>

namespace {

void installLoaded(QCoreApplication &app, const std::function<bool(QTranslator &)> &load) {
    auto *translator = new QTranslator(&app);
    if (load(*translator))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void AppTranslator::install(QCoreApplication &app) {
    const QLocale locale = QLocale::system();
    const QString folder = QStringLiteral(":/i18n");
    installLoaded(app, [&](QTranslator &translator) {
        return translator.load(locale, QStringLiteral("kist"), QStringLiteral("_"), folder) ||
               translator.load(QStringLiteral("kist_en"), folder);
    });
    // Qt's own texts (standard buttons, the command-line help) where Qt's translations are
    // installed.
    installLoaded(app, [&](QTranslator &translator) {
        return translator.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                               QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    });
}
