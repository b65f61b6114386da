#pragma once

#include "engine/undo/session_undo.h"

#include <QString>

namespace tunvale::ui {

// Cancel's two questions as the dialog asks them: the question on its first line, then what a
// Yes would take back, counted before asking ("5 files in 3 folders created by this session
// will be deleted.").
QString deleteEverythingQuestion(const engine::UndoTake &take);
QString deleteSessionFilesQuestion(const engine::UndoTake &take);

} // namespace tunvale::ui
