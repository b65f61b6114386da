#include "ui_test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

namespace tunvale::ui::testing {

QString shownCaption(const QString &caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

QChar mnemonicOf(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&'))
            continue;
        if (caption[i + 1] != QLatin1Char('&'))
            return caption[i + 1].toUpper();
        ++i;
    }
    return {};
}

bool ScriptedPrompts::askYesNo(QWidget *, const QString &text, DefaultAnswer defaultAnswer)
{
    questions << text;
    defaults.push_back(defaultAnswer);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
}

void ScriptedPrompts::showMessage(QWidget *, const QString &text, const QString &caption, MessageKind kind)
{
    messages << text;
    captions << caption;
    kinds.push_back(kind);
    if (onMessage)
        onMessage(text);
}

std::optional<QString> ScriptedPrompts::pickFolder(QWidget *, const QString &title, const QString &startFolder,
                                                   bool pathReadOnly)
{
    pickers.push_back({title, startFolder, pathReadOnly});
    if (pickedFolders.empty()) {
        ADD_FAILURE() << "unexpected folder picker: " << title.toStdString();
        return std::nullopt;
    }
    // Taken apart: GCC 12 mistakes a copied optional QString for an uninitialised one.
    const bool answered = pickedFolders.front().has_value();
    const QString picked = answered ? *pickedFolders.front() : QString();
    pickedFolders.pop_front();
    if (!answered)
        return std::nullopt;
    return picked;
}

StoreFixture::StoreFixture()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(m_dir.path().string()));
}

QVariant StoreFixture::stored(const QString &name) const
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
    return settings.value(kPreferencesGroup + QLatin1Char('/') + name);
}

QVariant StoreFixture::storedIn(const QString &group, const QString &name) const
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
    return settings.value(group + QLatin1Char('/') + name);
}

void StoreFixture::store(const QString &name, const QVariant &value)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, kOrganization, kApplication);
    settings.setValue(kPreferencesGroup + QLatin1Char('/') + name, value);
    settings.sync();
}

std::filesystem::path smallMp3Library(const std::filesystem::path &folder)
{
    using tunvale::testing::haveTool;
    using tunvale::testing::runCommand;
    if (!haveTool("sox") || !haveTool("lame"))
        return {};
    std::filesystem::create_directories(folder / "albums" / "alpha");
    std::filesystem::create_directories(folder / "loose");
    const std::string wav = (folder / "tone.wav").string();
    if (runCommand("sox -q -n -r 44100 -c 1 '" + wav + "' synth 0.3 sine 440 vol 0.3") != 0)
        return {};
    struct Track {
        const char *file;
        const char *title;
        const char *artist;
        const char *number;
    };
    const Track tracks[] = {
        {"albums/alpha/one.mp3", "First Light", "Alpha Band", "1"},
        {"albums/alpha/two.mp3", "Second Wind", "Alpha Band", "2"},
        {"loose/solo.mp3", "Only Song", "Beta Singer", "5"},
    };
    for (const Track &track : tracks) {
        const std::string out = (folder / track.file).string();
        const std::string command = "lame --quiet -b 64 --tt '" + std::string(track.title) + "' --ta '" + track.artist
                                    + "' --tl 'Test Album' --tn " + track.number + " --add-id3v2 '" + wav + "' '"
                                    + out + "'";
        if (runCommand(command) != 0)
            return {};
    }
    std::filesystem::remove(wav);
    return folder;
}

bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

} // namespace tunvale::ui::testing
