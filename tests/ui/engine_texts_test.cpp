// The engine's texts reach the user through the dialog's translatable table.
#include "ui/engine_texts.h"

#include "engine/run/organize_worker.h"
#include "engine/session/run_summary.h"
#include "output/placement_context.h"
#include "output/file_copy.h"
#include "output/system_error.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

#include <map>

namespace tunvale::ui {
namespace {

QString q(const std::u16string &text) { return QString::fromStdU16String(text); }

// A translation of a few rows, as a .qm file would give it.
class FewWords final : public QTranslator {
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        if (QByteArray(context) != "tunvale::ui::EngineTexts")
            return {};
        static const std::map<QByteArray, QString> words = {
            {"Done", QStringLiteral("Fini")},
            {"Loading: %1", QStringLiteral("Lecture : %1")},
            {"%1: on %2 files, %3 are copied in %4 folders", QStringLiteral("%1 : %3 fichiers sur %2 copiés dans %4 dossiers")},
            {"No space left on device", QStringLiteral("Disque plein")},
            {"Sorry. Could not copy file \"%1\" to \"%2\": Error %3 (%4). The file was not copied.",
             QStringLiteral("Copie de « %1 » vers « %2 » impossible : erreur %3 (%4).")},
        };
        const auto it = words.find(QByteArray(source));
        return it == words.end() ? QString() : it->second;
    }
};

// Every shape of text the engine builds is a row of the table, so none escapes translation.
TEST(EngineTexts, EveryEngineTextHasARow)
{
    const std::filesystem::path source = "/music/a \"b\" %2.flac", destination = "/out/A/a.mp3";
    output::PlacementFailure failure;
    failure.systemError = 0;
    output::PlacementFailure reasoned;
    reasoned.conversion = true;
    output::PlacementFailure untagged;
    untagged.writtenWithoutTags = true;
    const std::u16string texts[] = {
        engine::summaryLine(u"Done", 1, 1, 1),
        engine::summaryLine(u"Error", 5, 4, 3),
        engine::summaryLine(u"Aborting", 5, 4, 1),
        engine::summaryLine(u"Done", 5, 1, 3),
        engine::summaryLine(u"Done", 5, 1, 1),
        engine::placeFailureMessage(2, source, destination, &failure),
        engine::placeFailureMessage(3, source, destination, &failure),
        engine::placeFailureMessage(5, source, destination, &failure),
        engine::placeFailureMessage(99, source, destination, nullptr),
        engine::placeFailureMessage(99, source, destination, &failure),
        engine::placeFailureMessage(output::copy_error::kDiskFull, source, destination, &reasoned),
        engine::placeFailureMessage(0, source, destination, &untagged),
        engine::folderFailureMessage(destination),
    };
    for (const std::u16string &text : texts)
        EXPECT_TRUE(EngineTexts::known(q(text))) << q(text).toStdString();
    EXPECT_FALSE(EngineTexts::known(QStringLiteral("Something else")));
}

// Without a translation the text is shown as the engine wrote it; with one, the row's
// translation takes the text's data, and its words are translated too.
TEST(EngineTexts, TranslatesByRowAndKeepsTheData)
{
    const QString summary = q(engine::summaryLine(u"Done", 5, 4, 3));
    EXPECT_EQ(EngineTexts::translate(summary), summary);

    FewWords translator;
    ASSERT_TRUE(QCoreApplication::installTranslator(&translator));
    const output::PlacementFailure copyFailure;
    struct Case { QString engine, shown; };
    const Case cases[] = {
        {summary, QStringLiteral("Fini : 4 fichiers sur 5 copiés dans 3 dossiers")},
        {QStringLiteral("Loading: 100% %1 \"x\".mp3"), QStringLiteral("Lecture : 100% %1 \"x\".mp3")},
        {q(engine::placeFailureMessage(output::copy_error::kDiskFull, "/m/a.flac", "/o/a.flac", &copyFailure)),
         QStringLiteral("Copie de « /m/a.flac » vers « /o/a.flac » impossible : erreur 112 (Disque plein).")},
        {QStringLiteral("Copying: a.mp3"), QStringLiteral("Copying: a.mp3")},   // row without translation
        {QStringLiteral("Not an engine text"), QStringLiteral("Not an engine text")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(EngineTexts::translate(c.engine), c.shown) << c.engine.toStdString();
    QCoreApplication::removeTranslator(&translator);
}

} // namespace
} // namespace tunvale::ui
