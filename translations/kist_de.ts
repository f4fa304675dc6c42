<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutDialog</name>
    <message>
        <source>GNU LGPL version 3</source>
        <translation>GNU LGPL Version 3</translation>
    </message>
    <message>
        <source>zlib License</source>
        <translation>zlib-Lizenz</translation>
    </message>
    <message>
        <source>bzip2 License (BSD-style)</source>
        <translation>bzip2-Lizenz (BSD-artig)</translation>
    </message>
    <message>
        <source>BSD 2-Clause License</source>
        <translation>BSD-Lizenz mit 2 Klauseln</translation>
    </message>
    <message>
        <source>Unicode License</source>
        <translation>Unicode-Lizenz</translation>
    </message>
    <message>
        <source>UnRAR License: free to use for reading RAR archives, not for re-creating the RAR compression algorithm</source>
        <translation>UnRAR-Lizenz: frei zum Lesen von RAR-Archiven, nicht zum Nachbau des RAR-Kompressionsverfahrens</translation>
    </message>
    <message>
        <source>MIT License</source>
        <translation>MIT-Lizenz</translation>
    </message>
    <message>
        <source>BSD 3-Clause License</source>
        <translation>BSD-Lizenz mit 3 Klauseln</translation>
    </message>
</context>
<context>
    <name>ArchiveDocument</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Please input the password to extract file</source>
        <translation>Bitte das Passwort zum Entpacken eingeben</translation>
    </message>
    <message>
        <source>Some items were left out</source>
        <translation>Einige Objekte wurden ausgelassen</translation>
    </message>
    <message>
        <source>Compressing</source>
        <translation>Komprimieren</translation>
    </message>
    <message>
        <source>Left out, cannot be read: %1</source>
        <translation>Ausgelassen, nicht lesbar: %1</translation>
    </message>
    <message>
        <source>Extracting</source>
        <translation>Entpacken</translation>
    </message>
    <message>
        <source>You cannot write into this folder. Choose another folder.</source>
        <translation>In diesen Ordner kann nicht geschrieben werden. Wählen Sie einen anderen Ordner.</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>Print errors (and list&apos;s listing) as JSON.</source>
        <translation>Fehler (und die Auflistung von list) als JSON ausgeben.</translation>
    </message>
    <message>
        <source>usage: %1</source>
        <translation>Aufruf: %1</translation>
    </message>
    <message>
        <source>The archive to list.</source>
        <translation>Das aufzulistende Archiv.</translation>
    </message>
    <message>
        <source>Folder that receives the result (default: the archive&apos;s folder).</source>
        <translation>Ordner, der das Ergebnis aufnimmt (Vorgabe: der Ordner des Archivs).</translation>
    </message>
    <message>
        <source>The archive to extract.</source>
        <translation>Das zu entpackende Archiv.</translation>
    </message>
    <message>
        <source>Entries to extract, as list prints them (default: all).</source>
        <translation>Zu entpackende Einträge, wie list sie ausgibt (Vorgabe: alle).</translation>
    </message>
    <message>
        <source>%1: no entry %2</source>
        <translation>%1: kein Eintrag %2</translation>
    </message>
    <message>
        <source>%1: cannot write into this folder</source>
        <translation>%1: in diesen Ordner kann nicht geschrieben werden</translation>
    </message>
    <message>
        <source>%1: the archive holds nothing to extract</source>
        <translation>%1: das Archiv enthält nichts zum Entpacken</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>Warnung: %1</translation>
    </message>
    <message>
        <source>The archive to test.</source>
        <translation>Das zu prüfende Archiv.</translation>
    </message>
    <message>
        <source>Folder that receives the archive (default: the first item&apos;s folder).</source>
        <translation>Ordner, der das Archiv aufnimmt (Vorgabe: der Ordner des ersten Objekts).</translation>
    </message>
    <message>
        <source>Leave out hidden items inside folders.</source>
        <translation>Versteckte Objekte in Ordnern auslassen.</translation>
    </message>
    <message>
        <source>Files and folders to put in the archive.</source>
        <translation>Dateien und Ordner, die ins Archiv kommen.</translation>
    </message>
    <message>
        <source>%1: no such file or folder</source>
        <translation>%1: keine solche Datei und kein solcher Ordner</translation>
    </message>
    <message>
        <source>--name: &quot;%1&quot; is not a file name</source>
        <translation>--name: „%1“ ist kein Dateiname</translation>
    </message>
    <message>
        <source>%1: left out, cannot be read: %2</source>
        <translation>%1: ausgelassen, nicht lesbar: %2</translation>
    </message>
    <message>
        <source>Password of an encrypted archive (or set KIST_PASSWORD).</source>
        <translation>Passwort eines verschlüsselten Archivs (oder KIST_PASSWORD setzen).</translation>
    </message>
    <message>
        <source>Encoding of entry names: an IANA name, or &quot;auto&quot; to detect (default: the remembered choice, else detection).</source>
        <translation>Kodierung der Eintragsnamen: ein IANA-Name oder „auto“ zum Erkennen (Vorgabe: die gemerkte Wahl, sonst Erkennung).</translation>
    </message>
    <message>
        <source>unknown encoding: %1</source>
        <translation>unbekannte Kodierung: %1</translation>
    </message>
    <message>
        <source>wrong password</source>
        <translation>falsches Passwort</translation>
    </message>
    <message>
        <source>a password is needed</source>
        <translation>ein Passwort wird benötigt</translation>
    </message>
    <message>
        <source>%1: a password is needed</source>
        <translation>%1: ein Passwort wird benötigt</translation>
    </message>
    <message>
        <source>Password for %1: </source>
        <translation>Passwort für %1: </translation>
    </message>
    <message>
        <source>Name of the archive, its extension optional (default: the first item&apos;s name). Without --format, a writable format&apos;s extension chooses it.</source>
        <translation>Name des Archivs, Endung wahlweise (Vorgabe: der Name des ersten Objekts). Ohne --format wählt die Endung eines schreibbaren Formats das Format.</translation>
    </message>
    <message>
        <source>The archive&apos;s format: %1 (default: zip).</source>
        <translation>Das Format des Archivs: %1 (Vorgabe: zip).</translation>
    </message>
    <message>
        <source>--format: &quot;%1&quot; is none of %2</source>
        <translation>--format: „%1“ ist keines von %2</translation>
    </message>
    <message>
        <source>%1: no such file or folder (to name the archive, use --name %1)</source>
        <translation>%1: Datei oder Ordner nicht gefunden (um das Archiv zu benennen, --name %1 verwenden)</translation>
    </message>
    <message>
        <source>usage: kist-cli &lt;command&gt; [options] ...

