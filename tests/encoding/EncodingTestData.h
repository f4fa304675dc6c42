#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <memory>

// The text's bytes in the charset, made by ICU; empty (and a test failure) when the charset
// cannot hold the text, so a fixture never silently carries substitution characters.
inline QByteArray encodedIn(const char *charset, const QString &text) {
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UConverter, decltype(&ucnv_close)> converter(ucnv_open(charset, &status),
                                                                       ucnv_close);
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    QByteArray bytes(text.size() * 4 + 16, '\0');
    const int32_t length = ucnv_fromUChars(converter.get(), bytes.data(), int32_t(bytes.size()),
                                           reinterpret_cast<const UChar *>(text.utf16()),
                                           int32_t(text.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status)) << charset << ": " << u_errorName(status);
    return U_SUCCESS(status) ? bytes.left(length) : QByteArray();
}

// Entry names run together and repeated to at least 100 bytes, the way an archive reader
// collects them for detection. The text that those bytes hold goes to text.
inline QByteArray nameBlock(const char *charset, const QStringList &names, QString *text) {
    *text = names.join(QString());
    QByteArray bytes = encodedIn(charset, *text);
    while (!bytes.isEmpty() && bytes.size() < 100) {
        bytes += bytes;
        *text += *text;
    }
    return bytes;
}

// tests/data/name_lists.json: entry names as people give them, per language, and the code pages
// each list is stored in.
inline const QJsonObject &nameListData() {
    static const QJsonObject data = [] {
        QFile file(QStringLiteral(KIST_TEST_DATA "/name_lists.json"));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return data;
}

// The names of one list ("JapaneseNames", "GermanShort", ...).
inline QStringList namesOf(const char *list) {
    QStringList names;
    for (const QJsonValue &name :
         nameListData()[QLatin1String("lists")][QLatin1String(list)].toArray())
        names.append(name.toString());
    EXPECT_FALSE(names.isEmpty()) << list;
    return names;
}

// One list in one of the code pages it is met in.
struct NameList {
    QByteArray codePage;
    std::string label;
    QStringList names;
};

inline QList<NameList> nameLists() {
    QList<NameList> lists;
    for (const QJsonValue &value : nameListData()[QLatin1String("cases")].toArray()) {
        const QJsonObject row = value.toObject();
        lists.append({row[QLatin1String("codePage")].toString().toLatin1(),
                      row[QLatin1String("label")].toString().toStdString(),
                      namesOf(row[QLatin1String("names")].toString().toLatin1().constData())});
    }
    return lists;
}
