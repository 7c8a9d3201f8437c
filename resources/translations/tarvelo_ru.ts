<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: конвертер видео в AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Файлы для конвертации</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>Имя, длительность и размер каждого файла; после конвертации — удалась ли она</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Имя файла</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Длительность</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Размер файла</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Выбрать видеофайлы для добавления в список</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Добавить файл...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Удалить выбранные файлы из списка</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Удалить выбранные</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Открыть руководство пользователя</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>&amp;Папка сохранения:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Папка сохранения</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Сконвертированные файлы сохраняются в этой папке</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Выбрать папку сохранения</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Обзор...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Наименьший размер</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Качество</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Наилучшее качество</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Выключить компьютер после завершения конвертации</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>&amp;Выключить компьютер после конвертации</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Конвертировать файлы из списка в файлы AVI в папке сохранения</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Конвертировать файлы</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Ход конвертации</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Не удалось определить длительность</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Сконвертирован</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Не сконвертирован</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Добавить файлы</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Все видеофайлы (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Все файлы (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Повторяющиеся файлы</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Следующие файлы уже есть в списке и не будут добавлены:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Файл существует</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>Файл: %1 уже есть в папке сохранения!
Перезаписать его?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Перезаписать</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Пропустить</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>Конвертация выбранных файлов завершена!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
Не удалось сконвертировать следующие файлы:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Конвертация завершена!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Новая конвертация</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 из %2, наименьший размер</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 из %2, наилучшее качество</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 из %2, между наименьшим размером и наилучшим качеством</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Добавление файлов...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Добавление файлов</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Добавление файла %1 из %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Звук: нет.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Звук: язык неизвестен.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Звук: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Субтитры: нет</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Субтитры: %1, в изображении</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Субтитры: в изображении</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Субтитры: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Субтитры: %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Подогнан под %1 МБ</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Конвертация завершена</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Сконвертировано: %1. Не сконвертировано: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Показать Tarvelo</translation>
    </message>
</context>
</TS>