Commands:
  list     List the entries of an archive.
  extract  Extract an archive, or some of its entries, under a free name.
  create   Write files and folders into a new zip, tar or 7z under a free name.
  test     Check that every entry of an archive extracts intact.

kist-cli &lt;command&gt; --help describes a command.
</source>
        <translation>Aufruf: kist-cli &lt;Befehl&gt; [Optionen] ...

Befehle:
  list     Die Einträge eines Archivs auflisten.
  extract  Ein Archiv oder einige seiner Einträge unter einem freien Namen entpacken.
  create   Dateien und Ordner unter einem freien Namen in ein neues Zip-, Tar- oder 7z-Archiv schreiben.
  test     Prüfen, dass sich jeder Eintrag eines Archivs unversehrt entpacken lässt.

kist-cli &lt;Befehl&gt; --help beschreibt einen Befehl.
</translation>
    </message>
</context>
<context>
    <name>DocumentCommands</name>
    <message>
        <source>New Window</source>
        <translation>Neues Fenster</translation>
    </message>
    <message>
        <source>Open an empty window</source>
        <translation>Ein leeres Fenster öffnen</translation>
    </message>
    <message>
        <source>Open…</source>
        <translation>Öffnen …</translation>
    </message>
    <message>
        <source>Open an archive</source>
        <translation>Ein Archiv öffnen</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Close this window</source>
        <translation>Dieses Fenster schließen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Close every window and quit</source>
        <translation>Alle Fenster schließen und beenden</translation>
    </message>
    <message>
        <source>Extract</source>
        <translation>Entpacken</translation>
    </message>
    <message>
        <source>Extract the archive into its folder</source>
        <translation>Das Archiv in seinen Ordner entpacken</translation>
    </message>
    <message>
        <source>Extract As…</source>
        <translation>Entpacken als …</translation>
    </message>
    <message>
        <source>Extract the archive into a folder you choose</source>
        <translation>Das Archiv in einen gewählten Ordner entpacken</translation>
    </message>
    <message>
        <source>Extract Selected</source>
        <translation>Auswahl entpacken</translation>
    </message>
    <message>
        <source>Extract the selected entries into the archive&apos;s folder</source>
        <translation>Die gewählten Einträge in den Ordner des Archivs entpacken</translation>
    </message>
    <message>
        <source>Extract Selected As…</source>
        <translation>Auswahl entpacken als …</translation>
    </message>
    <message>
        <source>Extract the selected entries into a folder you choose</source>
        <translation>Die gewählten Einträge in einen gewählten Ordner entpacken</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Ansehen</translation>
    </message>
    <message>
        <source>Open the selected entry in its application</source>
        <translation>Den gewählten Eintrag in seinem Programm öffnen</translation>
    </message>
    <message>
        <source>Show in Folder</source>
        <translation>Im Ordner zeigen</translation>
    </message>
    <message>
        <source>Show the archive or the selected item in the file manager</source>
        <translation>Das Archiv oder das gewählte Objekt in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Open Archive&apos;s Folder</source>
        <translation>Ordner des Archivs öffnen</translation>
    </message>
    <message>
        <source>Open the folder that holds the archive or the items</source>
        <translation>Den Ordner öffnen, der das Archiv oder die Objekte enthält</translation>
    </message>
    <message>
        <source>Add…</source>
        <translation>Hinzufügen …</translation>
    </message>
    <message>
        <source>Add files and folders to compress</source>
        <translation>Zu komprimierende Dateien und Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Take the selected items off the list</source>
        <translation>Die gewählten Objekte aus der Liste nehmen</translation>
    </message>
    <message>
        <source>Zip</source>
        <translation>Zippen</translation>
    </message>
    <message>
        <source>Compress the items into a zip beside them</source>
        <translation>Die Objekte in ein Zip daneben komprimieren</translation>
    </message>
    <message>
        <source>Preferences…</source>
        <translation>Einstellungen …</translation>
    </message>
    <message>
        <source>Change Kist&apos;s settings</source>
        <translation>Die Einstellungen von Kist ändern</translation>
    </message>
    <message>
        <source>About Kist</source>
        <translation>Über Kist</translation>
    </message>
    <message>
        <source>Kist&apos;s version and the libraries it uses</source>
        <translation>Die Version von Kist und die verwendeten Bibliotheken</translation>
    </message>
    <message>
        <source>Compress As…</source>
        <translation>Komprimieren als …</translation>
    </message>
    <message>
        <source>Compress the items into a zip, tar or 7z archive you name</source>
        <translation>Die Objekte in ein zip-, tar- oder 7z-Archiv mit selbst gewähltem Namen komprimieren</translation>
    </message>
