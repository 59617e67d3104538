#!/usr/bin/env bash
# Writes the small corpus of pictures and sounds, as common tools write
# them, that tests/platform/ReaderCorpusTest.cpp and
# tests/Sound/WaveCorpusTest.cpp decode, with what those tools read back
# from each file (expected.txt). Run once; the files are committed.
# Needs imagemagick, sox and python3 (apt-get install imagemagick sox).
#
# expected.txt, one file a line:
#   image NAME WIDTH HEIGHT RGBA-BYTES-IN-HEX   (rows from the top)
#   wave NAME RATE CHANNELS BITS SAMPLE-BYTES-IN-HEX
set -euo pipefail
cd "$(dirname "$0")/.."
out=tests/fixtures/readers
im=/usr/bin/convert # the package's, whatever else is on the PATH
mkdir -p "$out"
rm -f "$out"/*
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- pictures
# 16-bit PNG without gamma, sRGB or colour-profile chunks.
"$im" -size 4x2 gradient:"#102030-#F0E0D0" -depth 16 \
  -define png:exclude-chunk=gAMA,sRGB,cHRM,bKGD,tIME,date,iCCP,tEXt,zTXt,pHYs PNG48:"$out/png16-no-gamma.png"
"$im" -size 3x2 gradient:"#FF000080-#0000FFFF" -depth 16 \
  -define png:exclude-chunk=gAMA,sRGB,cHRM,bKGD,tIME,date,iCCP,tEXt,zTXt,pHYs PNG64:"$out/png16-alpha-no-gamma.png"
# Run-length BMPs: 8 bits with the plain and the v5 header.
"$im" -size 8x4 gradient:"#102030-#F0E0D0" -type palette -colors 4 -compress RLE BMP3:"$out/bmp-rle8.bmp"
"$im" -size 8x4 gradient:"#FF0000-#00FF00" -type palette -colors 4 -compress RLE BMP:"$out/bmp-rle8-v5.bmp"
# DXT1 and DXT5 whose edges are not powers of two.
"$im" -size 6x5 gradient:"#FF0000-#0000FF" -define dds:compression=dxt1 -define dds:mipmaps=0 \
  DDS:"$out/dds-dxt1-6x5.dds"
"$im" -size 5x3 gradient:"#00FF0040-#FF00FFFF" -define dds:compression=dxt5 -define dds:mipmaps=0 \
  DDS:"$out/dds-dxt5-5x3.dds"
# What no common writer makes on request but other programs write: RLE4,
# and 16-bit pixels without bit fields under a v4 header that still names
# an alpha mask (which does not apply).
"$im" -size 4x2 gradient:"#FF0000-#0000FF" -define bmp:subtype=RGB555 BMP:"$work/555.bmp"
python3 - "$out" "$work/555.bmp" <<'PY'
import struct, sys
out, source = sys.argv[1], sys.argv[2]

def bmp(width, height, bits, compression, palette, pixels, header=40, masks=(0, 0, 0, 0)):
    info = struct.pack('<IiiHHIIiiII', header, width, height, 1, bits, compression, len(pixels), 2835, 2835,
                       len(palette), 0)
    if header > 40:
        info += struct.pack('<4I', *masks) + bytes(header - 56)
    table = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)
    offset = 14 + len(info) + len(table)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + table + pixels

# 7 x 2, four colours; bottom row: a run of 5 (1,2,1,2,1), an absolute run
# of 2 (3, 0); top row: a run of 7 of index 3.
palette = [(0x10, 0x20, 0x30), (0xF0, 0x10, 0x10), (0x10, 0xF0, 0x10), (0x10, 0x10, 0xF0)]
runs = bytes([5, 0x12, 0, 3, 0x30, 0x00, 0, 0, 7, 0x33, 0, 1])
open(out + '/bmp-rle4.bmp', 'wb').write(bmp(7, 2, 4, 2, palette, runs))

data = open(source, 'rb').read()
offset, = struct.unpack('<I', data[10:14])
pixels = data[offset:]
v4 = bmp(4, 2, 16, 0, [], pixels, header=108, masks=(0x7C00, 0x03E0, 0x001F, 0x8000))
open(out + '/bmp-v4-rgb555-alpha-mask.bmp', 'wb').write(v4)
PY

# --- sounds
sox -n -r 8000 -b 24 -c 1 "$out/wave-extensible-24bit.wav" synth 0.002 sine 440
sox -n -r 8000 -b 16 -c 3 "$out/wave-extensible-3ch.wav" synth 0.001 sine 440
# Written to a pipe, the sizes stay unknown: as sox leaves them, and as
# writers that leave 0xFFFFFFFF do.
sox -n -r 8000 -b 16 -c 1 -t wav - synth 0.002 sine 440 2> /dev/null | cat > "$out/wave-pipe-sox.wav"
# sox rounds its unknown size down to whole frames: frames of 3 and 6
# bytes leave it a part frame short of 0x7FFFF000.
sox -n -r 8000 -b 24 -c 1 -t wav - synth 0.002 sine 440 2> /dev/null | cat > "$out/wave-pipe-sox-24bit.wav"
sox -n -r 8000 -b 16 -c 3 -t wav - synth 0.001 sine 440 2> /dev/null | cat > "$out/wave-pipe-sox-3ch.wav"
python3 - "$out" <<'PY'
import sys
out = sys.argv[1]
data = bytearray(open(out + '/wave-pipe-sox.wav', 'rb').read())
data[4:8] = b'\xff\xff\xff\xff'
at = data.find(b'data')
data[at + 4:at + 8] = b'\xff\xff\xff\xff'
open(out + '/wave-pipe-unknown.wav', 'wb').write(bytes(data))
PY

# --- what the tools read back
{
  for file in "$out"/*.png "$out"/*.bmp "$out"/*.dds; do
    name=$(basename "$file")
    size=$("$im" "$file" -format '%w %h' info:)
    pixels=$("$im" "$file" -depth 8 rgba:- | od -An -v -tx1 | tr -d ' \n')
    echo "image $name $size $pixels"
  done
  for file in "$out"/*.wav; do
    name=$(basename "$file")
    format=$(sox --i -r "$file") 
    channels=$(sox --i -c "$file")
    bits=$(sox --i -b "$file")
    samples=$(sox "$file" -t raw - 2> /dev/null | od -An -v -tx1 | tr -d ' \n')
    echo "wave $name $format $channels $bits $samples"
  done
} > "$out/expected.txt"
ls -l "$out"
