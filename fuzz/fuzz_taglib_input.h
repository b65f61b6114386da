#pragma once

// The shared body of the Ogg, Opus and MP4 tag fuzzers: read the input's tags and pictures,
// rewrite them through a work copy and, when the rewrite went through, read the result again.

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"
#include "formats/taglib/tag_read_result.h"
#include "formats/taglib/work_copy_edit.h"
#include "fuzz_input_file.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace tunvale::fuzz {

using TagReader = formats::TagReadResult (*)(const std::filesystem::path &, catalog::CurrentTags &,
                                             catalog::PictureTable *);
using TagWriter = formats::WorkCopyOutcome (*)(const std::filesystem::path &, const std::filesystem::path &,
                                               const std::u16string &, const std::u16string &, int, int, bool);

// titleIsExact: the reader takes the written title whatever else the file holds (MP4's ©nam).
// Vorbis comments are matched by key prefix with the later entry winning, so another entry
// such as TITLESORT after TITLE may rightly give the title read back.
inline int readWriteAndReadAgain(const char *name, TagReader read, TagWriter write, bool titleIsExact,
                                 const std::uint8_t *data, std::size_t size)
{
    static const auto path = scratchPath(name);
    static const auto work = scratchPath((std::string(name) + ".part").c_str());
    writeInput(path, data, size);
    catalog::CurrentTags tags;
    catalog::PictureTable pictures;
    const bool taken = read(path, tags, &pictures).ok();
    if (write(path, work, u"New", u"", 3, 9, (size & 1) != 0).written) {
        // A rewritten file is one the reader takes, holding the new title.
        catalog::CurrentTags again;
        if (!taken || !read(path, again, nullptr).ok() || (titleIsExact && again.Title.view() != "New"))
            std::abort();
    }
    std::error_code ec;
    if (std::filesystem::exists(work, ec))
        std::abort();   // a work copy must never stay behind
    return 0;
}

} // namespace tunvale::fuzz