</context>
<context>
    <name>DocumentMenuBar</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Open Recent</source>
        <translation>Zuletzt geöffnet</translation>
    </message>
    <message>
        <source>&amp;Archive</source>
        <translation>&amp;Archiv</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Bearbeiten</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>No Recent Archives</source>
        <translation>Keine zuletzt geöffneten Archive</translation>
    </message>
    <message>
        <source>Clear Menu</source>
        <translation>Menü leeren</translation>
    </message>
</context>
<context>
    <name>DocumentToolbar</name>
    <message>
        <source>Commands</source>
        <translation>Befehle</translation>
    </message>
    <message>
        <source>Encoding: %1</source>
        <translation>Kodierung: %1</translation>
    </message>
</context>
<context>
    <name>DocumentWindow</name>
    <message>
        <source>Untitled</source>
        <translation>Unbenannt</translation>
    </message>
</context>
<context>
    <name>EncodingMenu</name>
    <message>
        <source>Encoding</source>
        <translation>Kodierung</translation>
    </message>
    <message>
        <source>The encoding of the archive&apos;s names</source>
        <translation>Die Kodierung der Namen im Archiv</translation>
    </message>
    <message>
        <source>More Encodings</source>
        <translation>Weitere Kodierungen</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <comment>automatic (detected)</comment>
        <translation>%1 (%2)</translation>
    </message>
