<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo: conversor de vídeo para AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Arquivos para converter</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>O nome, a duração e o tamanho de cada arquivo; após uma conversão, se ele foi convertido</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Nome do arquivo</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duração</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Tamanho do arquivo</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Escolher arquivos de vídeo para adicionar à lista</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Adicionar arquivo...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Remover da lista os arquivos selecionados</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Remover selecionados</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Abrir o guia do usuário</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>A&amp;juda</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Pasta de &amp;saída:</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Pasta de saída</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Os arquivos convertidos são salvos nesta pasta</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Escolher a pasta de saída</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Procurar...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Menor tamanho</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualidade</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Maior qualidade</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Desligar o computador quando a conversão terminar</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>&amp;Desligar o computador ao terminar a conversão</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Converter os arquivos da lista em arquivos AVI na pasta de saída</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Converter arquivo(s)</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Progresso da conversão</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Não foi possível estimar a duração</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Convertido</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Não convertido</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Adicionar arquivo(s)</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Todos os arquivos de vídeo (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Todos os arquivos (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Arquivos duplicados</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Os seguintes arquivos já estão na lista e não serão adicionados:</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>O arquivo já existe</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>Arquivo: %1 já existe na pasta de saída!
Deseja sobrescrevê-lo?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Sobrescrever</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorar</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>A conversão dos arquivos selecionados foi concluída!</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
Não foi possível converter os seguintes arquivos:
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Conversão concluída!</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Nova conversão</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Sair</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 de %2, menor tamanho</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 de %2, maior qualidade</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 de %2, entre menor tamanho e maior qualidade</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Adicionando arquivos...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Adicionando arquivos</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Adicionando arquivo %1 de %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Áudio: nenhum.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Áudio: idioma desconhecido.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Áudio: %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Legendas: nenhuma</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Legendas: %1, na imagem</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Legendas: na imagem</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Legendas: %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Legendas: %1</translation>
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
        <translation>Conversão concluída</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Convertidos: %1. Não convertidos: %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Mostrar Tarvelo</translation>
    </message>
</context>
</TS>
