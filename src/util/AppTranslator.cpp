#include "util/AppTranslator.h"

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

void AppTranslator::install(QCoreApplication &app) {
    const QString folder = QStringLiteral(":/i18n");
    auto *translator = new QTranslator(&app);
    if (translator->load(QLocale::system(), QStringLiteral("kist"), QStringLiteral("_"), folder) ||
        translator->load(QStringLiteral("kist_en"), folder))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
