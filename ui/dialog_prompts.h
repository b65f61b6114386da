#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tunvale::ui {

// What a message tells: the icon its box shows.
enum class MessageKind {
    Information,   // a result ("Nothing to cancel!", the undo counts)
    Warning,       // a request refused (a folder to fix, nothing to sort)
    Error,         // a failure (a file or folder that could not be written, the store)
};

// The button of a Yes/No question that Enter presses.
enum class DefaultAnswer { Yes, No };

// Everything the dialog asks or tells the user in a window of its own: message boxes, the
// Yes/No questions and the folder picker. The application shows real modal windows; tests
// answer from a script.
class DialogPrompts {
public:
    virtual ~DialogPrompts() = default;
    // A question with Yes and No buttons; true for Yes. Enter presses the default answer.
    virtual bool askYesNo(QWidget *owner, const QString &text, DefaultAnswer defaultAnswer) = 0;
    // A message with an OK button and the icon of its kind. An empty caption means the
    // application's title.
    virtual void showMessage(QWidget *owner, const QString &text, const QString &caption = {},
                             MessageKind kind = MessageKind::Information) = 0;
    // The folder picker: the chosen or typed path, or nothing when the user cancelled.
    virtual std::optional<QString> pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                              bool pathReadOnly) = 0;
};

// Real modal message boxes and the folder picker.
class MessageBoxPrompts final : public DialogPrompts {
public:
    bool askYesNo(QWidget *owner, const QString &text, DefaultAnswer defaultAnswer) override;
    void showMessage(QWidget *owner, const QString &text, const QString &caption = {},
                     MessageKind kind = MessageKind::Information) override;
    std::optional<QString> pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                      bool pathReadOnly) override;
};

// The application's title, the caption of its message boxes (a name: never translated).
inline const QString kAppTitle = QStringLiteral("Tunvale");

} // namespace tunvale::ui
