#pragma once

#include <QCoreApplication>
#include <QString>

namespace tunvale::ui {

// The texts the engine gives the dialog (status lines, summaries, failure messages) keep the
// engine's English; the dialog shows them through this table so they can be translated. Each
// row is one shape of engine text with %1, %2 ... where data (paths, counts) go; a row's
// words (the summary's first word, the system's reason) are looked up again.
class EngineTexts {
    Q_DECLARE_TR_FUNCTIONS(EngineTexts)
public:
    // The text in the user's language: the translation of the row it matches, filled with its
    // data; the text as it is when no row matches or no translation is installed.
    static QString translate(const QString &engineText);
    // True when a row of the table matches the text.
    static bool known(const QString &engineText);
    // True for the lines that name the file in work ("Loading: %1", "Copying: %1", the
    // conversion's): one per file, passing as fast as the files go.
    static bool passing(const QString &engineText);
};

} // namespace tunvale::ui