</context>
<context>
    <name>Engine</name>
    <message>
        <source>Bytes</source>
        <translation>Byte</translation>
    </message>
    <message>
        <source>Failed to open archive file</source>
        <translation>Die Archivdatei konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Failed to open first file in archive file</source>
        <translation>Die erste Datei im Archiv konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Parameter error</source>
        <translation>Parameterfehler</translation>
    </message>
    <message>
        <source>Archive issues</source>
        <translation>Probleme mit dem Archiv</translation>
    </message>
    <message>
        <source>Failed to create file</source>
        <translation>Datei konnte nicht angelegt werden:</translation>
    </message>
    <message>
        <source>Wrong password for %1</source>
        <translation>Falsches Passwort für %1</translation>
    </message>
    <message>
        <source>A password is needed for %1</source>
        <translation>Für %1 wird ein Passwort benötigt</translation>
    </message>
    <message>
        <source>%1 is damaged: its data does not match its checksum</source>
        <translation>%1 ist beschädigt: die Daten passen nicht zur Prüfsumme</translation>
    </message>
    <message>
        <source>Compression method %1 is not supported</source>
        <translation>Die Kompressionsmethode %1 wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Volume %1 of the archive is missing</source>
        <translation>Teil %1 des Archivs fehlt</translation>
    </message>
    <message>
        <source>The archive is encrypted, which is not supported</source>
        <translation>Das Archiv ist verschlüsselt; das wird nicht unterstützt</translation>
    </message>
    <message>
        <source>Not enough space on the disk to write %1</source>
        <translation>Nicht genug Platz auf dem Datenträger, um %1 zu schreiben</translation>
    </message>
    <message>
        <source>Permission denied writing %1</source>
        <translation>Keine Berechtigung, %1 zu schreiben</translation>
    </message>
    <message>
        <source>The name of %1 is too long for the disk</source>
        <translation>Der Name von %1 ist zu lang für den Datenträger</translation>
    </message>
    <message>
        <source>%1 is not an archive Kist can read</source>
        <translation>%1 ist kein Archiv, das Kist lesen kann</translation>
    </message>
    <message>
        <source>The archive is cut short</source>
        <translation>Das Archiv ist unvollständig</translation>
    </message>
    <message>
        <source>Split zip archives are not supported; join them with zip -s 0 first</source>
        <translation>Geteilte Zip-Archive werden nicht unterstützt; fügen Sie sie zuerst mit zip -s 0 zusammen</translation>
    </message>
    <message>
        <source>The operation is canceled</source>
        <translation>Der Vorgang wurde abgebrochen</translation>
    </message>
    <message>
        <source>Link %1 was left out: it points outside the extracted folder</source>
        <translation>Verknüpfung %1 wurde ausgelassen: sie zeigt aus dem entpackten Ordner hinaus</translation>
    </message>
    <message>
        <source>%1 was left out: devices and pipes are never extracted</source>
        <translation>%1 wurde ausgelassen: Geräte und Pipes werden nie entpackt</translation>
    </message>
    <message>
        <source>Link %1 was left out: its target is encrypted in a way Kist cannot read</source>
        <translation>Verknüpfung %1 wurde ausgelassen: ihr Ziel ist so verschlüsselt, dass Kist es nicht lesen kann</translation>
    </message>
    <message>
        <source>%1 was left out: its name is too long for the disk</source>
        <translation>%1 wurde ausgelassen: der Name ist zu lang für den Datenträger</translation>
    </message>
    <message>
        <source>could not extract files from 7z archive</source>
        <translation>Dateien aus dem 7z-Archiv konnten nicht entpackt werden</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Automatisch</translation>
    </message>
    <message>
        <source>Can&apos;t open &apos;%1&apos;</source>
        <translation>„%1“ kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>Error in writing &apos;%1&apos; in the zipfile</source>
        <translation>Fehler beim Schreiben von „%1“ in die Zip-Datei</translation>
    </message>
    <message>
        <source>Error in closing &apos;%1&apos; in the zipfile</source>
        <translation>Fehler beim Abschließen von „%1“ in der Zip-Datei</translation>
    </message>
    <message>
        <source>Error in reading &apos;%1&apos;</source>
        <translation>Fehler beim Lesen von „%1“</translation>
    </message>
    <message>
        <source>Error in opening &apos;%1&apos; in zipfile</source>
        <translation>Fehler beim Öffnen von „%1“ in der Zip-Datei</translation>
    </message>
    <message>
        <source>%1: cannot write into this folder</source>
        <translation>%1: in diesen Ordner kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>EntryBrowserModel</name>
    <message>
        <source>%1 (encrypted)</source>
        <translation>%1 (verschlüsselt)</translation>
    </message>
