#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the tagged test files of this directory with other taggers (Debian 12: lame, sox,
# imagemagick, id3v2, eyed3, python3-mutagen; all installed by scripts/setup-deps).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

sox -n -r 22050 -c 1 -b 16 "$tmp/tone.wav" synth 0.1 sine 440
lame --silent -b 32 "$tmp/tone.wav" "$tmp/plain.mp3"
convert -size 16x16 xc:red "$tmp/cover.png"

# ID3v1 only, by id3v2 (id3lib), with a Latin-1 umlaut.
cp "$tmp/plain.mp3" id3v1-by-id3v2.mp3
LC_ALL=C.UTF-8 id3v2 -1 -t "Ace of Spades" -a "Motörhead" -A "Ace of Spades" -y 1980 \
    -c "Bronze" -T 1 -g 137 id3v1-by-id3v2.mp3

# ID3v2.3 and ID3v1, by mutagen.
cp "$tmp/plain.mp3" id3v1-and-id3v23-by-mutagen.mp3
/usr/bin/python3 - id3v1-and-id3v23-by-mutagen.mp3 <<'PY'
import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TDRC, COMM, TRCK, TCON
tags = ID3()
tags.add(TIT2(encoding=3, text="Björk Song"))
tags.add(TPE1(encoding=3, text="Björk"))
tags.add(TALB(encoding=3, text="Homogenic"))
tags.add(TDRC(encoding=3, text="1997"))
tags.add(COMM(encoding=3, lang="eng", desc="", text="Comment"))
tags.add(TRCK(encoding=3, text="3"))
tags.add(TCON(encoding=3, text="Electronic"))
tags.save(sys.argv[1], v1=2, v2_version=3)
PY

# ID3v2.3 with a cover picture, by eyeD3; no ID3v1.
cp "$tmp/plain.mp3" id3v23-picture-by-eyed3.mp3
eyeD3 --quiet --no-color --to-v2.3 -t "Picture Song" -a "Some Artist" \
    --add-image "$tmp/cover.png:FRONT_COVER" id3v23-picture-by-eyed3.mp3 >/dev/null

# The audio bytes alone, to compare the stripped files with.
cp "$tmp/plain.mp3" audio-only.mp3
