#include "ui_test_support.h"

#include "engine/session/run_options.h"
#include "ui/tunvale_app.h"
#include "ui/tunvale_dialog.h"

#include <QAbstractButton>

#include <gtest/gtest.h>

#include <fstream>

namespace tunvale::ui {
namespace {

using testing::ScriptedPrompts;
using testing::StoreFixture;

TEST(Preferences, ReadsStoredValuesAndReplacesUnreadableOnesWithTheDefault)
{
    StoreFixture fixture;
    fixture.store("STORED", 42);
    fixture.store("NEGATIVE", -3);
    fixture.store("WORDS", QStringLiteral("two words"));       // a number stored as text
    fixture.store("HUGE", QStringLiteral("4294967296"));       // past 32 bits
    fixture.store("SRC_DIR", QStringLiteral("/music/in"));
    fixture.store("LONG_DIR", QString(519, QLatin1Char('a')));  // longer than a folder edit takes
    fixture.store("EDGE_DIR", QString(518, QLatin1Char('b')));

    Preferences preferences;
    ASSERT_TRUE(preferences.open());
    struct NumberCase {
        const char *name;
        std::int32_t defaultValue;
        std::int32_t expected;
    };
    const NumberCase numbers[] = {
        {"STORED", 7, 42}, {"NEGATIVE", 7, -3}, {"WORDS", 7, 7}, {"HUGE", 9, 9}, {"MISSING", 11, 11},
    };
    for (const NumberCase &c : numbers) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(preferences.readNumber(c.name, c.defaultValue), c.expected);
        // Whatever was read is now in the store: a default replaced what could not be read.
        EXPECT_EQ(fixture.stored(c.name).toInt(), c.expected);
    }

    EXPECT_EQ(preferences.readText("SRC_DIR", "/default"), "/music/in");
    EXPECT_EQ(preferences.readText("LONG_DIR", "/default"), "/default");
    EXPECT_EQ(fixture.stored("LONG_DIR").toString(), "/default");
    EXPECT_EQ(preferences.readText("EDGE_DIR", "/default"), QString(518, QLatin1Char('b')));
    EXPECT_EQ(preferences.readText("NEW_DIR", "/default"), "/default");
    EXPECT_EQ(fixture.stored("NEW_DIR").toString(), "/default");
}

// A store that cannot be written is said once, naming the store of the platform (the registry
// on Windows, the configuration file with its path elsewhere); the program goes on, its options
// kept in memory until it ends, and nothing more is said when they change.
TEST(Preferences, AStoreThatCannotBeWrittenWarnsOnceAndTheDialogRunsWithDefaults)
{
    tunvale::testing::TempDir dir;
    // The configuration folder is a plain file: nothing can be created below it.
    const auto blocker = dir / "not-a-folder";
    std::ofstream(blocker) << "x";
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString((blocker / "config").string()));
    Preferences preferences;
    ScriptedPrompts prompts;
    EXPECT_FALSE(openPreferencesOrWarn(preferences, prompts));
    ASSERT_EQ(prompts.messages.size(), 1);
    const QString after = "\n\nTunvale goes on, but cannot keep its options: what you change now is kept until it "
                          "closes.";
#ifdef Q_OS_WIN
    EXPECT_EQ(prompts.messages[0], "Could not Write to Windows Register Data Base" + after);
    EXPECT_EQ(prompts.captions[0], "REGISTER ERROR");
#else
    const QString file = QString::fromStdString((blocker / "config" / "QX" / "Tunvale.conf").string());
    EXPECT_EQ(prompts.messages[0], "Could not write the configuration file \"" + file + "\"." + after);
    EXPECT_EQ(prompts.captions[0], "CONFIGURATION ERROR");
    EXPECT_FALSE(prompts.messages[0].contains("Windows"));
#endif
    EXPECT_EQ(prompts.kinds[0], MessageKind::Warning);
    EXPECT_TRUE(preferences.inMemory());

    // The dialog opens with the defaults and keeps what changes, in memory only.
    engine::RunOptions options = startOptions();
    {
        TunvaleDialog dialog(options, preferences, prompts);
        dialog.show();
        EXPECT_EQ(options.tagId, 1004);
        EXPECT_TRUE(dialog.control(1012)->isChecked());
        dialog.control(1018)->click();
        EXPECT_EQ(preferences.readNumber("FILE_REPLACE", 0), 1);
        dialog.close();
    }
    EXPECT_TRUE(preferences.contains("MP3_FORMAT"));
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_FALSE(std::filesystem::exists(blocker / "config"));
}

TEST(Preferences, StoreLivesUnderQxTunvalePreferences)
{
    StoreFixture fixture;
    Preferences preferences;
    ScriptedPrompts prompts;
    ASSERT_TRUE(openPreferencesOrWarn(preferences, prompts));
    EXPECT_TRUE(prompts.messages.isEmpty());
    preferences.writeNumber("TAG_ID", 1006);
    EXPECT_TRUE(preferences.location().endsWith("QX/Tunvale.conf")) << preferences.location().toStdString();
    EXPECT_EQ(fixture.stored("TAG_ID").toInt(), 1006);
}

TEST(Preferences, StartOptionsAreZeroExceptCriterionAndStep)
{
    const engine::RunOptions options = startOptions();
    for (const engine::OptionField &field : engine::optionFields()) {
        SCOPED_TRACE(std::string(field.valueName));
        const std::int32_t expected = field.field == &engine::RunOptions::tagId       ? 1004
                                      : field.field == &engine::RunOptions::trackStep ? 1
                                                                                      : 0;
        EXPECT_EQ(field.of(options), expected);
    }
}

} // namespace
} // namespace tunvale::ui