</context>
<context>
    <name>FileAndFolderChooser</name>
    <message>
        <source>Add files and folders to compress</source>
        <translation>Zu komprimierende Dateien und Ordner hinzufügen</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
</context>
<context>
    <name>ListingIndicator</name>
    <message>
        <source>Stop</source>
        <translation>Anhalten</translation>
    </message>
    <message>
        <source>Stop reading the archive</source>
        <translation>Das Lesen des Archivs anhalten</translation>
    </message>
</context>
<context>
    <name>PreferencesWindow</name>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Automatic extract the file archive</source>
        <translation>Geöffnete Archive automatisch entpacken</translation>
    </message>
    <message>
        <source>Close the window after extracting files</source>
        <translation>Das Fenster nach dem Entpacken schließen</translation>
    </message>
    <message>
        <source>After closing the last window, exit the application</source>
        <translation>Nach dem Schließen des letzten Fensters das Programm beenden</translation>
    </message>
    <message>
        <source>The archive to ignore hidden files</source>
        <translation>Versteckte Dateien beim Komprimieren auslassen</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
</context>
<context>
    <name>PreviewView</name>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Größe</translation>
    </message>
    <message>
        <source>Created</source>
        <translation>Erstellt</translation>
    </message>
    <message>
        <source>Stored Size</source>
        <translation>Gespeicherte Größe</translation>
    </message>
    <message>
        <source>Modified</source>
        <translation>Geändert</translation>
    </message>
</context>
<context>
    <name>ProgressController</name>
    <message>
        <source>Loading...</source>
        <translation>Wird geladen …</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>QtDialogs</name>
    <message>
        <source>Choose</source>
        <translation>Auswählen</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Bestätigen</translation>
    </message>
    <message>
        <source>Archives (%1)</source>
        <translation>Archive (%1)</translation>
    </message>
    <message>
        <source>Open the archive file</source>
        <translation>Die Archivdatei öffnen</translation>
    </message>
    <message>
        <source>Compress As</source>
        <translation>Komprimieren als</translation>
    </message>
    <message>
        <source>%1 archive (*.%2)</source>
        <translation>%1-Archiv (*.%2)</translation>
    </message>
