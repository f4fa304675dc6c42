#pragma once

class QCoreApplication;

// Loads the texts of kist and kist-cli for the system's language, English otherwise: the English
// file carries the plural forms of the texts that count ("1 item", "2 items").
class AppTranslator {
public:
    AppTranslator() = delete;

    static void install(QCoreApplication &app);
};
