#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the audio files of this directory with real encoders (Debian 12: sox, lame, ffmpeg,
# imagemagick, eyed3; all installed by scripts/setup-deps).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Three seconds of two tones over quiet noise, so that VBR frames differ in size.
sox -n -r 44100 -c 2 -b 16 "$tmp/music.wav" synth 3 sine 440 sine 660 synth pinknoise mix vol 0.5
sox "$tmp/music.wav" -c 1 "$tmp/mono.wav"

lame --silent -b 32 "$tmp/music.wav" cbr32.mp3
lame --silent -b 128 "$tmp/music.wav" cbr128.mp3
lame --silent -b 320 "$tmp/music.wav" cbr320.mp3
lame --silent -V 2 "$tmp/music.wav" vbr-v2.mp3
lame --silent -b 64 -m m "$tmp/mono.wav" mono64.mp3
lame --silent -V 4 -m m "$tmp/mono.wav" vbr-mono.mp3
lame --silent -b 64 --resample 22.05 "$tmp/music.wav" mpeg2-22khz.mp3
lame --silent -V 5 --resample 16 -m m "$tmp/mono.wav" mpeg2-vbr-mono-16khz.mp3
lame --silent -b 16 --resample 8 "$tmp/music.wav" mpeg25-8khz.mp3
lame --silent -b 32 --resample 11.025 "$tmp/music.wav" mpeg25-11khz.mp3
ffmpeg -y -loglevel error -i "$tmp/music.wav" -codec:a libmp3lame -b:a 192k ffmpeg-192k.mp3

# A 128 kbit/s song behind an ID3v2.3 tag with a 300x300 picture of noise (a few hundred KiB
# in which false frame headers abound).
convert -size 300x300 xc: +noise Random "$tmp/cover.png"
cp cbr128.mp3 picture-cbr128.mp3
eyeD3 --quiet --no-color --to-v2.3 -t "With cover" --add-image "$tmp/cover.png:FRONT_COVER" \
    picture-cbr128.mp3 >/dev/null
cp vbr-v2.mp3 picture-vbr.mp3
eyeD3 --quiet --no-color --to-v2.4 -t "With cover" --add-image "$tmp/cover.png:FRONT_COVER" \
    picture-vbr.mp3 >/dev/null

# PCM WAV.
sox "$tmp/music.wav" -r 8000 -c 1 pcm-8khz-mono.wav
sox "$tmp/music.wav" -r 22050 -c 2 pcm-22khz-stereo.wav

# MP3 data in a RIFF container (MPEGLAYER3WAVEFORMAT, format tag 0x55), its frames starting
# FF FB 90 44 (lame without its Info frame): the data chunk starts at 58, or at 126 behind a JUNK
# chunk, so that the first frame crosses offset 128.
lame --silent -b 128 -m j -t "$tmp/music.wav" riff-payload.mp3
/usr/bin/python3 - riff-payload.mp3 <<'PY'
import struct, sys
payload = open(sys.argv[1], 'rb').read()
fmt = struct.pack('<HHIIHHHHIHHH', 0x55, 2, 44100, 16000, 1, 0, 12, 1, 2, 417, 1, 1393)
for name, junk in (('riff-mp3-at-58.wav', b''), ('riff-mp3-at-126.wav', b'JUNK' + struct.pack('<I', 60) + bytes(60))):
    body = b'WAVE' + b'fmt ' + struct.pack('<I', len(fmt)) + fmt + junk + b'data' + struct.pack('<I', len(payload)) + payload
    open(name, 'wb').write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY
