#!/usr/bin/env python3
"""Writes the demo song "Sunny Window" as a karaoke MIDI file (.kar).

Usage: make_demo_kar.py OUTPUT.kar

The song (words and tune) was written for this project and may be used freely. The file is a
format 1 Standard MIDI file at 480 ticks per quarter note and 120 beats per minute with three
tracks: tempo and copyright, the melody on channel 1 with a piano, and the words as text
events in the usual karaoke form ("@" header lines, "\\" before the first line of a verse and
"/" before every other line). Python standard library only.
"""
import struct
import sys

TICKS_PER_QUARTER = 480
MICROSECONDS_PER_QUARTER = 500_000  # 120 beats per minute
INTRO_TICKS = 4 * TICKS_PER_QUARTER  # one bar before the singing starts
LINE_REST_TICKS = 2 * TICKS_PER_QUARTER  # breath after every line
NOTE_GAP_TICKS = 40  # the note is released this much before the next syllable

# Syllables are split by "-", words by spaces; each syllable is sung on one quarter note.
VERSES = [
    ["Sun-light dan-ces on the sill,",
     "cof-fee warm and mor-ning still,",
     "hum a tune and tap your feet,",
     "ev-ery day can start this sweet."],
    ["O-pen up and sing a-long,",
     "ev-ery step be-comes a song,",
     "friends are wav-ing down the street,",
     "life is bright and life is neat."],
]

# One phrase of the tune per line (MIDI keys, C major around middle C), reused for each verse.
PHRASES = [
    [60, 62, 64, 65, 67, 67, 65, 64],
    [62, 64, 65, 67, 69, 69, 67, 65],
    [64, 65, 67, 69, 71, 72, 71, 69],
    [67, 65, 64, 62, 64, 62, 60, 60],
]


def var_length(value):
    """A variable-length quantity: 7 bits per byte, the top bit set on all but the last."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def meta(delta, kind, data):
    return var_length(delta) + bytes([0xFF, kind]) + var_length(len(data)) + data


def chunk(kind, data):
    return kind + struct.pack(">I", len(data)) + data


def syllables_of(line):
    """The line's syllables, each word's last syllable carrying the space after it."""
    words = line.split(" ")
    out = []
    for w, word in enumerate(words):
        parts = word.split("-")
        if w + 1 < len(words):
            parts[-1] += " "
        out.extend(parts)
    return out


def sung_lines():
    """(mark + syllables, phrase) for every line in singing order."""
    for verse in VERSES:
        for number, line in enumerate(verse):
            yield ("\\" if number == 0 else "/"), syllables_of(line), PHRASES[number]


def conductor_track():
    events = meta(0, 0x03, b"Sunny Window")
    events += meta(0, 0x02, b"(c) Lyricanvas demo song, free to use")
    events += meta(0, 0x51, MICROSECONDS_PER_QUARTER.to_bytes(3, "big"))
    events += meta(0, 0x58, bytes([4, 2, 24, 8]))  # 4/4
    return events + meta(0, 0x2F, b"")


def melody_track():
    events = meta(0, 0x03, b"Melody")
    events += bytes([0x00, 0xC0, 0x00])  # channel 1: Acoustic Grand Piano
    first_note = True
    delta = INTRO_TICKS
    for _mark, syllables, phrase in sung_lines():
        for k in range(len(syllables)):
            key = phrase[k % len(phrase)]
            # Note on with its status once; later notes use running status, and a note on with
            # velocity 0 ends each note.
            events += var_length(delta) + (bytes([0x90]) if first_note else b"") + bytes([key, 96])
            events += var_length(TICKS_PER_QUARTER - NOTE_GAP_TICKS) + bytes([key, 0])
            first_note = False
            delta = NOTE_GAP_TICKS
        delta += LINE_REST_TICKS
    return events + meta(0, 0x2F, b"")


def words_track():
    events = meta(0, 0x03, b"Words")
    for line in ["@KMIDI KARAOKE FILE", "@V0100", "@IWritten for Lyricanvas", "@LENGL",
                 "@TSunny Window", "@TLyricanvas demo"]:
        events += meta(0, 0x01, line.encode("ascii"))
    delta = INTRO_TICKS
    for mark, syllables, _phrase in sung_lines():
        for k, syllable in enumerate(syllables):
            text = (mark if k == 0 else "") + syllable
            events += meta(delta, 0x01, text.encode("ascii"))
            delta = TICKS_PER_QUARTER
        delta += LINE_REST_TICKS
    return events + meta(0, 0x2F, b"")


def demo_song():
    tracks = [conductor_track(), melody_track(), words_track()]
    header = struct.pack(">HHH", 1, len(tracks), TICKS_PER_QUARTER)
    return chunk(b"MThd", header) + b"".join(chunk(b"MTrk", t) for t in tracks)


def main(argv):
    if len(argv) != 2:
        print("usage: make_demo_kar.py OUTPUT.kar", file=sys.stderr)
        return 2
    with open(argv[1], "wb") as out:
        out.write(demo_song())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
