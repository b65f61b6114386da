#!/usr/bin/env bash
# Generates a small demo library of tagged audio files in the folder given: a few artists with
# spelling variants, a lone file, a file without tags, a FLAC, a WAV and an AIFF, in nested
# folders. The FLAC and the AIFF hold 16-bit samples and the WAV 24-bit ones, all of which the
# MP3 conversion takes, so the whole library also sorts with conversion ticked. Uses sox, lame
# and flac to make the audio and mutagen to tag it.
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

/usr/bin/python3 - "$out" "$tmp" <<'PY'
import os, shutil, sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TDRC, TCON
from mutagen.flac import FLAC
from mutagen.aiff import AIFF

out, tmp = sys.argv[1], sys.argv[2]
mp3s = [
    ("Rock/Beatles/01 help.mp3", "Help!", "The Beatles", "Help!", "1", "1965", "Rock"),
    ("Rock/Beatles/02 yesterday.mp3", "Yesterday", "Beatles", "Help!", "2", "1965", "Rock"),
    ("Rock/misc/ticket.mp3", "Ticket to Ride", "the beatles", "Help!", "7", "1965", "Rock"),
    ("Pop/Madonna/vogue.mp3", "Vogue", "Madonna", "I'm Breathless", "3", "1990", "Pop"),
    ("Pop/Madonna/frozen.mp3", "Frozen", "Madonna", "Ray of Light", "1", "1998", "Pop"),
    ("Pop/lone/song.mp3", "Alone Again", "Gilbert O'Sullivan", "Back to Front", "4", "1972", "Pop"),
    ("Metal/Metallica - One.mp3", "One", "Metallica", "...And Justice for All", "4", "1988", "Metal"),
]
for rel, title, artist, album, track, year, genre in mp3s:
    path = os.path.join(out, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    shutil.copy(os.path.join(tmp, "tone.mp3"), path)
    tags = ID3()
    tags.add(TIT2(encoding=3, text=title)); tags.add(TPE1(encoding=3, text=artist))
    tags.add(TALB(encoding=3, text=album)); tags.add(TRCK(encoding=3, text=track))
    tags.add(TDRC(encoding=3, text=year)); tags.add(TCON(encoding=3, text=genre))
    tags.save(path, v2_version=3)

untagged = os.path.join(out, "unsorted", "untitled track.mp3")
os.makedirs(os.path.dirname(untagged), exist_ok=True)
shutil.copy(os.path.join(tmp, "tone.mp3"), untagged)

flac_path = os.path.join(out, "Lossless", "Madonna - Like a Prayer.flac")
os.makedirs(os.path.dirname(flac_path), exist_ok=True)
shutil.copy(os.path.join(tmp, "tone.flac"), flac_path)
f = FLAC(flac_path)
f["TITLE"] = "Like a Prayer"; f["ARTIST"] = "Madonna"; f["ALBUM"] = "Like a Prayer"
f["DATE"] = "1989"; f["TRACKNUMBER"] = "1"; f.save()

aiff_path = os.path.join(out, "Lossless", "come together.aiff")
shutil.copy(os.path.join(tmp, "tone.aiff"), aiff_path)
a = AIFF(aiff_path); a.add_tags()
a.tags.add(TIT2(encoding=3, text="Come Together")); a.tags.add(TPE1(encoding=3, text="The Beatles"))
a.save()

shutil.copy(os.path.join(tmp, "tone24.wav"), os.path.join(out, "Lossless", "Metallica - Enter Sandman.wav"))
PY
