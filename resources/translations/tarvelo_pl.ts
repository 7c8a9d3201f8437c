<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: konwerter wideo do AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Pliki do konwersji</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>Nazwa, czas odtwarzania i rozmiar każdego pliku; po konwersji także to, czy plik został przekonwertowany</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Nazwa pliku</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Czas trwania</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Rozmiar pliku</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Wybierz pliki wideo, które mają zostać dodane do listy</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Dodaj plik wejściowy...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Usuń zaznaczone pliki z listy</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Usuń zaznaczone</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Otwórz podręcznik użytkownika</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Po&amp;moc</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Folder &amp;wyjściowy:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Folder wyjściowy</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Przekonwertowane pliki są zapisywane w tym folderze</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Wybierz folder wyjściowy</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Przeglądaj...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Najmniejszy rozmiar</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Jakość</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Najwyższa jakość</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Wyłącz komputer po zakończeniu konwersji</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>Wyłącz komputer po &amp;zakończeniu konwersji</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Przekonwertuj pliki z listy na pliki AVI w folderze wyjściowym</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Konwertuj pliki</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Postęp konwersji</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Nie udało się oszacować czasu trwania</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Przekonwertowano</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Nie przekonwertowano</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Dodaj pliki</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Wszystkie pliki wideo (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Wszystkie pliki (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Zduplikowane pliki</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Następujące pliki są już na liście i nie zostaną dodane:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Plik istnieje</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>Plik: %1 już istnieje w folderze wyjściowym!
Czy chcesz go zastąpić?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Zastąp</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Pomiń</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>Zakończono konwersję wybranych plików!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
Nie udało się przekonwertować następujących plików:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Konwersja zakończona!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Nowa konwersja</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Zakończ</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 z %2, najmniejszy rozmiar</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 z %2, najwyższa jakość</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 z %2, między najmniejszym rozmiarem a najwyższą jakością</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Dodawanie plików...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Anuluj</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Dodawanie plików</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Dodawanie pliku %1 z %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Dźwięk: brak.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Dźwięk: język nieznany.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Dźwięk: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Napisy: brak</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Napisy: %1, w obrazie</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Napisy: w obrazie</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Napisy: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Napisy: %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Dopasowano do %1 MB</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Konwersja zakończona</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Przekonwertowano: %1. Nie przekonwertowano: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Pokaż Tarvelo</translation>
    </message>
</context>
</TS>
