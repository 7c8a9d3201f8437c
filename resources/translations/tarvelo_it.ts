<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: convertitore di video in AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>File da convertire</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>Il nome, la durata e la dimensione di ogni file; dopo una conversione, se è stato convertito</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Nome file</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Durata</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Dimensione file</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Scegli i file video da aggiungere all&apos;elenco</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Aggiungi file...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Rimuovi dall&apos;elenco i file selezionati</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Rimuovi selezionati</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Apri la guida per l&apos;utente</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Guida</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Cartella di &amp;destinazione:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Cartella di destinazione</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>I file convertiti vengono salvati in questa cartella</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Scegli la cartella di destinazione</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Sfoglia...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Dimensione minima</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualità</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Qualità massima</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Spegni il computer al termine della conversione</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>S&amp;pegni il computer al termine della conversione</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Converti i file elencati in file AVI nella cartella di destinazione</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Converti file</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Avanzamento della conversione</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Impossibile stimare la durata</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Convertito</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Non convertito</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Aggiungi file</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Tutti i file video (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Tutti i file (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>File duplicati</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>I seguenti file sono già presenti nell&apos;elenco e non verranno aggiunti:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Il file esiste</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>File: %1 esiste già nella cartella di destinazione!
Vuoi sovrascriverlo?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Sovrascrivi</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignora</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>Conversione dei file selezionati completata!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
La conversione dei seguenti file non è riuscita:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Conversione completata!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Nuova conversione</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Esci</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 di %2, dimensione minima</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 di %2, qualità massima</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 di %2, tra dimensione minima e qualità massima</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Aggiunta dei file...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annulla</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Aggiunta dei file</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Aggiunta del file %1 di %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Audio: nessuno.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Audio: lingua sconosciuta.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Audio: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Sottotitoli: nessuno</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Sottotitoli: %1, nell’immagine</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Sottotitoli: nell’immagine</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Sottotitoli: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Sottotitoli: %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Adattato a %1 MB</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversione terminata</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Convertiti: %1. Non convertiti: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Mostra Tarvelo</translation>
    </message>
</context>
</TS>
