#pragma once

// One code space for the system failures of placement: the copy, the conversion and the tag
// rewrite all report the Windows system error codes of copy_error (file_copy.h), on every
// platform, so one reason gives one code in every message.

#include <string>

namespace tunvale::output {

enum class ErrorSide { Source, Destination };

// The copy_error code for a C library error number (errno). A missing name is kFileNotFound on
// the source side and kPathNotFound on the destination side; an error without its own code is
// kGeneralFailure.
int systemErrorCode(int errorNumber, ErrorSide side = ErrorSide::Destination);

// The system's reason for a copy_error code in plain words ("No space left on device"), the
// same on every machine whatever its language; empty for a code that names no known reason.
std::u16string systemErrorReason(int code);

} // namespace tunvale::output
