#include "cli/terminal.h"

#include <unistd.h>

namespace tunvale::cli {

bool stderrIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

} // namespace tunvale::cli
