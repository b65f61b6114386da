#include "cli/terminal.h"

#include <cstdio>
#include <io.h>

namespace tunvale::cli {

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace tunvale::cli
