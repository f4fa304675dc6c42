#pragma once

class QCoreApplication;

// Loads the application's texts for the user's language, English otherwise: the English file
// carries the plural forms of the texts that count ("1 item", "2 items").
class AppTranslator {
public:
    AppTranslator() = delete;

    static void install(QCoreApplication &app);
};
