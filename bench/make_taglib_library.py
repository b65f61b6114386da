#!/usr/bin/python3
"""Writes a benchmark library of small tagged M4A and Ogg Vorbis files in one process.

Every file is a copy of one of the encoded BASE files (M4A with the movie atom before or after
the media data, Ogg Vorbis), in turn, with its own tags written by mutagen: title, artist,
album, track, genre, year, a front cover on some, in nested genre/artist/album folders.

    /usr/bin/python3 bench/make_taglib_library.py OUT COUNT SEED BASE...
"""
import base64
import os
import random
import shutil
import sys

from mutagen.flac import Picture
from mutagen.mp4 import MP4, MP4Cover
from mutagen.oggvorbis import OggVorbis

SYLLABLES = ["ka", "lo", "mi", "ra", "ven", "tor", "sel", "an", "dru", "po", "li", "ma", "zen",
             "qua", "bel", "ro", "sun", "nor", "fi", "del", "gar", "es", "tam", "ul"]
WORDS = ["love", "night", "river", "blue", "fire", "dream", "road", "heart", "light", "rain",
         "song", "city", "gold", "stone", "wind", "summer", "shadow", "home", "morning", "star"]
GENRES = ["Rock", "Pop", "Jazz", "Blues", "Classical", "Electronic", "Folk", "Metal", "Soul", "Reggae"]


def name(rng, parts):
    return "".join(rng.choice(SYLLABLES) for _ in range(parts)).capitalize()


def tag_m4a(path, title, artist, album, track, genre, year, cover):
    f = MP4(path)
    f["\xa9nam"] = [title]
    f["\xa9ART"] = [artist]
    f["\xa9alb"] = [album]
    f["trkn"] = [(track, 0)]
    f["\xa9gen"] = [genre]
    f["\xa9day"] = [str(year)]
    if cover:
        f["covr"] = [MP4Cover(cover, imageformat=MP4Cover.FORMAT_JPEG)]
    f.save()


def tag_ogg(path, title, artist, album, track, genre, year, cover):
    f = OggVorbis(path)
    f["TITLE"] = title
    f["ARTIST"] = artist
    f["ALBUM"] = album
    f["TRACKNUMBER"] = str(track)
    f["GENRE"] = genre
    f["DATE"] = str(year)
    if cover:
        p = Picture()
        p.type = 3
        p.mime = "image/jpeg"
        p.data = cover
        f["METADATA_BLOCK_PICTURE"] = base64.b64encode(p.write()).decode("ascii")
    f.save()


def main():
    out, count, seed, bases = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4:]
    rng = random.Random(seed)
    picture = b"\xff\xd8\xff\xe0" + bytes(rng.getrandbits(8) for _ in range(24 * 1024))
    artists = sorted({name(rng, 2) + " " + name(rng, 3) for _ in range(1500)})
    made = 0
    while made < count:
        artist = rng.choice(artists)
        genre = rng.choice(GENRES)
        album = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3))).title()
        year = rng.randint(1960, 2020)
        folder = os.path.join(out, genre, artist, album)
        os.makedirs(folder, exist_ok=True)
        for track in range(1, min(rng.randint(6, 14), count - made) + 1):
            base = bases[made % len(bases)]
            extension = os.path.splitext(base)[1]
            title = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 4))).title()
            path = os.path.join(folder, "%02d %s %d%s" % (track, title, made, extension))
            shutil.copyfile(base, path)
            cover = picture if rng.random() < 0.15 else None
            tag = tag_m4a if extension == ".m4a" else tag_ogg
            tag(path, title, artist, album, track, genre, year, cover)
            made += 1
    print("%d files" % made)


if __name__ == "__main__":
    main()
