#pragma once

#include "support/temp_dir.h"
#include "ui/dialog_prompts.h"
#include "ui/preferences.h"
#include "ui/tunvale_dialog.h"

#include <QSettings>
#include <QString>
#include <QStringList>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

// QString values in failure messages as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace tunvale::ui::testing {

// A caption as the user reads it: the mnemonic marks removed ("E&xit" is "Exit", "&&" is "&").
QString shownCaption(const QString &caption);
// The mnemonic character of a caption, upper case, or a null QChar when it has none.
QChar mnemonicOf(const QString &caption);

// Answers the dialog's questions from a script and records every question and message.
class ScriptedPrompts final : public DialogPrompts {
public:
    bool askYesNo(QWidget *owner, const QString &text, DefaultAnswer defaultAnswer) override;
    void showMessage(QWidget *owner, const QString &text, const QString &caption = {},
                     MessageKind kind = MessageKind::Information) override;
    std::optional<QString> pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                      bool pathReadOnly) override;

    std::deque<bool> answers;                       // one per question, in order
    std::deque<std::optional<QString>> pickedFolders;   // one per picker opened
    QStringList questions;
    std::vector<DefaultAnswer> defaults;            // the default answer of each question
    QStringList messages;
    QStringList captions;
    std::vector<MessageKind> kinds;                 // the icon of each message
    struct PickerRequest {
        QString title;
        QString start;
        bool readOnly;
    };
    std::vector<PickerRequest> pickers;
    std::function<void(const QString &)> onMessage;   // runs inside showMessage
};

// A preferences store in a folder of its own, removed afterwards.
class StoreFixture {
public:
    StoreFixture();
    // The raw value under Preferences/name, as the store file holds it.
    QVariant stored(const QString &name) const;
    void store(const QString &name, const QVariant &value);
    // The raw value under group/name (beside Preferences).
    QVariant storedIn(const QString &group, const QString &name) const;
    const std::filesystem::path &folder() const { return m_dir.path(); }

private:
    tunvale::testing::TempDir m_dir;
};

// Three MP3 files made by sox and lame with ID3 tags written by lame: two by "Alpha Band", one
// by "Beta Singer" (alone, so it goes to "Miscellaneous"). Empty when a tool is missing.
std::filesystem::path smallMp3Library(const std::filesystem::path &folder);

// Processes events until done() holds or the time runs out; whether it held.
bool waitFor(const std::function<bool()> &done, int timeoutMs = 30000);

} // namespace tunvale::ui::testing
