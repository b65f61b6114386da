#pragma once

namespace tunvale::cli {

// True when stderr is a terminal (the progress bar is drawn only there).
bool stderrIsTerminal();

} // namespace tunvale::cli
