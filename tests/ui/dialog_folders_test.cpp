// The two folder fields: what is proposed at first start, what they say of the folder they
// name (in words, also to assistive technology), how pasted text is taken, the checks before
// any work, and the question before copies go into the folder they are read from.
#include "dialog_fixture.h"

#include "ui/folder_check.h"
#include "ui/preview_window.h"

#include <QAccessible>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace tunvale::ui {
namespace {

using namespace output::colour;
using testing::ScriptedPrompts;
using tunvale::testing::runCommand;
using tunvale::testing::shellQuote;

constexpr std::uint32_t kWhite = 0xFFFFFF;

// Sets an environment variable for one scope.
class EnvironmentScope {
public:
    EnvironmentScope(const char *name, const fs::path &value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, QByteArray::fromStdString(value.string()));
    }
    ~EnvironmentScope()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_had;
};

// A folder nothing can be written into, also for root, whom permissions do not stop: its write
// permission taken away, and made immutable when that is not enough. Undone at the end.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const fs::path &folder)
        : m_folder(folder)
    {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        if (QFileInfo(text(folder)).isWritable())
            m_immutable = runCommand("chattr +i " + shellQuote(folder.string()) + " 2>/dev/null") == 0;
    }
    ~UnwritableFolder()
    {
        if (m_immutable)
            runCommand("chattr -i " + shellQuote(m_folder.string()));
        fs::permissions(m_folder, fs::perms::owner_all);
    }
    bool unwritable() const { return !QFileInfo(text(m_folder)).isWritable(); }

private:
    fs::path m_folder;
    bool m_immutable = false;
};

QString accessibleDescription(QObject *object)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Description) : QString();
}

// A user with music in ~/Music starts the program for the first time: the destination proposed
// is beside the music, not the music itself; Organize twice reads the three sources each time
// and never the copies; the sources stay as they were.
TEST_F(DialogTest, FirstStartProposesADestinationBesideTheMusicAndNeverCopiesCopies)
{
    const fs::path home = m_dir / "home";
    const EnvironmentScope homeScope("HOME", home);
    const EnvironmentScope configScope("XDG_CONFIG_HOME", home / ".config");
    const fs::path music = testing::smallMp3Library(home / "Music");
    if (music.empty())
        GTEST_SKIP() << "sox or lame missing";
    const auto sources = tunvale::testing::listTree(music);

    auto dialog = makeDialog();
    EXPECT_EQ(dialog->sourceEdit()->text(), text(music));
    EXPECT_EQ(dialog->destinationEdit()->text(), text(home / "Music (organized)"));
    EXPECT_EQ(dialog->destinationStateLabel()->text(), "Will be created");
    EXPECT_EQ(dialog->destinationEdit()->colour(), kWhite);
    for (int press = 1; press <= 2; ++press) {
        SCOPED_TRACE(press);
        m_prompts.answers = press == 1 ? std::deque<bool>{true} : std::deque<bool>{}; // create it: Yes
        dialog->control(control_id::kOrganize)->click();
        ASSERT_TRUE(waitForSummary(*dialog));
        EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 3 files, 3 are copied in 2 folders");
        EXPECT_TRUE(m_prompts.answers.empty());
    }
    EXPECT_EQ(tunvale::testing::listTree(music), sources);
    EXPECT_TRUE(dialog->destinationStateLabel()->text().isEmpty());
}

// Without a Music folder the home folder is the source, and nothing beside it is proposed: the
// destination is left for the user to name.
TEST(DefaultFolders, NoDestinationIsProposedBesideTheHomeFolder)
{
    tunvale::testing::TempDir dir;
    const EnvironmentScope homeScope("HOME", dir / "home");
    const EnvironmentScope configScope("XDG_CONFIG_HOME", dir / "home" / ".config");
    fs::create_directories(dir / "home");
    EXPECT_EQ(defaultFolder(), text(dir / "home"));
    EXPECT_EQ(defaultDestination(), "");
    EXPECT_EQ(proposedDestination(text(dir / "home" / "Songs")), text(dir / "home" / "Songs (organized)"));
    EXPECT_EQ(proposedDestination("/"), "");
}

