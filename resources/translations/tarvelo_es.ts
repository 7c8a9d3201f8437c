<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: convertidor de vídeo a AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Archivos para convertir</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>El nombre, la duración y el tamaño de cada archivo; tras una conversión, si se ha convertido</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Nombre del archivo</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Tamaño del archivo</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Elegir archivos de vídeo para añadirlos a la lista</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>Añadir &amp;archivo...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Quitar de la lista los archivos seleccionados</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Quitar seleccionados</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Abrir la guía del usuario</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;yuda</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Carpeta de &amp;salida:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Carpeta de salida</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Los archivos convertidos se guardan en esta carpeta</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Elegir la carpeta de salida</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Examinar...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Tamaño mínimo</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Calidad</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Calidad máxima</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Apagar el equipo cuando termine la conversión</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>Apa&amp;gar el equipo al terminar la conversión</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Convertir los archivos de la lista en archivos AVI en la carpeta de salida</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Convertir archivo(s)</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Progreso de la conversión</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>No se pudo estimar la duración</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Convertido</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>No convertido</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Añadir archivo(s)</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Todos los archivos de vídeo (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Todos los archivos (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Archivos duplicados</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Los siguientes archivos ya están en la lista y no se añadirán:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>El archivo ya existe</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>El archivo %1 ya existe en la carpeta de salida.
¿Desea sobrescribirlo?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Sobrescribir</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorar</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>¡Se ha completado la conversión de los archivos seleccionados!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
No se pudieron convertir los siguientes archivos:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>¡Conversión completada!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Nueva conversión</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Salir</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 de %2, tamaño mínimo</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 de %2, calidad máxima</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 de %2, entre tamaño mínimo y calidad máxima</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Añadiendo archivos...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Añadiendo archivos</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Añadiendo el archivo %1 de %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Sonido: ninguno.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Sonido: idioma desconocido.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Sonido: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Subtítulos: ninguno</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Subtítulos: %1, en la imagen</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Subtítulos: en la imagen</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Subtítulos: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Subtítulos: %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Ajustado a %1 MB</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversión terminada</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Convertidos: %1. No convertidos: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Mostrar Tarvelo</translation>
    </message>
</context>
</TS>
