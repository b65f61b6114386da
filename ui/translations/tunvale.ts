<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" sourcelanguage="en">
<context>
    <name>FolderTexts</name>
    <message>
        <source>the disk is read-only</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (organized)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read-only disk</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be written</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cannot be created</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Same as the source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Inside the source</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Will be created</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; does not exist.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; is a file, not a folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; cannot be read: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing can be written into &quot;%1&quot;: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be created: &quot;%2&quot; is a file, not a folder.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&quot;%1&quot; cannot be created: nothing can be written into &quot;%2&quot;: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The destination folder is the source folder &quot;%1&quot;: the copies would be put among the files they are made from, and every later run would copy them again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The destination folder &quot;%1&quot; is inside the source folder &quot;%2&quot;: a later run from this source into another folder would copy these copies again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Organize into it anyway?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>WorkProgressText</name>
    <message>
        <source>less than a minute left</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>about %n minute(s) left</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>about %n hour(s) left</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Loading… %p%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Placing… %p%</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::AboutDialog</name>
    <message>
        <source>Copyright (C) %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Tunvale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 Version %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E.mail: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorts audio files into folders by their tags.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Converts to MP3 with LAME %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Licence: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Website: %1</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::AccountModel</name>
    <message>
        <source>Skipped: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>What happened</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reason</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::AccountWindow</name>
    <message>
        <source>Files skipped and not placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Files skipped or not placed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::EngineTexts</name>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Aborting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PLease Wait...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Loading: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Copying: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BE PATIENT! Converting to mp3: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not Copy: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not convert %1 to mp3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not Modify Tags for File %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Wait until current file has been processed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Being obliged to kill the process...!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: Nothing done!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: on %2 file, %3 is copied in %4 folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: on %2 files, %3 are copied in %4 folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: on %2 files, %3 are copied in %4 folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: on %2 files, %3 is copied in %4 folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: on %2 files, %3 is copied in %4 folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please define a valid Source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Please define a valid Destination folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry, the source Folder doesn&apos;t exist!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry, found no audio files that could be sorted!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not create directory &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create head destination directory &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; cannot be found</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; path cannot be used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Access Denied for copying file &quot;%1&quot; to &quot;%2&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not create directory &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not copy file &quot;%1&quot; to &quot;%2&quot;: Error %3 (%4). The file was not copied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not copy file &quot;%1&quot; to &quot;%2&quot;: Error %3 (%4). The file was not converted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not copy file &quot;%1&quot; to &quot;%2&quot;: Error %3. The file was not copied.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not copy file &quot;%1&quot; to &quot;%2&quot;: Error %3. The file was not converted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. Could not copy file &quot;%1&quot; to &quot;%2&quot;: Error %3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. The file &quot;%1&quot; was copied to &quot;%2&quot;, but its tags could not be written: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. The file &quot;%1&quot; was converted to &quot;%2&quot;, but its tags could not be written: %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. The file &quot;%1&quot; was copied to &quot;%2&quot;, but its tags could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. The file &quot;%1&quot; was converted to &quot;%2&quot;, but its tags could not be written.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sorry. The run stopped: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File exists</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File name too long</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File too large</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Input/output error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No space left on device</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file name is not valid</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many levels of symbolic links</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Too many open files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing to cancel!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main Directory removed...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files deleted in %2 directories removed...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files deleted...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::FolderPicker</name>
    <message>
        <source>The source folder is chosen in the list of folders</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Type a folder name here; a folder that does not exist yet is created by Organize</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::ManualWindow</name>
    <message>
        <source>Tunvale Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The manual is not part of this build.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::PlanModel</name>
    <message>
        <source>convert</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>replaces a file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>numbered</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>new folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder and new name</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Marks</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::PreviewWindow</name>
    <message>
        <source>Preview of the run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing has been written yet. This is what Organize would do:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the destination folder %1 would be created.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Planned folders and files</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>&amp;Plan (%n file(s))</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>Files skipped or not placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>&amp;Skipped (%n)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message>
        <source>&amp;Organize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Run the organize this preview shows</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Close</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No file would be copied</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) would be copied</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>into %n new folder(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>into %n existing folder(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>into %n folder(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n of them new</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n converted to MP3</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n skipped</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n could not be placed</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
</context>
<context>
    <name>tunvale::ui::TunvaleApp</name>
    <message>
        <source>REGISTER ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not Write to Windows Register Data Base</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CONFIGURATION ERROR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Could not write the configuration file &quot;%1&quot;.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tunvale goes on, but cannot keep its options: what you change now is kept until it closes.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>tunvale::ui::TunvaleDialog</name>
    <message>
        <source>Mp&amp;3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the MP3 files of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Flac</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the FLAC files of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Wav</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the WAV files of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Aiff</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the AIFF files of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Group &amp;isolated files in a &quot;Miscellaneous&quot; folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A file that would be alone in its folder goes to the &quot;Miscellaneous&quot; folder instead (never when organizing by year)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Acc&amp;ept similitudes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Names that differ only slightly, such as &quot;Beatles&quot; and &quot;The Beatles&quot;, share one folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;place existing files (otherwise create another iteration)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A file of the same name in the destination is replaced; otherwise the copy gets a number such as &quot;(1)&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use the File Name to fill the -MISSING- &amp;Title and Artist tags</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A file without a Title or Artist tag gets them from its file name, such as &quot;Artist - Title&quot;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Use the Meta Data Tags to create &amp;new File Names</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The copies are named from their tags: track number, artist, composer and title</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add the Artist in head of the Trac&amp;k Title ( when not already present )</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The title of each copy starts with its artist, unless the title holds it already</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Add the Co&amp;mposer to the Track Title ( when not already present )</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The composer is added to the title of each copy, unless the title holds it already</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Update the Track Numbers inside each folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The copies of each folder are numbered again from 1 in their sorted order</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Increment step = 1&amp;0 for spacing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Track numbers go 10, 20, 30 … instead of 1, 2, 3, leaving room for tracks added later</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The pictures (album art) attached to the copies are removed; the sources keep them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A&amp;rtist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One sub-folder per artist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One sub-folder per album</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Genre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One sub-folder per genre</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Decade</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One sub-folder per decade of the year tag</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>One sub-folder per year</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>128 kbit/s at a constant rate: the smallest files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>High quality &amp;250K VBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About 250 kbit/s at a variable rate</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Max &amp;quality 320K CBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>320 kbit/s at a constant rate: the best sound, the largest files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Tunvale...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Select</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Se&amp;lect</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Options</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source File Audio Format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Organize by</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MP3 format</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>( The files already in &apos;mp3&apos; format will not be modified )</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Organize</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder whose audio files are sorted, sub-folders included; its files are only read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The folder that receives one sub-folder per group</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the folder that holds the audio files</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Select destination folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose or name the folder the sorted copies go into</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the audio files of the source folder into sub-folders of the destination folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop a run, then offer to delete what this session created (Escape)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop a run and close Tunvale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Status of the run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Progress of the run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>How much of the files found has been loaded and placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tunvale</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This destination Folder doesn&apos;t exist.<byte value="xd"/>
Do you want to create it ?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder where the Audio Files are located</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Main Folder where the Sub-folders will be created</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 - Stopping...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing will be deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 in %2 created by this session will be deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 in the folders created by this session will be deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 created by this session will be removed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 created by this session will be deleted.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 created by this session will then be empty and removed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 replaced by this session will be put back.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 replaced by this session cannot be put back and will stay in the folder of kept files.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ogg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the Ogg Vorbis files (.ogg, .oga) of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opus</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the Opus files of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>M&amp;4a</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sort the M4A files (AAC or ALAC; also .mp4 files holding only audio) of the source folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FLAC, WAV and AIFF files are converted to MP3 by the LAME encoder instead of being copied; MP3, Ogg, Opus and M4a files are always copied</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The files the last run skipped or could not place, with the reasons</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details of the files skipped and not placed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pre&amp;view</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show what Organize would do with these folders and options, without writing anything</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preparing the preview...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Preview: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Remove the Al&amp;bum Art Pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Create files in &apos;mp3&apos; format (using LAME %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Album</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Standard quality 12&amp;8K CBR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tunvale &amp;Manual</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Details…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping… %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file in work did not finish within 10 seconds: the run is given up.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Nothing was deleted: what this session made is kept.</source>
        <translation type="unfinished"></translation>
    </message>
    <message numerus="yes">
        <source>%n file(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n folder(s)</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Among them, %n file(s) that this session did not create.</source>
        <translation type="unfinished">
            <numerusform></numerusform>
        </translation>
    </message>
</context>
</TS>
