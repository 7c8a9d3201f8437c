<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name>MainWindow</name>
    <message>
        <source>MainWindow</source>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>Tarvelo: Video to AVI converter</source>
        <translation>Tarvelo : convertisseur de vidéos en AVI</translation>
    </message>
    <message>
        <source>Files to convert</source>
        <translation>Fichiers à convertir</translation>
    </message>
    <message>
        <source>The name, playing time and size of each file; after a conversion, whether it was converted</source>
        <translation>Le nom, la durée et la taille de chaque fichier ; après une conversion, s&apos;il a été converti</translation>
    </message>
    <message>
        <source>File Name</source>
        <translation>Nom du fichier</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Durée</translation>
    </message>
    <message>
        <source>File Size</source>
        <translation>Taille du fichier</translation>
    </message>
    <message>
        <source>Choose video files to add to the list</source>
        <translation>Choisir des fichiers vidéo à ajouter à la liste</translation>
    </message>
    <message>
        <source>&amp;Add Input File...</source>
        <translation>&amp;Ajouter un fichier...</translation>
    </message>
    <message>
        <source>Remove the selected files from the list</source>
        <translation>Retirer de la liste les fichiers sélectionnés</translation>
    </message>
    <message>
        <source>&amp;Remove Selected</source>
        <translation>&amp;Retirer la sélection</translation>
    </message>
    <message>
        <source>Open the user guide</source>
        <translation>Ouvrir le guide de l&apos;utilisateur</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>Ai&amp;de</translation>
    </message>
    <message>
        <source>&amp;Output Folder:</source>
        <translation>Dossier de &amp;sortie :</translation>
    </message>
    <message>
        <source>Output folder</source>
        <translation>Dossier de sortie</translation>
    </message>
    <message>
        <source>The converted files are saved in this folder</source>
        <translation>Les fichiers convertis sont enregistrés dans ce dossier</translation>
    </message>
    <message>
        <source>C:\Output_Dir\</source>
        <translation>C:\Output_Dir\</translation>
    </message>
    <message>
        <source>Choose the output folder</source>
        <translation>Choisir le dossier de sortie</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Parcourir...</translation>
    </message>
    <message>
        <source>Smallest Size</source>
        <translation>Taille minimale</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>Qualité</translation>
    </message>
    <message>
        <source>Highest Quality</source>
        <translation>Qualité maximale</translation>
    </message>
    <message>
        <source>Power the computer off when the conversion is finished</source>
        <translation>Éteindre l&apos;ordinateur lorsque la conversion est terminée</translation>
    </message>
    <message>
        <source>&amp;Shutdown Computer After Finishing Conversion</source>
        <translation>É&amp;teindre l&apos;ordinateur à la fin de la conversion</translation>
    </message>
    <message>
        <source>Convert the listed files into AVI files in the output folder</source>
        <translation>Convertir les fichiers de la liste en fichiers AVI dans le dossier de sortie</translation>
    </message>
    <message>
        <source>&amp;Convert File(s)</source>
        <translation>&amp;Convertir les fichiers</translation>
    </message>
    <message>
        <source>Conversion progress</source>
        <translation>Progression de la conversion</translation>
    </message>
    <message>
        <source>Couldn&apos;t estimate duration</source>
        <translation>Impossible d&apos;estimer la durée</translation>
    </message>
    <message>
        <source>Converted</source>
        <translation>Converti</translation>
    </message>
    <message>
        <source>Not converted</source>
        <translation>Non converti</translation>
    </message>
    <message>
        <source>Add File(s)</source>
        <translation>Ajouter des fichiers</translation>
    </message>
    <message>
        <source>All Video Files (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;All Files (*.*)</source>
        <translation>Tous les fichiers vidéo (*.3g2 *.3gp *.asf *.asx *.avi *.flv *.mov *.mp4 *.mpg *.rv *.rm *.rmvb *.vob *.wmv);;Tous les fichiers (*.*)</translation>
    </message>
    <message>
        <source>Duplicate Files</source>
        <translation>Fichiers en double</translation>
    </message>
    <message>
        <source>The folowing files already exist in the list and will not be added:</source>
        <translation>Les fichiers suivants figurent déjà dans la liste et ne seront pas ajoutés :</translation>
    </message>
    <message>
        <source>File Exists</source>
        <translation>Le fichier existe</translation>
    </message>
    <message>
        <source>File: %1 exists in the output directory!
Would you like to overwrite it?</source>
        <translation>Fichier : %1 existe déjà dans le dossier de sortie !
Voulez-vous le remplacer ?</translation>
    </message>
    <message>
        <source>Overwrite</source>
        <translation>Remplacer</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorer</translation>
    </message>
    <message>
        <source>Completed converting the selected files!</source>
        <translation>La conversion des fichiers sélectionnés est terminée !</translation>
    </message>
    <message>
        <source>
The following files failed to be converted:
</source>
        <translation>
Les fichiers suivants n&apos;ont pas pu être convertis :
</translation>
    </message>
    <message>
        <source>Conversion Completed!</source>
        <translation>Conversion terminée !</translation>
    </message>
    <message>
        <source>New Conversion</source>
        <translation>Nouvelle conversion</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Quitter</translation>
    </message>
    <message>
        <source>Tarvelo</source>
        <translation>Tarvelo</translation>
    </message>
    <message>
        <source>%1 of %2, Smallest Size</source>
        <translation>%1 sur %2, taille minimale</translation>
    </message>
    <message>
        <source>%1 of %2, Highest Quality</source>
        <translation>%1 sur %2, qualité maximale</translation>
    </message>
    <message>
        <source>%1 of %2, between Smallest Size and Highest Quality</source>
        <translation>%1 sur %2, entre taille minimale et qualité maximale</translation>
    </message>
    <message>
        <source>Adding files...</source>
        <translation>Ajout des fichiers...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Annuler</translation>
    </message>
    <message>
        <source>Adding files</source>
        <translation>Ajout des fichiers</translation>
    </message>
    <message>
        <source>Adding file %1 of %2</source>
        <translation>Ajout du fichier %1 sur %2</translation>
    </message>
    <message>
        <source>Sound: none.</source>
        <translation>Son : aucun.</translation>
    </message>
    <message>
        <source>Sound: language not known.</source>
        <translation>Son : langue inconnue.</translation>
    </message>
    <message>
        <source>Sound: %1.</source>
        <translation>Son : %1.</translation>
    </message>
    <message>
        <source>Subtitles: none</source>
        <translation>Sous-titres : aucun</translation>
    </message>
    <message>
        <source>Subtitles: %1, in the picture</source>
        <translation>Sous-titres : %1, dans l’image</translation>
    </message>
    <message>
        <source>Subtitles: in the picture</source>
        <translation>Sous-titres : dans l’image</translation>
    </message>
    <message>
        <source>Subtitles: %1, %2</source>
        <translation>Sous-titres : %1, %2</translation>
    </message>
    <message>
        <source>Subtitles: %1</source>
        <translation>Sous-titres : %1</translation>
    </message>
    <message>
        <source>Fitted to %1 MB</source>
        <translation>Ajusté à %1 Mo</translation>
    </message>
</context>
<context>
    <name>RunNotifier</name>
    <message>
        <source>Conversion finished</source>
        <translation>Conversion terminée</translation>
    </message>
    <message>
        <source>Converted: %1. Not converted: %2.</source>
        <translation>Convertis : %1. Non convertis : %2.</translation>
    </message>
    <message>
        <source>Show Tarvelo</source>
        <translation>Afficher Tarvelo</translation>
    </message>
</context>
</TS>
