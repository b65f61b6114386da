#pragma once

#include <QTranslator>

namespace tunvale::ui {

// The plural forms of the program's own English texts. Qt takes a text's plural form from a
// translation ("%n file(s)" with n = 2 reads "2 files" only when a translation says so); this
// translator stands in for an English one: in the texts that count with %n, "(s)" becomes "s",
// or nothing for one. A translation installed after it comes first.
class EnglishPlurals final : public QTranslator {
    Q_OBJECT
public:
    using QTranslator::QTranslator;
    QString translate(const char *context, const char *sourceText, const char *disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

} // namespace tunvale::ui
