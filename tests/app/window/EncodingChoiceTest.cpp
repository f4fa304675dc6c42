#include "WindowTestKit.h"

#include "app/window/DocumentToolbar.h"
#include "app/window/EncodingChooser.h"
#include "encoding/EncodingUtil.h"
#include "settings/RememberedEncodings.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

const QString kName = QString::fromUtf8("Привет мир документ.txt");

// The index of the catalogue entry with the charset name.
int indexOf(const EncodingChooser &popup, const QString &name) {
    const QList<EncodingItem> items = EncodingChooser::chooserItems();
    for (int index = 0; index < items.size(); ++index) {
        if (items.at(index).name().compare(name, Qt::CaseInsensitive) == 0)
            return index;
    }
    ADD_FAILURE() << "no encoding " << name.toStdString() << " among " << popup.count();
    return 0;
}

// Chooses the entry as the user does.
void choose(EncodingChooser &popup, int index) {
    popup.setCurrentIndex(index);
    emit popup.activated(index);
    QCoreApplication::processEvents();
}

} // namespace

class EncodingChoiceTest : public WindowTest {
protected:
    // A zip whose one name is stored in windows-1251 without the UTF-8 flag.
    QString makeLegacyZip() {
        python(QString("import zipfile\n"
                       "class Legacy(zipfile.ZipInfo):\n"
                       "    def _encodeFilenameFlags(self):\n"
                       "        return self.filename.encode('cp1251'), self.flag_bits\n"
                       "with zipfile.ZipFile('legacy.zip', 'w') as z:\n"
                       "    z.writestr(Legacy('%1'), 'text')\n")
                   .arg(kName));
        return dir_.file("legacy.zip");
    }
};

TEST_F(EncodingChoiceTest, ChooserStartsWithAutomaticThenTheCatalogue) {
    auto window = openWindow();
    const EncodingChooser &popup = *window->toolbar().encodingPopup();
    ASSERT_GT(popup.count(), 10);
    EXPECT_EQ(EncodingChooser::chooserItems().first().name(), EncodingItem::kAutomaticName);
    EXPECT_EQ(popup.itemText(0), EncodingItem::automatic().localizedName());
    EXPECT_EQ(popup.count(), EncodingUtil::catalogueSorted().size() + 1);
}

TEST_F(EncodingChoiceTest, ChoosingRelistsAtOnceAndIsRememberedForTheArchive) {
    const QString archive = makeLegacyZip();
    auto window = openWindow(archive);
    EncodingChooser &popup = *window->toolbar().encodingPopup();
    ASSERT_TRUE(popup.isEnabled());
    EXPECT_EQ(popup.currentIndex(), 0) << "nothing remembered: Automatic";

    const int latin = indexOf(popup, "windows-1252");
    choose(popup, latin);
    ASSERT_EQ(topNames(*window).size(), 1);
    const QString latinName = topNames(*window).first();
    EXPECT_NE(latinName, kName);

    const int cyrillic = indexOf(popup, "windows-1251");
    choose(popup, cyrillic);
    EXPECT_EQ(topNames(*window), QStringList({kName}));
    EXPECT_EQ(RememberedEncodings::nameFor(archive),
              EncodingChooser::chooserItems().at(cyrillic).name());

    // Reopening selects the remembered entry and lists with it.
    auto reopened = openWindow(archive);
    EXPECT_EQ(reopened->toolbar().encodingPopup()->currentIndex(), cyrillic);
    EXPECT_EQ(topNames(*reopened), QStringList({kName}));
}

TEST_F(EncodingChoiceTest, ChoosingInAnEmptyWindowDoesNothing) {
    auto window = openWindow();
    EncodingChooser &popup = *window->toolbar().encodingPopup();
    EXPECT_FALSE(popup.isEnabled());
    window->changeEncoding(EncodingChooser::chooserItems().at(1));
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Kist", "Kist");
    EXPECT_FALSE(settings.contains(SettingsKeys::kSystemEncodingHistory));
    EXPECT_TRUE(topNames(*window).isEmpty());
}
