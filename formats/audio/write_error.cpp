#include "formats/audio/write_error.h"

namespace tunvale::formats {

namespace {
thread_local int t_writeError = 0;
} // namespace

void noteWriteError(int errorNumber)
{
    if (errorNumber != 0)
        t_writeError = errorNumber;
}

int takeWriteError()
{
    const int error = t_writeError;
    t_writeError = 0;
    return error;
}

} // namespace tunvale::formats
