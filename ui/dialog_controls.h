#pragma once

#include <QChar>
#include <QSet>
#include <QString>

#include <span>
#include <string_view>

namespace tunvale::ui {

// The check boxes and radio buttons of the main dialog: control id, stored value name, caption
// (with its mnemonic) and tooltip (may be null). Captions and tooltips are untranslated source
// texts in the context of the main dialog (TunvaleDialog::tr translates them).
struct CheckBoxSpec {
    int id;
    const char *valueName;
    const char *caption;
    const char *toolTip;
};

struct RadioSpec {
    int id;
    const char *caption;
    const char *toolTip;
};

// One per row of the format table, in its order.
std::span<const CheckBoxSpec> formatBoxes();
std::span<const CheckBoxSpec> optionBoxes();
const CheckBoxSpec &convertBox();
std::span<const RadioSpec> criterionRadios();
std::span<const RadioSpec> qualityRadios();

// The conversion box's caption: caption (with %1 for the version) filled with the version of
// the LAME library, its mnemonic on the first character of the version that is not among taken
// (the mnemonics of the other controls); without a mnemonic when every one is taken.
QString convertCaption(const QString &caption, const QString &version, const QSet<QChar> &taken);

// The check box of that id, or nullptr.
const CheckBoxSpec *findCheckBox(int id);
// The id of the check box that shows a stored value, or 0.
int checkBoxIdFor(std::string_view valueName);

// Control ids the dialog's rules name.
namespace option_id {
inline constexpr int kUpdateTrackNumbers = 1029;
inline constexpr int kConvert = 1022;
} // namespace option_id

} // namespace tunvale::ui
