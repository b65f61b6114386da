#pragma once

#include <string>

namespace tunvale::catalog {

// Why the loader of the file read last refused it, in a few words ("not a regular file");
// empty when it took the file or gave no reason. Each loader empties it when it starts and
// sets it when it refuses, so the engine can report the file as skipped with its reason.
std::string &loadRefusal();

} // namespace tunvale::catalog
