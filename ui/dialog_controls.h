#pragma once

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
