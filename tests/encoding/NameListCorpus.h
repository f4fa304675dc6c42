#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Entry names the way people name folders and files, per language. The same lists are written
// in every code page their language was stored in, so one list meets several encodings.
namespace NameListCorpus {

inline const QStringList kGermanShort{"Grüße/", "Grüße/Übung.txt", "Bücher.doc"};
inline const QStringList kGermanLong{"Dokumente/",
                                     "Dokumente/Rechnungen/",
                                     "Dokumente/Rechnungen/Rechnung_März.pdf",
                                     "Dokumente/Rechnungen/Rechnung_Mai.pdf",
                                     "Dokumente/Übersicht.xls",
                                     "Dokumente/Geschäftsbericht.doc",
                                     "Fotos/",
                                     "Fotos/Urlaub_Österreich.jpg",
                                     "Fotos/Hochzeit_München.jpg",
                                     "Fotos/Weihnachten.jpg",
                                     "Briefe/",
                                     "Briefe/Kündigung.doc",
                                     "Briefe/Anschreiben.doc",
                                     "Briefe/Bestätigung.txt",
                                     "Schlüssel.txt",
                                     "Größenangaben.txt",
                                     "Straßenkarte.pdf",
                                     "Äpfel und Birnen.txt",
                                     "Präsentation.ppt",
                                     "Lösungen.doc"};
inline const QStringList kFrench{"Élèves/",     "Élèves/Résumé.doc", "Élèves/Leçon_française.txt",
                                 "Noël.jpg",    "Père_Noël.txt",     "Château de Versailles.jpg",
                                 "déjà_vu.txt", "Cafés.xls"};
inline const QStringList kFrenchCapitals{"École/",          "École/Élèves.xls",       "À faire.txt",
                                         "Été 2022/",       "Été 2022/Île de Ré.jpg", "Ça va.txt",
                                         "Où êtes-vous.doc"};
inline const QStringList kSpanish{"Música/",         "Música/Canción de año nuevo.mp3",
                                  "Niños/",          "Niños/Fotografías del día.jpg",
                                  "Información.doc", "¿Qué pasa?.txt"};
inline const QStringList kSpanishCapitals{"Índice.doc", "Árbol genealógico.xls", "Óscar/",
                                          "Óscar/Música.mp3", "Última versión.txt"};
inline const QStringList kSwedish{"Dokument/",
                                  "Dokument/Ärenden.doc",
                                  "Dokument/Översikt.xls",
                                  "Bilder/Sommarstugan på Åland.jpg",
                                  "Räkningar/",
                                  "Räkningar/Elräkning.pdf"};
inline const QStringList kItalian{"Università/", "Università/Lezione di metà anno.pdf",
                                  "Perché no.txt", "Città di Forlì.jpg", "Caffè.doc"};
inline const QStringList kPortugueseLong{"Documentos/",
                                         "Documentos/Relatório anual.doc",
                                         "Documentos/Informações.txt",
                                         "Fotos/",
                                         "Fotos/São Paulo.jpg",
                                         "Fotos/Coração.jpg",
                                         "Orçamento 2023.xls",
                                         "Apresentação.ppt",
                                         "Ações.xls",
                                         "Lições.doc"};
inline const QStringList kPortugueseShort{"Pão/", "Pão/Receita de pão.txt", "Canções.mp3"};
inline const QStringList kDanish{
    "Dokumenter/", "Dokumenter/Søknad.doc",      "Dokumenter/Økonomi.xls",
    "Bøker/",      "Bøker/Ærø rundt.pdf",        "Bilder/Sommerferie på Færøerne.jpg",
    "Møter/",      "Møter/Referat fra møtet.doc"};
inline const QStringList kIcelandic{"Skjöl/",
                                    "Skjöl/Fundargerð.doc",
                                    "Myndir/Þingvellir.jpg",
                                    "Reikningar/",
                                    "Reikningar/Rafmagnsreikningur.pdf",
                                    "Ferðalög.txt"};

inline const QStringList kPolishShort{"Zdjęcia/", "Zdjęcia/Łódź.jpg", "Kraków.txt"};
inline const QStringList kPolishLong{"Dokumenty/",
                                     "Dokumenty/Sprawozdanie roczne.doc",
                                     "Dokumenty/Umowa najmu.pdf",
                                     "Dokumenty/Faktury/",
                                     "Dokumenty/Faktury/Faktura_październik.pdf",
                                     "Dokumenty/Faktury/Faktura_wrzesień.pdf",
                                     "Zdjęcia/",
                                     "Zdjęcia/Wakacje nad morzem.jpg",
                                     "Zdjęcia/Ślub Ani i Łukasza.jpg",
                                     "Zdjęcia/Święta Bożego Narodzenia.jpg",
                                     "Muzyka/",
                                     "Muzyka/Piosenki dla dzieci.mp3",
                                     "Zażółć gęślą jaźń.txt",
                                     "Życiorys.doc",
                                     "Prezentacja końcowa.ppt",
                                     "Notatki ze spotkania.txt",
                                     "Książki/",
                                     "Książki/Pan Tadeusz.pdf",
                                     "Wiadomości.txt",
                                     "Ogłoszenie.doc"};
inline const QStringList kCzech{"Dokumenty/",
                                "Dokumenty/Účetnictví.xls",
                                "Dokumenty/Smlouva o dílo.doc",
                                "Fotky/",
                                "Fotky/Dovolená v Itálii.jpg",
                                "Příliš žluťoučký kůň.txt",
                                "Poznámky.txt",
                                "Přihláška.pdf",
                                "Vyúčtování.xls"};
inline const QStringList kHungarian{"Dokumentumok/",
                                    "Dokumentumok/Költségvetés.xls",
                                    "Dokumentumok/Számlák/",
                                    "Dokumentumok/Számlák/Villanyszámla.pdf",
                                    "Képek/",
                                    "Képek/Őszi kirándulás.jpg",
                                    "Árvíztűrő tükörfúrógép.txt",
                                    "Jegyzőkönyv.doc",
                                    "Önéletrajz.doc"};
inline const QStringList kCroatian{"Izvještaji/", "Izvještaji/Godišnji izvještaj.doc", "Računi.xls",
                                   "Đaci i učitelji.txt"};
inline const QStringList kSlovak{"Dokumenty/",
                                 "Dokumenty/Zmluva o prenájme.doc",
                                 "Fotografie/Vianoce v Košiciach.jpg",
                                 "Účtovníctvo.xls",
                                 "Ďalšie poznámky.txt",
                                 "Ľubovoľný text.txt"};

inline const QStringList kRussianShort{"Привет.txt", "Документы/", "Документы/отчёт.doc"};
inline const QStringList kRussianLong{"Документы/",
                                      "Документы/Отчёт за год.doc",
                                      "Документы/Договор аренды.pdf",
                                      "Документы/Счета/",
                                      "Документы/Счета/Счёт за октябрь.pdf",
                                      "Документы/Счета/Счёт за сентябрь.pdf",
                                      "Фотографии/",
                                      "Фотографии/Отпуск на море.jpg",
                                      "Фотографии/Свадьба.jpg",
                                      "Фотографии/Новый год.jpg",
                                      "Музыка/",
                                      "Музыка/Песни для детей.mp3",
                                      "Бухгалтерия.xls",
                                      "Резюме.doc",
                                      "Презентация.ppt",
                                      "Заметки с совещания.txt",
                                      "Книги/",
                                      "Книги/Война и мир.pdf",
                                      "Письмо.txt",
                                      "Объявление.doc"};
inline const QStringList kRussianDesktop{
    "Рабочий стол/", "Рабочий стол/Ярлыки.txt", "Загрузки/",     "Загрузки/Установка программы.exe",
    "Ёлка.jpg",      "Объём памяти.txt",        "Инструкция.pdf"};
inline const QStringList kRussianProject{"Проект/", "Проект/Смета.xls", "Проект/Чертежи.dwg"};
inline const QStringList kBulgarian{"Документи/",
                                    "Документи/Годишен отчет.doc",
                                    "Снимки/",
                                    "Снимки/Лято в Бургас.jpg",
                                    "Счетоводство.xls",
                                    "Писма/",
                                    "Писма/Договор за наем.pdf"};
inline const QStringList kUkrainian{"Документи/",  "Документи/Звіт за рік.doc",
                                    "Фотографії/", "Фотографії/Відпустка в Києві.jpg",
                                    "Ґанок.jpg",   "Їжа та напої.txt"};
inline const QStringList kSerbian{"Документи/", "Документи/Годишњи извештај.doc",
                                  "Слике/Ђердап.jpg", "Рачуни.xls", "Џеп и кључеви.txt"};

inline const QStringList kJapaneseShort{"報告書.txt", "写真/旅行.jpg", "会議の議事録.docx"};
inline const QStringList kJapaneseLong{"ドキュメント/",
                                       "ドキュメント/見積書.xls",
                                       "ドキュメント/請求書_2023年4月.pdf",
                                       "ドキュメント/契約書.doc",
                                       "写真/",
                                       "写真/京都旅行/",
                                       "写真/京都旅行/金閣寺.jpg",
                                       "写真/京都旅行/清水寺.jpg",
                                       "写真/家族.jpg",
                                       "音楽/",
                                       "音楽/お気に入り.mp3",
                                       "新しいフォルダー/",
                                       "デスクトップ/",
                                       "デスクトップ/メモ.txt",
                                       "ダウンロード/",
                                       "ダウンロード/インストーラー.exe",
                                       "議事録_第3回.docx",
                                       "企画書.ppt",
                                       "名簿.xls",
                                       "日報.txt"};
// Half-width katakana, as old DOS tools wrote them.
inline const QStringList kJapaneseHalfWidth{"ﾃﾞｰﾀ/", "ﾃﾞｰﾀ/ﾊﾞｯｸｱｯﾌﾟ.dat", "ｼｽﾃﾑ設定.ini",
                                            "売上ﾃﾞｰﾀ.csv"};
inline const QStringList kJapaneseNumbered{"①会議資料.doc", "②議事録.doc", "③報告書.doc"};

inline const QStringList kChineseShort{"文件夹/说明.txt", "图片/风景.jpg", "中文文档.doc"};
inline const QStringList kChineseLong{"文档/",
                                      "文档/工作报告.doc",
                                      "文档/会议记录.doc",
                                      "文档/财务报表.xls",
                                      "文档/合同/",
                                      "文档/合同/租赁合同.pdf",
                                      "图片/",
                                      "图片/旅游/",
                                      "图片/旅游/长城.jpg",
                                      "图片/旅游/西湖.jpg",
                                      "音乐/",
                                      "音乐/流行歌曲.mp3",
                                      "新建文件夹/",
                                      "桌面/",
                                      "桌面/备忘录.txt",
                                      "下载/",
                                      "下载/安装程序.exe",
                                      "简历.doc",
                                      "项目计划书.ppt",
                                      "通讯录.xls"};
inline const QStringList kChineseStudy{"学习资料/", "学习资料/数学.pdf", "学习资料/语文.pdf",
                                       "学习资料/英语单词.txt"};

inline const QStringList kKoreanShort{"문서/", "문서/보고서.hwp", "사진.jpg"};
inline const QStringList kKoreanLong{"문서/",
                                     "문서/회의록.doc",
                                     "문서/계약서.pdf",
                                     "문서/견적서.xls",
                                     "사진/",
                                     "사진/여행/",
                                     "사진/여행/제주도.jpg",
                                     "사진/여행/부산 해운대.jpg",
                                     "음악/",
                                     "음악/좋아하는 노래.mp3",
                                     "새 폴더/",
                                     "바탕 화면/",
                                     "바탕 화면/메모.txt",
                                     "다운로드/",
                                     "다운로드/설치 프로그램.exe",
                                     "이력서.hwp",
                                     "발표 자료.ppt",
                                     "주소록.xls"};
// Syllables outside the 2350 of EUC-KR, which only the Windows code page holds.
inline const QStringList kKoreanExtended{"똠양꿍 요리법.txt", "맛집/", "맛집/뷁.jpg"};

inline const QStringList kTaiwaneseShort{"資料夾/說明.txt", "圖片/風景.jpg", "中文文件.doc"};
inline const QStringList kTaiwaneseLong{"文件/",
                                        "文件/工作報告.doc",
                                        "文件/會議記錄.doc",
                                        "文件/財務報表.xls",
                                        "文件/合約/",
                                        "文件/合約/租賃合約.pdf",
                                        "圖片/",
                                        "圖片/旅遊/",
                                        "圖片/旅遊/日月潭.jpg",
                                        "圖片/旅遊/阿里山.jpg",
                                        "音樂/",
                                        "音樂/流行歌曲.mp3",
                                        "新增資料夾/",
                                        "桌面/",
                                        "桌面/備忘錄.txt",
                                        "下載/",
                                        "下載/安裝程式.exe",
                                        "履歷表.doc",
                                        "專案計畫書.ppt",
                                        "通訊錄.xls"};
inline const QStringList kTaiwaneseStudy{"學習資料/", "學習資料/數學.pdf", "學習資料/國文.pdf",
                                         "學習資料/英文單字.txt"};

// One list as a zip tool on some machine stored it: the ICU converter that wrote the bytes.
struct NameList {
    const char *codePage;
    const char *label;
    const QStringList *names;
};

inline const QList<NameList> kNameLists{
    {"ibm-437", "de short", &kGermanShort},
    {"ibm-437", "de long", &kGermanLong},
    {"ibm-437", "fr", &kFrench},
    {"ibm-437", "es", &kSpanish},
    {"ibm-437", "sv", &kSwedish},
    {"ibm-850", "pt long", &kPortugueseLong},
    {"ibm-850", "pt short", &kPortugueseShort},
    {"ibm-850", "da", &kDanish},
    {"ibm-850", "fr capitals", &kFrenchCapitals},
    {"ibm-850", "es capitals", &kSpanishCapitals},
    {"ibm-850", "is", &kIcelandic},
    {"ibm-850", "de short", &kGermanShort},
    {"ibm-852", "pl short", &kPolishShort},
    {"ibm-852", "pl long", &kPolishLong},
    {"ibm-852", "cs", &kCzech},
    {"ibm-852", "hu", &kHungarian},
    {"ibm-852", "hr", &kCroatian},
    {"ibm-852", "sk", &kSlovak},
    {"ibm-866", "ru short", &kRussianShort},
    {"ibm-866", "ru long", &kRussianLong},
    {"ibm-866", "ru desktop", &kRussianDesktop},
    {"ibm-866", "ru project", &kRussianProject},
    {"ibm-866", "bg", &kBulgarian},
    {"windows-932", "ja short", &kJapaneseShort},
    {"windows-932", "ja long", &kJapaneseLong},
    {"windows-932", "ja half-width", &kJapaneseHalfWidth},
    {"windows-932", "ja numbered", &kJapaneseNumbered},
    {"windows-936", "zh short", &kChineseShort},
    {"windows-936", "zh long", &kChineseLong},
    {"windows-936", "zh study", &kChineseStudy},
    {"windows-949", "ko short", &kKoreanShort},
    {"windows-949", "ko long", &kKoreanLong},
    {"windows-949", "ko extended", &kKoreanExtended},
    {"windows-950", "zh-TW short", &kTaiwaneseShort},
    {"windows-950", "zh-TW long", &kTaiwaneseLong},
    {"windows-950", "zh-TW study", &kTaiwaneseStudy},
    {"windows-1250", "pl short", &kPolishShort},
    {"windows-1250", "pl long", &kPolishLong},
    {"windows-1250", "cs", &kCzech},
    {"windows-1250", "hu", &kHungarian},
    {"windows-1250", "hr", &kCroatian},
    {"windows-1250", "sk", &kSlovak},
    {"windows-1251", "ru short", &kRussianShort},
    {"windows-1251", "ru long", &kRussianLong},
    {"windows-1251", "bg", &kBulgarian},
    {"windows-1251", "uk", &kUkrainian},
    {"windows-1251", "sr", &kSerbian},
    {"windows-1252", "de short", &kGermanShort},
    {"windows-1252", "de long", &kGermanLong},
    {"windows-1252", "fr", &kFrench},
    {"windows-1252", "fr capitals", &kFrenchCapitals},
    {"windows-1252", "es", &kSpanish},
    {"windows-1252", "pt long", &kPortugueseLong},
    {"windows-1252", "it", &kItalian},
    {"windows-1252", "da", &kDanish},
    {"ISO-8859-2", "pl short", &kPolishShort},
    {"ISO-8859-2", "pl long", &kPolishLong},
    {"ISO-8859-2", "cs", &kCzech},
    {"ISO-8859-2", "hu", &kHungarian},
    {"ISO-8859-2", "hr", &kCroatian},
    {"ISO-8859-2", "sk", &kSlovak},
    {"UTF-8", "ru long", &kRussianLong},
    {"UTF-8", "ja long", &kJapaneseLong},
    {"UTF-8", "de short", &kGermanShort},
    {"UTF-8", "pl short", &kPolishShort},
    {"UTF-8", "zh short", &kChineseShort},
};

} // namespace NameListCorpus
