#!/usr/bin/env python3
"""Writes MIDI files the way other tools write them, with only the standard
library, and beside each one a .txt file of the notes it holds, for the
reader tests to check against.

Usage: make_midi_fixtures.py <output folder>

Each line of a .txt file is one note event:
    note <track> <tick> <channel> <note> <velocity> <on|off> <seconds>
where "off" is a note-off (0x80) and "on" a note-on (0x90, velocity 0 ends
a note), channel is 0-based and seconds follow the file's tempo changes.
The first lines give "format <n>", "division <n>" and "tracks <n>".
"""

import os
import struct
import sys

DEFAULT_TEMPO = 500000  # microseconds per quarter note, 120 bpm


def vlq(value):
    """A variable-length number: 7 bits a byte, highest first."""
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append((value & 0x7F) | 0x80)
        value >>= 7
    return bytes(reversed(out))


class Track:
    """Events with absolute ticks, written with running status."""

    def __init__(self, index):
        self.index = index
        self.events = []  # (tick, order, kind, payload)

    def meta(self, tick, kind, data):
        self.events.append((tick, len(self.events), "meta", (kind, bytes(data))))

    def tempo(self, tick, micros):
        self.meta(tick, 0x51, struct.pack(">I", micros)[1:])

    def channel(self, tick, status, *data):
        self.events.append((tick, len(self.events), "chan", (status, bytes(data))))

    def sysex(self, tick, data):
        self.events.append((tick, len(self.events), "sysex", bytes(data)))

    def encode(self, running_status=True):
        out = bytearray()
        last_tick = 0
        running = None
        for tick, _, kind, payload in sorted(self.events):
            out += vlq(tick - last_tick)
            last_tick = tick
            if kind == "meta":
                meta_type, data = payload
                out += bytes([0xFF, meta_type]) + vlq(len(data)) + data
            elif kind == "sysex":
                out += bytes([0xF0]) + vlq(len(payload)) + payload
                running = None
            else:
                status, data = payload
                if not running_status or status != running:
                    out.append(status)
                running = status
                out += data
        out += vlq(0) + b"\xff\x2f\x00"
        return struct.pack(">4sI", b"MTrk", len(out)) + bytes(out)


def tempo_changes(tracks):
    changes = []
    for track in tracks:
        for tick, _, kind, payload in track.events:
            if kind == "meta" and payload[0] == 0x51:
                changes.append((tick, struct.unpack(">I", b"\0" + payload[1])[0]))
    return sorted(changes, key=lambda change: change[0])


def seconds_at(tick, changes, division):
    seconds = 0.0
    last_tick = 0
    tempo = DEFAULT_TEMPO
    for change_tick, micros in changes:
        if change_tick > tick:
            break
        seconds += (change_tick - last_tick) * tempo / 1e6 / division
        last_tick = change_tick
        tempo = micros
    return seconds + (tick - last_tick) * tempo / 1e6 / division


def write(folder, name, fmt, division, tracks, extra_chunk=b""):
    header = struct.pack(">4sIHHH", b"MThd", 6, fmt, len(tracks), division)
    body = b"".join(track.encode() for track in tracks)
    with open(os.path.join(folder, name + ".mid"), "wb") as out:
        out.write(header + extra_chunk + body)
    changes = tempo_changes(tracks)
    lines = ["format %d" % fmt, "division %d" % division, "tracks %d" % len(tracks)]
    for track in tracks:
        for tick, _, kind, payload in sorted(track.events):
            if kind != "chan" or payload[0] & 0xE0 != 0x80:
                continue
            status, data = payload
            lines.append("note %d %d %d %d %d %s %.9f" % (
                track.index, tick, status & 0x0F, data[0], data[1],
                "on" if status & 0xF0 == 0x90 else "off",
                seconds_at(tick, changes, division)))
    with open(os.path.join(folder, name + ".txt"), "w") as out:
        out.write("\n".join(lines) + "\n")


def note(track, tick, length, channel, key, velocity, note_off=False):
    track.channel(tick, 0x90 | channel, key, velocity)
    if note_off:
        track.channel(tick + length, 0x80 | channel, key, 64)
    else:
        track.channel(tick + length, 0x90 | channel, key, 0)


def format0(folder):
    """One track: tempo, name, GM reset sysex, program and notes under running status."""
    track = Track(0)
    track.meta(0, 0x03, b"Melody")
    track.tempo(0, 600000)
    track.sysex(0, [0x7E, 0x7F, 0x09, 0x01, 0xF7])
    track.channel(0, 0xC0, 0)
    track.channel(0, 0xB0, 7, 100)
    for i, key in enumerate([60, 62, 64, 65, 67, 69, 71, 72]):
        note(track, i * 96, 90, 0, key, 80 + i)
    track.tempo(384, 400000)
    write(folder, "format0_running_status", 0, 96, [track])


def format1(folder):
    """A conductor track of several tempo changes, a melody ended by note-offs
    and drums on channel 10, after a chunk of an unknown kind."""
    conductor = Track(0)
    conductor.meta(0, 0x58, [3, 2, 24, 8])
    for tick, micros in [(0, 500000), (1920, 750000), (3840, 300000), (5000, 1000000)]:
        conductor.tempo(tick, micros)
    melody = Track(1)
    melody.meta(0, 0x03, b"Flute")
    melody.channel(0, 0xC1, 73)
    for i in range(24):
        note(melody, i * 240, 200, 1, 60 + (i * 5) % 24, 70 + i, note_off=True)
    drums = Track(2)
    for i in range(32):
        note(drums, i * 240, 60, 9, 36 if i % 2 == 0 else 38, 100)
        note(drums, i * 240, 30, 9, 42, 60)
    extra = struct.pack(">4sI", b"XTRA", 5) + b"hello"
    write(folder, "format1_tempo_drums", 1, 480, [conductor, melody, drums], extra)


def big(folder):
    """Several thousand notes over four tracks with tempo changes."""
    conductor = Track(0)
    for i in range(20):
        conductor.tempo(i * 4800, 400000 + 25000 * i)
    tracks = [conductor]
    for t in range(1, 5):
        track = Track(t)
        for i in range(1500):
            key = 36 + (i * 7 + t * 3) % 60
            note(track, i * 60 + t, 50, t - 1, key, 1 + (i * 13) % 127)
        tracks.append(track)
    write(folder, "big_many_notes", 1, 240, tracks)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_midi_fixtures.py <output folder>\n")
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    format0(folder)
    format1(folder)
    big(folder)
    return 0


if __name__ == "__main__":
    sys.exit(main())
