#pragma once

// Writes the work file of one placement in one go from its open source: the retagged copy a
// tag planner describes, or the source's bytes as they are. Results are copy_error codes, like
// copyFile's.

#include "formats/io/file_identity.h"
#include "formats/audio/binary_file.h"
#include "formats/tag_writing.h"

#include <atomic>
#include <filesystem>

namespace tunvale::output {

// What a run has learnt about copying between its file systems: once the system refuses to
// copy between two descriptors itself (copy_file_range), the run's later files are copied by
// reading and writing, without asking again.
struct CopyMethods {
    std::atomic<bool> systemCopy{true};

    CopyMethods() = default;
    CopyMethods(const CopyMethods &other) : systemCopy(other.systemCopy.load()) {}
    CopyMethods &operator=(const CopyMethods &other)
    {
        systemCopy.store(other.systemCopy.load());
        return *this;
    }
};

// Creates target (exclusively, never through a link) and writes it: the pieces of a Rewritten
// plan, otherwise the whole source, which then also keeps the source's times. It takes the
// source's permissions, made writable by its owner. identity is set to the written file's.
// 0, or a copy_error code with target removed. cancel (may be null) is looked at between
// large blocks.
int writeWorkCopy(formats::BinaryFile &source, const formats::RetagPlan &plan, const std::filesystem::path &target,
                  CopyMethods &methods, const std::atomic<bool> *cancel, formats::io::FileIdentity &identity);

} // namespace tunvale::output