</context>
<context>
    <name>StatusLine</name>
    <message numerus="yes">
        <source>%n item(s)</source>
        <translation>
            <numerusform>%n Objekt</numerusform>
            <numerusform>%n Objekte</numerusform>
        </translation>
    </message>
    <message>
        <source>Loading… %1</source>
        <translation>Wird geladen … %1</translation>
    </message>
    <message>
        <source>Loading…</source>
        <translation>Wird geladen …</translation>
    </message>
    <message numerus="yes">
        <source>Reading… %n item(s)</source>
        <translation>
            <numerusform>Wird gelesen … %n Objekt</numerusform>
            <numerusform>Wird gelesen … %n Objekte</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StringEncodings</name>
    <message>
        <source>Unicode (UTF-8)</source>
        <translation>Unicode (UTF-8)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16)</source>
        <translation>Unicode (UTF-16)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16BE)</source>
        <translation>Unicode (UTF-16BE)</translation>
    </message>
    <message>
        <source>Unicode (UTF-16LE)</source>
        <translation>Unicode (UTF-16LE)</translation>
    </message>
    <message>
        <source>Unicode (UTF-32)</source>
        <translation>Unicode (UTF-32)</translation>
    </message>
    <message>
        <source>Unicode (UTF-32BE)</source>
        <translation>Unicode (UTF-32BE)</translation>
    </message>
    <message>
        <source>Unicode (UTF-32LE)</source>
        <translation>Unicode (UTF-32LE)</translation>
    </message>
    <message>
        <source>Unicode (UTF-7)</source>
        <translation>Unicode (UTF-7)</translation>
    </message>
    <message>
        <source>Western (ASCII)</source>
        <translation>Westeuropäisch (ASCII)</translation>
    </message>
    <message>
        <source>Western (ISO Latin 1)</source>
        <translation>Westeuropäisch (ISO Latin 1)</translation>
    </message>
    <message>
        <source>Central European (ISO Latin 2)</source>
        <translation>Mitteleuropäisch (ISO Latin 2)</translation>
    </message>
    <message>
        <source>Western (ISO Latin 3)</source>
        <translation>Westeuropäisch (ISO Latin 3)</translation>
    </message>
    <message>
        <source>Central European (ISO Latin 4)</source>
        <translation>Mitteleuropäisch (ISO Latin 4)</translation>
    </message>
    <message>
        <source>Cyrillic (ISO 8859-5)</source>
        <translation>Kyrillisch (ISO 8859-5)</translation>
    </message>
    <message>
        <source>Arabic (ISO 8859-6)</source>
        <translation>Arabisch (ISO 8859-6)</translation>
    </message>
    <message>
        <source>Greek (ISO 8859-7)</source>
        <translation>Griechisch (ISO 8859-7)</translation>
    </message>
    <message>
        <source>Hebrew (ISO 8859-8)</source>
        <translation>Hebräisch (ISO 8859-8)</translation>
    </message>
    <message>
        <source>Turkish (ISO Latin 5)</source>
        <translation>Türkisch (ISO Latin 5)</translation>
    </message>
    <message>
        <source>Nordic (ISO Latin 6)</source>
        <translation>Nordisch (ISO Latin 6)</translation>
    </message>
    <message>
        <source>Baltic (ISO Latin 7)</source>
        <translation>Baltisch (ISO Latin 7)</translation>
    </message>
    <message>
        <source>Celtic (ISO Latin 8)</source>
        <translation>Keltisch (ISO Latin 8)</translation>
    </message>
    <message>
        <source>Western (ISO Latin 9)</source>
        <translation>Westeuropäisch (ISO Latin 9)</translation>
    </message>
    <message>
        <source>Central European (Windows Latin 2)</source>
        <translation>Mitteleuropäisch (Windows Latin 2)</translation>
    </message>
    <message>
        <source>Cyrillic (Windows)</source>
        <translation>Kyrillisch (Windows)</translation>
    </message>
    <message>
        <source>Western (Windows Latin 1)</source>
        <translation>Westeuropäisch (Windows Latin 1)</translation>
    </message>
    <message>
        <source>Greek (Windows)</source>
        <translation>Griechisch (Windows)</translation>
    </message>
    <message>
        <source>Turkish (Windows Latin 5)</source>
        <translation>Türkisch (Windows Latin 5)</translation>
    </message>
    <message>
        <source>Hebrew (Windows)</source>
        <translation>Hebräisch (Windows)</translation>
    </message>
    <message>
        <source>Arabic (Windows)</source>
        <translation>Arabisch (Windows)</translation>
    </message>
    <message>
        <source>Baltic (Windows)</source>
        <translation>Baltisch (Windows)</translation>
    </message>
    <message>
        <source>Vietnamese (Windows)</source>
        <translation>Vietnamesisch (Windows)</translation>
    </message>
    <message>
        <source>Cyrillic (KOI8-R)</source>
        <translation>Kyrillisch (KOI8-R)</translation>
    </message>
    <message>
        <source>Ukrainian (KOI8-U)</source>
        <translation>Ukrainisch (KOI8-U)</translation>
    </message>
    <message>
        <source>Western (Mac OS Roman)</source>
        <translation>Westeuropäisch (Mac OS Roman)</translation>
    </message>
    <message>
        <source>Latin-US (DOS)</source>
        <translation>Lateinisch-US (DOS)</translation>
    </message>
    <message>
        <source>Baltic (DOS)</source>
        <translation>Baltisch (DOS)</translation>
    </message>
    <message>
        <source>Western (DOS Latin 1)</source>
        <translation>Westeuropäisch (DOS Latin 1)</translation>
    </message>
    <message>
        <source>Central European (DOS Latin 2)</source>
        <translation>Mitteleuropäisch (DOS Latin 2)</translation>
    </message>
    <message>
        <source>Cyrillic (DOS 855)</source>
        <translation>Kyrillisch (DOS 855)</translation>
    </message>
    <message>
        <source>Turkish (DOS)</source>
        <translation>Türkisch (DOS)</translation>
    </message>
    <message>
        <source>Portuguese (DOS)</source>
        <translation>Portugiesisch (DOS)</translation>
    </message>
    <message>
        <source>Icelandic (DOS)</source>
        <translation>Isländisch (DOS)</translation>
    </message>
    <message>
        <source>Hebrew (DOS)</source>
        <translation>Hebräisch (DOS)</translation>
    </message>
    <message>
        <source>Canadian French (DOS)</source>
        <translation>Kanadisches Französisch (DOS)</translation>
    </message>
    <message>
        <source>Arabic (DOS)</source>
        <translation>Arabisch (DOS)</translation>
    </message>
    <message>
        <source>Nordic (DOS)</source>
        <translation>Nordisch (DOS)</translation>
    </message>
    <message>
        <source>Cyrillic (DOS)</source>
        <translation>Kyrillisch (DOS)</translation>
    </message>
    <message>
        <source>Greek (DOS)</source>
        <translation>Griechisch (DOS)</translation>
    </message>
    <message>
        <source>Japanese (Shift JIS)</source>
        <translation>Japanisch (Shift JIS)</translation>
    </message>
    <message>
        <source>Japanese (EUC)</source>
        <translation>Japanisch (EUC)</translation>
    </message>
    <message>
        <source>Japanese (ISO 2022-JP)</source>
        <translation>Japanisch (ISO 2022-JP)</translation>
    </message>
    <message>
        <source>Japanese (ISO 2022-JP-2)</source>
        <translation>Japanisch (ISO 2022-JP-2)</translation>
    </message>
    <message>
        <source>Chinese (GB 18030)</source>
        <translation>Chinesisch (GB 18030)</translation>
    </message>
    <message>
        <source>Chinese (GBK)</source>
        <translation>Chinesisch (GBK)</translation>
    </message>
    <message>
        <source>Simplified Chinese (GB 2312)</source>
        <translation>Vereinfachtes Chinesisch (GB 2312)</translation>
    </message>
    <message>
        <source>Simplified Chinese (HZ GB 2312)</source>
        <translation>Vereinfachtes Chinesisch (HZ GB 2312)</translation>
    </message>
    <message>
        <source>Simplified Chinese (ISO 2022-CN)</source>
        <translation>Vereinfachtes Chinesisch (ISO 2022-CN)</translation>
    </message>
    <message>
        <source>Traditional Chinese (Big 5)</source>
        <translation>Traditionelles Chinesisch (Big 5)</translation>
    </message>
    <message>
        <source>Traditional Chinese (Big 5 HKSCS)</source>
        <translation>Traditionelles Chinesisch (Big 5 HKSCS)</translation>
    </message>
    <message>
        <source>Korean (EUC)</source>
        <translation>Koreanisch (EUC)</translation>
    </message>
    <message>
        <source>Korean (ISO 2022-KR)</source>
        <translation>Koreanisch (ISO 2022-KR)</translation>
    </message>
    <message>
        <source>Thai (TIS 620)</source>
        <translation>Thailändisch (TIS 620)</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Opens archives, each in a window of its own.</source>
        <translation>Öffnet Archive, jedes in einem eigenen Fenster.</translation>
    </message>
    <message>
        <source>The archives to open.</source>
        <translation>Die zu öffnenden Archive.</translation>
    </message>
</context>
</TS>