// Copies put into the folder they are read from would be read again by the next run: Organize
// asks first (Enter answers No), and Preview says so.
TEST_F(DialogTest, OrganizeIntoTheSourceAsksFirstAndPreviewSaysIt)
{
    const fs::path library = testing::smallMp3Library(m_dir / "lib");
    if (library.empty())
        GTEST_SKIP() << "sox or lame missing";
    const auto before = tunvale::testing::listTree(library);
    struct Case {
        const char *what;
        QString destination;
        const char *state;
        const char *sentence; // the question's first words
    };
    const Case cases[] = {
        {"the source itself", text(library), "Same as the source", "The destination folder is the source folder"},
        {"inside the source", text(library / "sorted"), "Inside the source", "The destination folder \""},
        {"the source by another name", text(library / "albums" / ".."), "Same as the source",
         "The destination folder is the source folder"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        m_prompts = ScriptedPrompts{};
        auto dialog = makeDialog();
        setFolders(*dialog, text(library), c.destination);
        QTest::keyClick(dialog->destinationEdit(), Qt::Key_End);
        QTest::keyClick(dialog->destinationEdit(), Qt::Key_Space);
        QTest::keyClick(dialog->destinationEdit(), Qt::Key_Backspace);
        EXPECT_EQ(dialog->destinationStateLabel()->text(), c.state);
        EXPECT_EQ(dialog->destinationEdit()->colour(), kYellow);

        m_prompts.answers = {false};
        dialog->control(control_id::kOrganize)->click();
        ASSERT_EQ(m_prompts.questions.size(), 1);
        EXPECT_TRUE(m_prompts.questions[0].startsWith(c.sentence)) << m_prompts.questions[0].toStdString();
        EXPECT_TRUE(m_prompts.questions[0].endsWith("Organize into it anyway?"));
        EXPECT_EQ(m_prompts.defaults[0], DefaultAnswer::No);
        EXPECT_FALSE(dialog->runActive());
        EXPECT_EQ(tunvale::testing::listTree(library), before);

        dialog->control(control_id::kPreview)->click();
        ASSERT_TRUE(testing::waitFor([&] { return dialog->previewWindow() != nullptr; }));
        EXPECT_TRUE(dialog->previewWindow()->warningLabel()->isVisibleTo(dialog->previewWindow()));
        EXPECT_TRUE(dialog->previewWindow()->warningLabel()->text().startsWith(c.sentence));
        EXPECT_EQ(dialog->statusBox()->colour(), kYellow);
        EXPECT_EQ(m_prompts.questions.size(), 1); // Preview asks nothing
    }
    // Yes: the run goes ahead, into the source itself.
    m_prompts = ScriptedPrompts{};
    auto dialog = makeDialog();
    setFolders(*dialog, text(library), text(library));
    m_prompts.answers = {true};
    dialog->control(control_id::kOrganize)->click();
    ASSERT_TRUE(waitForSummary(*dialog));
    EXPECT_EQ(dialog->lastSummary()->line, u"Done: on 3 files, 3 are copied in 2 folders");
}

// The state of each field is said in words beside it and given to assistive technology with
// the field, not by its colour alone; the colour follows the same rule whether the folder was
// typed or picked.
TEST_F(DialogTest, FolderFieldsSayTheirStateInWords)
{
    fs::create_directories(m_dir / "music");
    fs::create_directories(m_dir / "out");
    tunvale::testing::writeFile(m_dir / "plain", "x");
    auto dialog = makeDialog();
    struct Case {
        bool source;
        QString path;
        const char *state;
        std::uint32_t colour;
    };
    const Case cases[] = {
        {true, text(m_dir / "music"), "", kGreen},
        {true, text(m_dir / "nowhere"), "Not found", kLightRed},
        {true, text(m_dir / "plain"), "Not a folder", kLightRed},
        {false, text(m_dir / "out"), "", kGreen},
        {false, text(m_dir / "new" / "deeper"), "Will be created", kWhite},
        {false, text(m_dir / "plain"), "Not a folder", kLightRed},
        {false, text(m_dir / "plain" / "below"), "Cannot be created", kLightRed},
    };
    for (const bool picked : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(c.path.toStdString() + (picked ? " picked" : " typed"));
            ColoredEdit *edit = c.source ? dialog->sourceEdit() : dialog->destinationEdit();
            QLabel *label = c.source ? dialog->sourceStateLabel() : dialog->destinationStateLabel();
            if (picked) {
                m_prompts.pickedFolders = {c.path};
                dialog->control(c.source ? control_id::kSelectSource : control_id::kSelectDestination)->click();
            } else {
                edit->clear();
                QTest::keyClicks(edit, c.path);
            }
            EXPECT_EQ(label->text(), c.state);
            // Read with the field; without a state to tell, the field's tooltip is.
            EXPECT_EQ(accessibleDescription(edit), *c.state ? QString::fromUtf8(c.state) : edit->toolTip());
            EXPECT_EQ(edit->colour(), c.colour);
        }
    }
}

