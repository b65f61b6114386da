#include "ui/engine_texts.h"

#include <QRegularExpression>

#include <vector>

namespace tunvale::ui {

namespace {

// One shape of engine text; lookUp marks the arguments (bit n-1 for %n) that are engine
// words themselves.
struct Row {
    const char *source;
    unsigned lookUp = 0;
};

// The engine's texts, as it writes them (engine/ and output/).
const Row kRows[] = {
    // Status words and lines.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Error")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Warning")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Done")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Aborting")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "PLease Wait...")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Loading: %1")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Copying: %1")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "BE PATIENT! Converting to mp3: %1")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Could not Copy: %1")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Could not convert %1 to mp3")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Could not Modify Tags for File %1")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Wait until current file has been processed")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Being obliged to kill the process...!")},
    // The summary.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: Nothing done!"), 0x1},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: on %2 file, %3 is copied in %4 folder"), 0x1},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: on %2 files, %3 are copied in %4 folders"), 0x1},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: on %2 files, %3 are copied in %4 folder"), 0x1},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: on %2 files, %3 is copied in %4 folders"), 0x1},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1: on %2 files, %3 is copied in %4 folder"), 0x1},
    // The Organize command's refusals.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Please define a valid Source folder")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Please define a valid Destination folder")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Sorry, the source Folder doesn't exist!")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Sorry, found no audio files that could be sorted!")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Sorry. Could not create directory \"%1\".")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Could not create head destination directory \"%1\".")},
    // The worker's failure messages.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "The file \"%1\" cannot be found")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "The file \"%1\" path cannot be used")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Access Denied for copying file \"%1\" to \"%2\"")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Could not create directory \"%1\".")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. Could not copy file \"%1\" to \"%2\": Error %3 (%4). The file was not copied."), 0x8},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. Could not copy file \"%1\" to \"%2\": Error %3 (%4). The file was not converted."), 0x8},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. Could not copy file \"%1\" to \"%2\": Error %3. The file was not copied.")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. Could not copy file \"%1\" to \"%2\": Error %3. The file was not converted.")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Sorry. Could not copy file \"%1\" to \"%2\": Error %3")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. The file \"%1\" was copied to \"%2\", but its tags could not be written: %3."), 0x4},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. The file \"%1\" was converted to \"%2\", but its tags could not be written: %3."), 0x4},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. The file \"%1\" was copied to \"%2\", but its tags could not be written.")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts",
                       "Sorry. The file \"%1\" was converted to \"%2\", but its tags could not be written.")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Sorry. The run stopped: %1")},
    // The system's reasons inside those messages.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "File exists")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "File name too long")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "File too large")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Input/output error")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "No space left on device")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "The file name is not valid")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Too many levels of symbolic links")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Too many open files")},
    // Cancel.
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Nothing to cancel!")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "Main Directory removed...")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1 files deleted in %2 directories removed...")},
    {QT_TRANSLATE_NOOP("tunvale::ui::EngineTexts", "%1 files deleted...")},
};

struct CompiledRow {
    const Row *row;
    QRegularExpression pattern;
    int arguments;
};

// Each row as an anchored expression: its words literally, each %n any text.
const std::vector<CompiledRow> &compiledRows()
{
    static const std::vector<CompiledRow> rows = [] {
        std::vector<CompiledRow> made;
        static const QRegularExpression marker(QStringLiteral("%(\\d)"));
        for (const Row &row : kRows) {
            const QString source = QString::fromUtf8(row.source);
            QString expression = QStringLiteral("^");
            int arguments = 0;
            qsizetype at = 0;
            for (auto it = marker.globalMatch(source); it.hasNext();) {
                const QRegularExpressionMatch m = it.next();
                expression += QRegularExpression::escape(source.mid(at, m.capturedStart() - at));
                expression += QStringLiteral("(.*)");
                ++arguments;
                at = m.capturedEnd();
            }
            expression += QRegularExpression::escape(source.mid(at)) + QStringLiteral("$");
            made.push_back({&row, QRegularExpression(expression, QRegularExpression::DotMatchesEverythingOption),
                            arguments});
        }
        return made;
    }();
    return rows;
}

} // namespace

bool EngineTexts::known(const QString &engineText)
{
    for (const CompiledRow &row : compiledRows()) {
        if (row.pattern.match(engineText).hasMatch())
            return true;
    }
    return false;
}

bool EngineTexts::passing(const QString &engineText)
{
    for (const char *start : {"Loading: ", "Copying: ", "BE PATIENT! Converting to mp3: "}) {
        if (engineText.startsWith(QLatin1String(start)))
            return true;
    }
    return false;
}

QString EngineTexts::translate(const QString &engineText)
{
    for (const CompiledRow &row : compiledRows()) {
        const QRegularExpressionMatch m = row.pattern.match(engineText);
        if (!m.hasMatch())
            continue;
        QString text = QCoreApplication::translate("tunvale::ui::EngineTexts", row.row->source);
        // Filled in one pass, so that data holding "%2" is never taken for a marker.
        QStringList values;
        for (int n = 1; n <= row.arguments; ++n) {
            const QString value = m.captured(n);
            values << ((row.row->lookUp & (1u << (n - 1))) ? translate(value) : value);
        }
        switch (values.size()) {
        case 0: return text;
        case 1: return text.arg(values[0]);
        case 2: return text.arg(values[0], values[1]);
        case 3: return text.arg(values[0], values[1], values[2]);
        default: return text.arg(values[0], values[1], values[2], values[3]);
        }
    }
    return engineText;
}

} // namespace tunvale::ui
