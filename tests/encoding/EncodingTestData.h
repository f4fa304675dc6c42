#pragma once

#include <QByteArray>
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

// Real entry names in the languages whose archives come in legacy code pages.
inline const QStringList kJapaneseNames{"報告書.txt", "写真/旅行.jpg", "会議の議事録.docx"};
inline const QStringList kChineseNames{"文件夹/说明.txt", "图片/风景.jpg", "中文文档.doc"};
inline const QStringList kRussianNames{"Документы/отчёт.doc", "Приложение/счёт.xls",
                                       "Фото/лето.jpg"};
