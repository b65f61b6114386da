#include "ui/english_plurals.h"

namespace tunvale::ui {

QString EnglishPlurals::translate(const char *, const char *sourceText, const char *, int n) const
{
    if (n < 0 || sourceText == nullptr)
        return {};
    QString text = QString::fromUtf8(sourceText);
    if (!text.contains(QStringLiteral("(s)")))
        return {};
    text.replace(QStringLiteral("(s)"), n == 1 ? QString() : QStringLiteral("s"));
    return text;
}

} // namespace tunvale::ui
