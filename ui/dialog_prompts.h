#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace tunvale::ui {

// Everything the dialog asks or tells the user in a window of its own: message boxes, the
// Yes/No questions and the folder picker. The application shows real modal windows; tests
// answer from a script.
class DialogPrompts {
public:
    virtual ~DialogPrompts() = default;
    // A question with Yes and No buttons; true for Yes.
    virtual bool askYesNo(QWidget *owner, const QString &text) = 0;
    // A message with an OK button. An empty caption means the application's title.
    virtual void showMessage(QWidget *owner, const QString &text, const QString &caption = {}) = 0;
    // The folder picker: the chosen or typed path, or nothing when the user cancelled.
    virtual std::optional<QString> pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                              bool pathReadOnly) = 0;
};

// Real modal message boxes and the folder picker.
class MessageBoxPrompts final : public DialogPrompts {
public:
    bool askYesNo(QWidget *owner, const QString &text) override;
    void showMessage(QWidget *owner, const QString &text, const QString &caption = {}) override;
    std::optional<QString> pickFolder(QWidget *owner, const QString &title, const QString &startFolder,
                                      bool pathReadOnly) override;
};

// The application's title, the caption of its message boxes.
inline const QString kAppTitle = QStringLiteral("Tunvale");

} // namespace tunvale::ui
