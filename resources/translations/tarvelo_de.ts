<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: Video-zu-AVI-Konverter</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Zu konvertierende Dateien</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>Name, Spieldauer und Größe jeder Datei; nach einer Konvertierung, ob sie konvertiert wurde</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Dateiname</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Dauer</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Dateigröße</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Videodateien auswählen, die der Liste hinzugefügt werden</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Eingabedatei hinzufügen...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Die ausgewählten Dateien aus der Liste entfernen</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Auswahl entfernen</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Die Bedienungsanleitung öffnen</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Hilfe</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Ausgabe&amp;ordner:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Ausgabeordner</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Die konvertierten Dateien werden in diesem Ordner gespeichert</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Den Ausgabeordner auswählen</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Durchsuchen...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Kleinste Größe</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualität</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Höchste Qualität</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Den Computer ausschalten, wenn die Konvertierung beendet ist</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>&amp;Computer nach der Konvertierung herunterfahren</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Die aufgeführten Dateien in AVI-Dateien im Ausgabeordner konvertieren</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>Datei(en) &amp;konvertieren</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Fortschritt der Konvertierung</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Dauer konnte nicht ermittelt werden</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Konvertiert</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Nicht konvertiert</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Datei(en) hinzufügen</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Alle Videodateien (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Alle Dateien (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Doppelte Dateien</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Die folgenden Dateien sind bereits in der Liste und werden nicht hinzugefügt:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Datei vorhanden</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>Datei: %1 ist im Ausgabeordner bereits vorhanden!
Möchten Sie sie überschreiben?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Überschreiben</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorieren</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>Die Konvertierung der ausgewählten Dateien ist abgeschlossen!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
Die folgenden Dateien konnten nicht konvertiert werden:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Konvertierung abgeschlossen!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Neue Konvertierung</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 von %2, kleinste Größe</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 von %2, höchste Qualität</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 von %2, zwischen kleinster Größe und höchster Qualität</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Dateien werden hinzugefügt...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Dateien hinzufügen</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Datei %1 von %2 wird hinzugefügt</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Ton: keiner.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Ton: Sprache unbekannt.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Ton: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Untertitel: keine</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Untertitel: %1, im Bild</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Untertitel: im Bild</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Untertitel: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Untertitel: %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Angepasst an %1 MB</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Konvertierung abgeschlossen</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Konvertiert: %1. Nicht konvertiert: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Tarvelo anzeigen</translation>
    </message>
</context>
</TS>
