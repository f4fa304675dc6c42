#include "app/dialogs/AboutDialog.h"

#include "archive/UnrarApi.h"

#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>

#include <archive.h>
#include <bzlib.h>
#include <isa-l.h>
#include <libdeflate.h>
#include <unicode/uversion.h>
#include <zlib.h>

namespace {

QString text(const char *source) {
    return QCoreApplication::translate("AboutDialog", source);
}

struct Library {
    QString name;
    QString version;
    const char *licence;
};

QList<Library> libraries() {
    UVersionInfo icu;
    u_getVersion(icu);
    char icuVersion[U_MAX_VERSION_STRING_LENGTH] = {};
    u_versionToString(icu, icuVersion);
    return {
        {QStringLiteral("Qt"), QString::fromLatin1(qVersion()),
         QT_TRANSLATE_NOOP("AboutDialog", "GNU LGPL version 3")},
        {QStringLiteral("zlib"), QString::fromLatin1(zlibVersion()),
         QT_TRANSLATE_NOOP("AboutDialog", "zlib License")},
        {QStringLiteral("minizip"), QString(), QT_TRANSLATE_NOOP("AboutDialog", "zlib License")},
        {QStringLiteral("libdeflate"), QStringLiteral(LIBDEFLATE_VERSION_STRING),
         QT_TRANSLATE_NOOP("AboutDialog", "MIT License")},
        {QStringLiteral("ISA-L"),
         QStringLiteral("%1.%2.%3")
             .arg(ISAL_MAJOR_VERSION)
             .arg(ISAL_MINOR_VERSION)
             .arg(ISAL_PATCH_VERSION),
         QT_TRANSLATE_NOOP("AboutDialog", "BSD 3-Clause License")},
        {QStringLiteral("bzip2"),
         QString::fromLatin1(BZ2_bzlibVersion()).section(QLatin1Char(','), 0, 0),
         QT_TRANSLATE_NOOP("AboutDialog", "bzip2 License (BSD-style)")},
        {QStringLiteral("libarchive"),
         QString::fromLatin1(archive_version_string()).section(QLatin1Char(' '), 1),
         QT_TRANSLATE_NOOP("AboutDialog", "BSD 2-Clause License")},
        {QStringLiteral("ICU"), QString::fromLatin1(icuVersion),
         QT_TRANSLATE_NOOP("AboutDialog", "Unicode License")},
        {QStringLiteral("UnRAR"), text("API %1").arg(RARGetDllVersion()),
         QT_TRANSLATE_NOOP("AboutDialog",
                           "UnRAR License: free to use for reading RAR archives, not for "
                           "re-creating the RAR compression algorithm")},
    };
}

} // namespace

void AboutDialog::show(QWidget *parent) {
    QString rows;
    for (const Library &library : libraries())
        rows += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td><td>%3</td></tr>")
                    .arg(library.name, library.version.toHtmlEscaped(),
                         text(library.licence).toHtmlEscaped());
    QMessageBox about(parent);
    about.setWindowTitle(text("About Kist"));
    if (const QIcon icon = QGuiApplication::windowIcon(); !icon.isNull())
        about.setIconPixmap(icon.pixmap(64, 64));
    about.setTextFormat(Qt::RichText);
    about.setText(QStringLiteral("<h3>Kist %1</h3><p>%2</p>")
                      .arg(QCoreApplication::applicationVersion().toHtmlEscaped(),
                           text("Opens zip, RAR, 7z, tar, gzip and bzip2 archives and makes zip "
                                "archives.")));
    about.setInformativeText(text("Kist uses these libraries:") +
                             QStringLiteral("<table cellspacing=\"6\">%1</table>").arg(rows));
    about.addButton(QMessageBox::Close);
    about.exec();
}