// A destination nothing can be written into is refused before any file is read, with the
// folder and the reason; so is one that cannot be created below it.
TEST_F(DialogTest, AnUnwritableDestinationIsRefusedBeforeAnyWork)
{
    tunvale::testing::writeFile(m_dir / "src" / "a.mp3", "not really audio");
    const UnwritableFolder locked(m_dir / "locked");
    if (!locked.unwritable())
        GTEST_SKIP() << "no way to make a folder unwritable here";
    struct Case {
        fs::path destination;
        QString message;
    };
    const Case cases[] = {
        {m_dir / "locked",
         "Please define a valid Destination folder\n\nNothing can be written into \"" + text(m_dir / "locked")
             + "\": permission denied."},
        {m_dir / "locked" / "sorted",
         "Please define a valid Destination folder\n\n\"" + text(m_dir / "locked" / "sorted")
             + "\" cannot be created: nothing can be written into \"" + text(m_dir / "locked")
             + "\": permission denied."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.destination.string());
        m_prompts = ScriptedPrompts{};
        auto dialog = makeDialog();
        setFolders(*dialog, text(m_dir / "src"), text(c.destination));
        dialog->control(control_id::kOrganize)->click();
        EXPECT_FALSE(dialog->runActive());
        EXPECT_TRUE(m_prompts.questions.isEmpty());
        EXPECT_EQ(m_prompts.messages, QStringList{c.message});
        EXPECT_EQ(m_prompts.kinds.back(), MessageKind::Error);
        EXPECT_EQ(dialog->statusBox()->text(), "Error");
        EXPECT_EQ(dialog->destinationEdit()->colour(), kRed);
        EXPECT_EQ(dialog->session().filesLoaded, 0);
        // Preview refuses it the same way.
        dialog->control(control_id::kPreview)->click();
        EXPECT_FALSE(dialog->previewing());
        EXPECT_EQ(m_prompts.messages.size(), 2);
        EXPECT_EQ(m_prompts.messages.value(1), c.message);
    }
}

// Folders as people paste them: surrounding spaces, "~" for the home folder, a file:// address.
// Organize takes them as the folders they name, and the edit then shows that folder.
TEST_F(DialogTest, PastedFoldersAreTakenAsTheFoldersTheyName)
{
    const EnvironmentScope homeScope("HOME", m_dir.path());
    fs::create_directories(m_dir / "Music");
    fs::create_directories(m_dir / "out");
    const QString music = text(m_dir / "Music");
    struct Case {
        QString typed;
        QString taken;
    };
    const Case cases[] = {
        {"  " + music + " \t", music},
        {"~/Music", music},
        {"~/Music/", music},
        {"file://" + music, music},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        m_prompts = ScriptedPrompts{};
        auto dialog = makeDialog();
        setFolders(*dialog, c.typed, text(m_dir / "out"));
        // Shown usable while typed, before Organize takes it.
        QTest::keyClick(dialog->sourceEdit(), Qt::Key_End);
        QTest::keyClick(dialog->sourceEdit(), Qt::Key_Space);
        QTest::keyClick(dialog->sourceEdit(), Qt::Key_Backspace);
        EXPECT_EQ(dialog->sourceEdit()->colour(), kGreen);
        EXPECT_TRUE(dialog->sourceStateLabel()->text().isEmpty());
        dialog->control(control_id::kOrganize)->click();
        // The folder exists and holds no audio: the run's own refusal, not a folder problem.
        EXPECT_EQ(m_prompts.messages, QStringList{"Sorry, found no audio files that could be sorted!"});
        EXPECT_EQ(dialog->sourceEdit()->text(), c.taken);
        EXPECT_EQ(m_store.stored("SRC_DIR").toString(), c.taken);
    }
}

} // namespace
} // namespace tunvale::ui
