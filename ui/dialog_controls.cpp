#include "ui/dialog_controls.h"

#include "formats/format_table.h"

#include <QtGlobal>

#include <vector>

namespace tunvale::ui {

namespace {

// Every caption carries a mnemonic, each letter or digit used once in the whole window (with
// the Help menu's H), except Ogg, Opus and Album: each of their letters is the mnemonic of
// another control, so the two boxes are reached with Tab and Album with the arrow keys in its
// group. The conversion box takes its mnemonic in the LAME version it names (see
// convertCaption). The texts are marked for translation in the main dialog's context.

// The check boxes of the formats of the format table, by the option they store: the dialog
// shows one box per row of the table, in its order, with this id, caption and tooltip.
constexpr CheckBoxSpec kKnownFormatBoxes[] = {
    {1012, "MP3_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Mp&3"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the MP3 files of the source folder")},
    {1013, "FLAC_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Flac"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the FLAC files of the source folder")},
    {1014, "WAV_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Wav"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the WAV files of the source folder")},
    {1015, "AIFF_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Aiff"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the AIFF files of the source folder")},
    {1100, "OGG_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Ogg"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the Ogg Vorbis files (.ogg, .oga) of the source folder")},
    {1101, "OPUS_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Opus"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Sort the Opus files of the source folder")},
    {1102, "M4A_FORMAT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "M&4a"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "Sort the M4A files (AAC or ALAC; also .mp4 files holding only audio) of the source folder")},
};

// A format of the table without a box above gets one with the next of these ids, its caption
// from the table and no tooltip.
constexpr int kFirstExtraFormatId = 1110;

std::vector<CheckBoxSpec> buildFormatBoxes()
{
    std::vector<CheckBoxSpec> boxes;
    int nextId = kFirstExtraFormatId;
    for (const formats::FormatRow &format : formats::formatTable()) {
        const CheckBoxSpec *known = nullptr;
        for (const CheckBoxSpec &box : kKnownFormatBoxes) {
            if (format.optionName == box.valueName)
                known = &box;
        }
        // The table's texts are literals, so their views end with a NUL.
        boxes.push_back(known ? *known
                              : CheckBoxSpec{nextId++, format.optionName.data(), format.caption.data(), nullptr});
    }
    return boxes;
}

// Made once from the format table, then never changed.
const std::vector<CheckBoxSpec> &formatBoxList()
{
    static const std::vector<CheckBoxSpec> boxes = buildFormatBoxes();
    return boxes;
}

constexpr CheckBoxSpec kOptionBoxes[] = {
    {1016, "GROUP_ISOLATED",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Group &isolated files in a \"Miscellaneous\" folder"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "A file that would be alone in its folder goes to the \"Miscellaneous\" folder "
                       "instead (never when organizing by year)")},
    {1017, "ACCEPT_SIMILITUDES", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Acc&ept similitudes"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "Names that differ only slightly, such as \"Beatles\" and \"The Beatles\", share "
                       "one folder")},
    {1018, "FILE_REPLACE",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Re&place existing files (otherwise create another iteration)"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "A file of the same name in the destination is replaced; otherwise the copy gets "
                       "a number such as \"(1)\"")},
    {1021, "TAGSFROMNAME",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Use the File Name to fill the -MISSING- &Title and Artist tags"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "A file without a Title or Artist tag gets them from its file name, such as "
                       "\"Artist - Title\"")},
    {1020, "NEWFILENAMES",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Use the Meta Data Tags to create &new File Names"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "The copies are named from their tags: track number, artist, composer and title")},
    {1027, "ADD_ARTIST",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "Add the Artist in head of the Trac&k Title ( when not already present )"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "The title of each copy starts with its artist, unless the title holds it already")},
    {1028, "ADD_COMPOSER",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "Add the Co&mposer to the Track Title ( when not already present )"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "The composer is added to the title of each copy, unless the title holds it "
                       "already")},
    {1029, "ALPHA_TRACK",
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Update the Track Numbers inside each folder"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "The copies of each folder are numbered again from 1 in their sorted order")},
    {1019, "IDC_TRk_INCREMENT", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Increment step = 1&0 for spacing"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "Track numbers go 10, 20, 30 … instead of 1, 2, 3, leaving room for tracks added "
                       "later")},
    {1030, "REMOVE_PICTS", QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Remove the Al&bum Art Pictures"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "The pictures (album art) attached to the copies are removed; the sources keep "
                       "them")},
};

constexpr CheckBoxSpec kConvertBox = {
    1022, "MP3_CONVERT",
    QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Create files in 'mp3' format (using LAME %1)"),
    QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                      "FLAC, WAV and AIFF files are converted to MP3 by the LAME encoder instead of "
                      "being copied; MP3, Ogg, Opus and M4a files are always copied")};

constexpr RadioSpec kCriterionRadios[] = {
    {1004, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "A&rtist"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "One sub-folder per artist")},
    {1005, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Album"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "One sub-folder per album")},
    {1006, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Genre"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "One sub-folder per genre")},
    {1007, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Decade"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "One sub-folder per decade of the year tag")},
    {1008, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "&Year"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "One sub-folder per year")},
};

constexpr RadioSpec kQualityRadios[] = {
    {1023, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Standard quality 12&8K CBR"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "128 kbit/s at a constant rate: the smallest files")},
    {1024, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "High quality &250K VBR"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "About 250 kbit/s at a variable rate")},
    {1025, QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog", "Max &quality 320K CBR"),
     QT_TRANSLATE_NOOP("tunvale::ui::TunvaleDialog",
                       "320 kbit/s at a constant rate: the best sound, the largest files")},
};

} // namespace

std::span<const CheckBoxSpec> formatBoxes() { return formatBoxList(); }

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

QString convertCaption(const QString &caption, const QString &version, const QSet<QChar> &taken)
{
    QString marked = version;
    for (qsizetype i = 0; i < version.size(); ++i) {
        if (version[i].isLetterOrNumber() && !taken.contains(version[i].toUpper())) {
            marked.insert(i, QLatin1Char('&'));
            break;
        }
    }
    return caption.arg(marked);
}

const CheckBoxSpec *findCheckBox(int id)
{
    for (const auto &box : formatBoxList())
        if (box.id == id)
            return &box;
    for (const auto &box : kOptionBoxes)
        if (box.id == id)
            return &box;
    return kConvertBox.id == id ? &kConvertBox : nullptr;
}

int checkBoxIdFor(std::string_view valueName)
{
    for (const auto &box : formatBoxList())
        if (valueName == box.valueName)
            return box.id;
    for (const auto &box : kOptionBoxes)
        if (valueName == box.valueName)
            return box.id;
    return valueName == kConvertBox.valueName ? kConvertBox.id : 0;
}

} // namespace tunvale::ui
