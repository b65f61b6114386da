#pragma once

namespace tunvale::formats {

// The tag writers answer only success or failure. When a write fails because of the system (a
// full disk, a read-only or failing device) they note its error number (errno) here, on the
// thread that writes, so that the caller can name the reason.
void noteWriteError(int errorNumber);

// The error number last noted on this thread (0 when none), which is then forgotten.
int takeWriteError();

} // namespace tunvale::formats
