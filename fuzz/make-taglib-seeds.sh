#!/usr/bin/env bash
# Seed inputs for the Ogg, Opus and MP4 tag fuzzers: small files from oggenc, opusenc and
# ffmpeg, tagged by mutagen, with a picture. Usage: fuzz/make-taglib-seeds.sh FOLDER
# (writes FOLDER/ogg, FOLDER/opus, FOLDER/mp4), then for example
#   build-fuzz/fuzz/fuzz_mp4_tags -max_total_time=300 FOLDER/mp4
set -euo pipefail
out=${1:?folder}
mkdir -p "$out/ogg" "$out/opus" "$out/mp4"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
tone="-f lavfi -i sine=frequency=440:duration=0.1:sample_rate=48000 -ac 2"
ffmpeg -nostdin -loglevel error $tone -c:a pcm_s16le -bitexact -y "$tmp/tone.wav"
oggenc -Q "$tmp/tone.wav" -o "$out/ogg/oggenc.ogg"
ffmpeg -nostdin -loglevel error $tone -c:a libopus -f ogg -y "$out/ogg/opus-in-ogg.ogg"
opusenc --quiet "$tmp/tone.wav" "$out/opus/opusenc.opus"
ffmpeg -nostdin -loglevel error $tone -c:a aac -y "$out/mp4/aac.m4a"
ffmpeg -nostdin -loglevel error $tone -c:a alac -movflags +faststart -y "$out/mp4/alac-faststart.m4a"
/usr/bin/python3 - "$out" <<'PY'
import sys, base64, glob
import mutagen
from mutagen.flac import Picture
from mutagen.mp4 import MP4, MP4Cover, MP4FreeForm
out = sys.argv[1]
png = base64.b64decode('iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==')
for path in glob.glob(out + '/ogg/*') + glob.glob(out + '/opus/*'):
    f = mutagen.File(path)
    f['title'] = 'Title'; f['artist'] = 'Artist'; f['tracknumber'] = '3/9'; f['date'] = '1999'
    p = Picture(); p.type = 3; p.mime = 'image/png'; p.data = png
    f['metadata_block_picture'] = base64.b64encode(p.write()).decode('ascii')
    f.save()
for path in glob.glob(out + '/mp4/*'):
    f = MP4(path)
    f['\xa9nam'] = ['Title']; f['\xa9ART'] = ['Artist']; f['trkn'] = [(3, 9)]; f['\xa9day'] = ['1999']
    f['----:com.apple.iTunes:LABEL'] = [MP4FreeForm(b'Label')]
    f['covr'] = [MP4Cover(png, imageformat=MP4Cover.FORMAT_PNG)]
    f.save()
PY
ls -l "$out"/*
