#include "ui/dialog_controls.h"

#include <QtGlobal>

namespace tunvale::ui {

namespace {

// Every caption carries a mnemonic, each letter or digit used once in the whole window (with
// the Help menu's H).
#define DLG(text) QT_TRANSLATE_NOOP("tunvale::ui::CTunvaleDlg", text)

constexpr CheckBoxSpec kFormatBoxes[] = {
    {1012, "MP3_FORMAT", DLG("Mp&3"), DLG("Sort the MP3 files of the source folder")},
    {1013, "FLAC_FORMAT", DLG("&Flac"), DLG("Sort the FLAC files of the source folder")},
    {1014, "WAV_FORMAT", DLG("&Wav"), DLG("Sort the WAV files of the source folder")},
    {1015, "AIFF_FORMAT", DLG("&Aiff"), DLG("Sort the AIFF files of the source folder")},
};

constexpr CheckBoxSpec kOptionBoxes[] = {
    {1016, "GROUP_ISOLATED", DLG("Group &isolated files in a \"Miscellaneous\" folder"),
     DLG("A file that would be alone in its folder goes to the \"Miscellaneous\" folder instead (never when "
         "organizing by year)")},
    {1017, "ACCEPT_SIMILITUDES", DLG("Acc&ept similitudes"),
     DLG("Names that differ only slightly, such as \"Beatles\" and \"The Beatles\", share one folder")},
    {1018, "FILE_REPLACE", DLG("Re&place existing files (otherwise create another iteration)"),
     DLG("A file of the same name in the destination is replaced; otherwise the copy gets a number such as "
         "\"(1)\"")},
    {1021, "TAGSFROMNAME", DLG("Use the File Name to fill the -MISSING- &Title and Artist tags"),
     DLG("A file without a Title or Artist tag gets them from its file name, such as \"Artist - Title\"")},
    {1020, "NEWFILENAMES", DLG("Use the Meta Data Tags to create &new File Names"),
     DLG("The copies are named from their tags: track number, artist, composer and title")},
    {1027, "ADD_ARTIST", DLG("Add the Artist in head of the Trac&k Title ( when not already present )"),
     DLG("The title of each copy starts with its artist, unless the title holds it already")},
    {1028, "ADD_COMPOSER", DLG("Add the Co&mposer to the Track Title ( when not already present )"),
     DLG("The composer is added to the title of each copy, unless the title holds it already")},
    {1029, "ALPHA_TRACK", DLG("&Update the Track Numbers inside each folder"),
     DLG("The copies of each folder are numbered again from 1 in their sorted order")},
    {1019, "IDC_TRk_INCREMENT", DLG("Increment step = 1&0 for spacing"),
     DLG("Track numbers go 10, 20, 30 … instead of 1, 2, 3, leaving room for tracks added later")},
    {1030, "REMOVE_PICTS", DLG("Remo&ve the Album Art Pictures"),
     DLG("The pictures (album art) attached to the copies are removed; the sources keep them")},
};

constexpr CheckBoxSpec kConvertBox = {
    1022, "MP3_CONVERT", DLG("Create files in 'mp3' format (using LAME 3.&99)"),
    DLG("FLAC, WAV and AIFF files are converted to MP3 by the LAME encoder instead of being copied")};

constexpr RadioSpec kCriterionRadios[] = {
    {1004, DLG("A&rtist"), DLG("One sub-folder per artist")},
    {1005, DLG("Al&bum"), DLG("One sub-folder per album")},
    {1006, DLG("&Genre"), DLG("One sub-folder per genre")},
    {1007, DLG("&Decade"), DLG("One sub-folder per decade of the year tag")},
    {1008, DLG("&Year"), DLG("One sub-folder per year")},
};

constexpr RadioSpec kQualityRadios[] = {
    {1023, DLG("Standard quality &128K CBR"), DLG("128 kbit/s at a constant rate: the smallest files")},
    {1024, DLG("High quality &250K VBR"), DLG("About 250 kbit/s at a variable rate")},
    {1025, DLG("Max &quality 320K CBR"), DLG("320 kbit/s at a constant rate: the best sound, the largest files")},
};

#undef DLG

} // namespace

std::span<const CheckBoxSpec> formatBoxes()
{
    return kFormatBoxes;
}

std::span<const CheckBoxSpec> optionBoxes()
{
    return kOptionBoxes;
}

const CheckBoxSpec &convertBox()
{
    return kConvertBox;
}

std::span<const RadioSpec> criterionRadios()
{
    return kCriterionRadios;
}

std::span<const RadioSpec> qualityRadios()
{
    return kQualityRadios;
}

const CheckBoxSpec *findCheckBox(int id)
{
    for (const auto &box : kFormatBoxes)
        if (box.id == id)
            return &box;
    for (const auto &box : kOptionBoxes)
        if (box.id == id)
            return &box;
    return kConvertBox.id == id ? &kConvertBox : nullptr;
}

int checkBoxIdFor(std::string_view valueName)
{
    for (const auto &box : kFormatBoxes)
        if (valueName == box.valueName)
            return box.id;
    for (const auto &box : kOptionBoxes)
        if (valueName == box.valueName)
            return box.id;
    return valueName == kConvertBox.valueName ? kConvertBox.id : 0;
}

} // namespace tunvale::ui
