#pragma once

// The tags of an MP4 file (the items of its 'ilst' atom, as TagLib reads them) in the tag
// record, and the changes a placement makes to them.

#include "catalog/records/current_tags.h"
#include "catalog/records/picture_table.h"

#include <taglib/mp4tag.h>

#include <string>

namespace tunvale::formats {

// Fills tags from the items. Text goes through the Vorbis comment key table of the FLAC
// reader, so that a value is cut, converted and read as a number by the same rules: first the
// free-form items ("----:com.apple.iTunes:LABEL" as LABEL), then the usual atoms, which take
// precedence: ©nam title, ©ART artist, ©alb album, aART album artist, ©wrt composer, ©gen
// genre (else the ID3v1 genre number of gnre), ©cmt comment, ©day year, ©too encoder, rate
// rating; trkn and disk give track, total, disc and disc total. Of several values the first
// is taken.
void applyMp4Items(const TagLib::MP4::ItemMap &items, catalog::CurrentTags &tags);

// Adds the covr pictures to table (as front covers, with the MIME type of their format) while
// it has room.
void collectMp4Pictures(const TagLib::MP4::ItemMap &items, catalog::PictureTable &table);

// Sets ©nam and ©ART (when not empty) and the track number and total of trkn (each when above
// 0, the other one kept), and removes covr with removePictures. Every other item stays.
void editMp4Items(TagLib::MP4::Tag &tag, const std::u16string &title, const std::u16string &artist, int track,
                  int totalTracks, bool removePictures);

} // namespace tunvale::formats
