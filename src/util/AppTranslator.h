#pragma once

class QCoreApplication;

// Loads the texts of kist and kist-cli for the system's language, English otherwise (the English
// file carries the plural forms of the texts that count: "1 item", "2 items"), and Qt's own texts
// for that language when Qt's translations are installed.
class AppTranslator {
public:
    AppTranslator() = delete;

    static void install(QCoreApplication &app);
};
