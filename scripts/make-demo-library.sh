#!/usr/bin/env bash
# Generates a small demo library of tagged audio files in the folder given, in nested folders:
# - all seven formats: MP3, FLAC, WAV, AIFF, Ogg Vorbis, Opus and M4A (AAC);
# - names in several scripts: Latin with accents, Cyrillic, Greek and Japanese;
# - spelling variants of one artist ("The Beatles", "Beatles", "the beatles", "Francoise
#   Hardy" beside "Françoise Hardy"), a lone file and a file without tags;
# - a compilation: album artist "Various Artists", a different artist on each track and the
#   compilation flag set;
# - a FLAC file cut short in a download, which the run skips with its reason.
# The FLAC and the AIFF hold 16-bit samples and the WAV 24-bit ones, all of which the MP3
# conversion takes, so every lossless file also converts with conversion ticked. Uses sox,
# lame, flac, oggenc, opusenc and ffmpeg to make the audio and mutagen to tag it.
set -euo pipefail
out="$1"
mkdir -p "$out"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Without -b, sox writes what it generates as 32-bit samples.
sox -q -n -r 44100 -c 2 -b 16 "$tmp/tone.wav" synth 1.5 sine 440 sine 660 vol 0.3
sox -q "$tmp/tone.wav" -b 24 "$tmp/tone24.wav"
lame --quiet -b 128 "$tmp/tone.wav" "$tmp/tone.mp3"
sox -q "$tmp/tone.wav" -b 16 "$tmp/tone.aiff"
flac --silent -f -o "$tmp/tone.flac" "$tmp/tone.wav" 2>/dev/null
oggenc --quiet -q 2 -o "$tmp/tone.ogg" "$tmp/tone.wav"
opusenc --quiet --bitrate 64 "$tmp/tone.wav" "$tmp/tone.opus"
ffmpeg -nostdin -loglevel error -y -i "$tmp/tone.wav" -c:a aac -b:a 96k "$tmp/tone.m4a"

/usr/bin/python3 - "$out" "$tmp" <<'PY'
import os, shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TPE2, TALB, TRCK, TDRC, TCON, TCMP
from mutagen.flac import FLAC
from mutagen.aiff import AIFF
from mutagen.oggvorbis import OggVorbis
from mutagen.oggopus import OggOpus
from mutagen.mp4 import MP4

out, tmp = sys.argv[1], sys.argv[2]

