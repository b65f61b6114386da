#pragma once

#include <filesystem>
#include <string>

namespace tunvale::output {

// A format's tag writer: (path, title, artist, track, track total, remove pictures), 1 on
// success and 0 on failure. An empty text or a 0 number leaves the file's own value.
using TagWriter = int (*)(const std::filesystem::path &, const std::u16string &, const std::u16string &, int, int,
                          bool);

// The writers RewriteTags dispatches to, by destination extension.
struct TagWriters {
    TagWriter mp3 = nullptr;    // ".mp3"
    TagWriter flac = nullptr;   // ".flac"
    TagWriter wave = nullptr;   // ".wav"
    TagWriter aiff = nullptr;   // ".aiff", ".aif"
};

// The format handlers' writers.
TagWriters formatTagWriters();

// Has the copy at destination retagged by the writer of its extension (compared in lower
// case). Nonzero on success; 0 when the writer failed or the extension has none.
int RewriteTags(const std::filesystem::path &destination, const std::u16string &title, const std::u16string &artist,
                int trackNumber, int trackTotal, bool removePictures);
// The same for a file written under a work name: the file at path is retagged by the writer
// of the extension of named, the name it is going to take.
int RewriteTags(const std::filesystem::path &path, const std::filesystem::path &named, const std::u16string &title,
                const std::u16string &artist, int trackNumber, int trackTotal, bool removePictures);

// Replaces the writers RewriteTags uses while it lives (tests record the calls with it).
class ScopedTagWriters {
public:
    explicit ScopedTagWriters(const TagWriters &writers);
    ~ScopedTagWriters();
    ScopedTagWriters(const ScopedTagWriters &) = delete;
    ScopedTagWriters &operator=(const ScopedTagWriters &) = delete;

private:
    TagWriters m_previous;
};

} // namespace tunvale::output
