#!/usr/bin/python3
"""Writes a benchmark library of small tagged MP3 files in one process.

Every file is a copy of one encoded MP3 (BASE) with its own tag written by mutagen:
ID3v2.3, ID3v2.4 or ID3v1 only, a front cover on some, a few thousand spellings of the
artists (case, "The ", typos, "feat." guests), in nested genre/artist/album folders.

    /usr/bin/python3 bench/make_mp3_library.py BASE OUT [COUNT] [SEED]
        [--artists N] [--picture-bytes N] [--unpadded FRACTION]

--artists sets how many artists the spellings come from (default 1500), --picture-bytes the
size of the front cover (default 24 KiB; 0 for none), --unpadded the share of ID3v2 tags
written without padding: such a tag has no room for a longer title, so retagging the file
grows it (the ID3v1-only files, a fifth, grow too when they receive an ID3v2 tag).
"""
import argparse
import os
import random
import struct

from mutagen.id3 import APIC, ID3, TALB, TCON, TDRC, TIT2, TPE1, TRCK

SYLLABLES = ["ka", "lo", "mi", "ra", "ven", "tor", "sel", "an", "dru", "po", "li", "ma", "zen",
             "qua", "bel", "ro", "sun", "nor", "fi", "del", "gar", "es", "tam", "ul"]
WORDS = ["love", "night", "river", "blue", "fire", "dream", "road", "heart", "light", "rain",
         "song", "city", "gold", "stone", "wind", "summer", "shadow", "home", "morning", "star"]
GENRES = ["Rock", "Pop", "Jazz", "Blues", "Classical", "Electronic", "Folk", "Metal", "Soul", "Reggae"]


def name(rng, parts):
    return "".join(rng.choice(SYLLABLES) for _ in range(parts)).capitalize()


def artist_names(rng, count):
    names = set()
    while len(names) < count:
        first = name(rng, rng.randint(2, 3))
        names.add(first + " " + name(rng, rng.randint(2, 4)) if rng.random() < 0.7 else first)
    return sorted(names)


def spelling(rng, artist, guests):
    roll = rng.random()
    if roll < 0.55:
        return artist
    if roll < 0.65:
        return artist.upper()
    if roll < 0.72:
        return artist.lower()
    if roll < 0.80:
        return "The " + artist
    if roll < 0.90:
        return artist + " feat. " + rng.choice(guests)
    # A typo: two neighbouring letters swapped.
    if len(artist) > 4:
        i = rng.randint(1, len(artist) - 3)
        return artist[:i] + artist[i + 1] + artist[i] + artist[i + 2:]
    return artist


def v1_block(title, artist, album, year, track, genre):
    def field(text, size):
        return text.encode("latin-1", "replace")[:size].ljust(size, b"\0")
    return (b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(str(year), 4)
            + field("", 28) + b"\0" + struct.pack("B", track % 256) + struct.pack("B", genre))


def arguments():
    parser = argparse.ArgumentParser(description="Writes a benchmark library of small tagged MP3 files.")
    parser.add_argument("base", help="the encoded MP3 every file copies")
    parser.add_argument("out", help="folder receiving the library")
    parser.add_argument("count", nargs="?", type=int, default=20000)
    parser.add_argument("seed", nargs="?", type=int, default=1)
    parser.add_argument("--artists", type=int, default=1500)
    parser.add_argument("--picture-bytes", type=int, default=24 * 1024)
    parser.add_argument("--unpadded", type=float, default=0.0)
    return parser.parse_args()


def no_padding(info):
    return 0


def main():
    args = arguments()
    out, count = args.out, args.count
    rng = random.Random(args.seed)
    with open(args.base, "rb") as f:
        audio = f.read()
    picture = b"\xff\xd8\xff\xe0" + bytes(rng.getrandbits(8) for _ in range(args.picture_bytes))

    artists = artist_names(rng, args.artists)
    guests = artists[:50]
    spellings = set()
    made = 0
    while made < count:
        artist = rng.choice(artists)
        genre = rng.randrange(len(GENRES))
        album = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 3))).title()
        year = rng.randint(1960, 2020)
        folder = os.path.join(out, GENRES[genre], artist, album)
        os.makedirs(folder, exist_ok=True)
        for track in range(1, min(rng.randint(6, 14), count - made) + 1):
            who = spelling(rng, artist, guests)
            spellings.add(who)
            title = " ".join(rng.choice(WORDS) for _ in range(rng.randint(1, 4))).title()
            path = os.path.join(folder, "%02d %s.mp3" % (track, title))
            if os.path.exists(path):
                path = os.path.join(folder, "%02d %s %d.mp3" % (track, title, made))
            kind = rng.random()
            with open(path, "wb") as f:
                f.write(audio)
                if kind >= 0.8:
                    f.write(v1_block(title, who, album, year, track, genre))
            if kind < 0.8:
                tags = ID3()
                tags.add(TIT2(encoding=1, text=title))
                tags.add(TPE1(encoding=1, text=who))
                tags.add(TALB(encoding=1, text=album))
                tags.add(TRCK(encoding=0, text=str(track)))
                tags.add(TCON(encoding=0, text=GENRES[genre]))
                tags.add(TDRC(encoding=0, text=str(year)))
                if args.picture_bytes > 0 and rng.random() < 0.15:
                    tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="", data=picture))
                padding = no_padding if args.unpadded > 0 and rng.random() < args.unpadded else None
                tags.save(path, v2_version=3 if kind < 0.4 else 4, padding=padding)
            made += 1
    print("%d files, %d artist spellings" % (made, len(spellings)))


if __name__ == "__main__":
    main()