def place(rel, tone):
    path = os.path.join(out, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copy(os.path.join(tmp, tone), path)
    return path

def id3(tags, title, artist, album="", track="", year="", genre="", album_artist="", compilation=False):
    tags.add(TIT2(encoding=3, text=title)); tags.add(TPE1(encoding=3, text=artist))
    for frame, value in ((TALB, album), (TRCK, track), (TDRC, year), (TCON, genre), (TPE2, album_artist)):
        if value:
            tags.add(frame(encoding=3, text=value))
    if compilation:
        tags.add(TCMP(encoding=3, text="1"))

def vorbis(f, title, artist, album="", track="", year="", genre="", album_artist="", compilation=False):
    for key, value in (("TITLE", title), ("ARTIST", artist), ("ALBUM", album), ("TRACKNUMBER", track),
                       ("DATE", year), ("GENRE", genre), ("ALBUMARTIST", album_artist)):
        if value:
            f[key] = value
    if compilation:
        f["COMPILATION"] = "1"
    f.save()

# (file, title, artist, album, track, year, genre)
for rel, *tags in [
    ("Rock/Beatles/01 help.mp3", "Help!", "The Beatles", "Help!", "1", "1965", "Rock"),
    ("Rock/Beatles/02 yesterday.mp3", "Yesterday", "Beatles", "Help!", "2", "1965", "Rock"),
    ("Rock/misc/ticket.mp3", "Ticket to Ride", "the beatles", "Help!", "7", "1965", "Rock"),
    ("Pop/Madonna/vogue.mp3", "Vogue", "Madonna", "I'm Breathless", "3", "1990", "Pop"),
    ("Pop/Madonna/frozen.mp3", "Frozen", "Madonna", "Ray of Light", "1", "1998", "Pop"),
    ("Pop/lone/song.mp3", "Alone Again", "Gilbert O'Sullivan", "Back to Front", "4", "1972", "Pop"),
    ("Metal/Metallica - One.mp3", "One", "Metallica", "...And Justice for All", "4", "1988", "Metal"),
]:
    path = place(rel, "tone.mp3")
    t = ID3(); id3(t, *tags); t.save(path, v2_version=3)

# A file without tags: its title comes from its name.
place("unsorted/untitled track.mp3", "tone.mp3")

vorbis(FLAC(place("Lossless/Madonna - Like a Prayer.flac", "tone.flac")),
       "Like a Prayer", "Madonna", "Like a Prayer", "1", "1989")
a = AIFF(place("Lossless/come together.aiff", "tone.aiff")); a.add_tags()
id3(a.tags, "Come Together", "The Beatles"); a.save()
# A WAV without tags: title and artist come from its name.
place("Lossless/Metallica - Enter Sandman.wav", "tone24.wav")

# Names in other scripts, in Ogg Vorbis, Opus and M4A.
vorbis(OggVorbis(place("Chanson/Françoise Hardy/Tous les garçons et les filles.ogg", "tone.ogg")),
       "Tous les garçons et les filles", "Françoise Hardy", "Tous les garçons et les filles", "1", "1962",
       "Chanson")
vorbis(OggVorbis(place("Vinyl rips/le temps de l'amour.ogg", "tone.ogg")),
       "Le temps de l'amour", "Francoise Hardy", "", "2", "1962", "Chanson")
vorbis(OggOpus(place("Кино/Группа крови.opus", "tone.opus")),
       "Группа крови", "Кино", "Группа крови", "1", "1988", "Rock")
vorbis(OggOpus(place("Кино/Звезда по имени Солнце.opus", "tone.opus")),
       "Звезда по имени Солнце", "Кино", "Звезда по имени Солнце", "1", "1989", "Rock")
for rel, title, track in [("Μίκης Θεοδωράκης/Ζορμπάς.m4a", "Ζορμπάς", 1),
                          ("Μίκης Θεοδωράκης/Το τρένο φεύγει στις οχτώ.m4a", "Το τρένο φεύγει στις οχτώ", 2)]:
    m = MP4(place(rel, "tone.m4a"))
    m["\xa9nam"] = title; m["\xa9ART"] = "Μίκης Θεοδωράκης"; m["\xa9alb"] = "Τα λαϊκά"
    m["trkn"] = [(track, 2)]; m["\xa9day"] = "1964"; m.save()
for rel, title, track in [("坂本龍一/戦場のメリークリスマス.m4a", "戦場のメリークリスマス", 1),
                          ("坂本龍一/東風.m4a", "東風", 2)]:
    m = MP4(place(rel, "tone.m4a"))
    m["\xa9nam"] = title; m["\xa9ART"] = "坂本龍一"; m["\xa9alb"] = "サウンドトラック"
    m["trkn"] = [(track, 2)]; m["\xa9day"] = "1983"; m.save()

# A compilation: each track by another artist, the album by "Various Artists".
for rel, title, artist, track in [
    ("Compilations/Summer Hits/01.mp3", "Holiday", "Madonna", "1"),
    ("Compilations/Summer Hits/02.mp3", "Кукушка", "Кино", "2"),
    ("Compilations/Summer Hits/03.mp3", "Something", "The Beatles", "3"),
]:
    path = place(rel, "tone.mp3")
    t = ID3(); id3(t, title, artist, "Summer Hits", track, "2001", "Pop", "Various Artists", True)
    t.save(path, v2_version=3)

# A download cut short: the FLAC stream header is there, its metadata blocks are not.
with open(os.path.join(tmp, "tone.flac"), "rb") as whole:
    head = whole.read(60)
with open(os.path.join(out, "unsorted", "half downloaded.flac"), "wb") as cut:
    cut.write(head)
PY
