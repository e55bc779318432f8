#!/usr/bin/env python3
"""Writes standard MIDI files from a readable score (see demo/demo.score).

A score sets the tempo and the metre, then lists parts. Each part becomes one
MIDI file (type 0, 480 ticks per quarter) named after the part:

    tempo = 100
    meter = 4/4

    part bass                        # -> bass.mid
    sound = Quorvane 2/Deep Sub      # the factory sound that renders it
    gain = -3                        # its level in the mix, in dB
    vel = 96                         # velocity of the notes that follow
    gate = 0.9                       # sounding part of each note's length
    | C2/8 C2/8 r/8 C2/8 Eb2/4 G1/4 |        # one or more bars per line
    | [C3 Eb3 G3]/2. vel=70 Bb2/4 | x2      # "x2" repeats the line's bars
    cc1 1-8 = 0 -> 127               # a controller ramp over bars 1 to 8
    cc1 9 = 40                       # a controller value at the start of bar 9

A note is a name, an optional sharp (#) or flat (b) and an octave (C4 is MIDI
note 60); a chord is notes in brackets; "r" rests. "/1", "/2", "/4", "/8",
"/16" are whole to sixteenth notes, a trailing "." dots them, and a trailing
"~" ties the note into the next one of the same pitch. "vel=N" and "gate=F"
may also stand between the notes. Every bar must add up to the metre.

Usage: compose.py SCORE OUTDIR      writes OUTDIR/<part>.mid
       compose.py --list SCORE      prints part, sound and gain, one part a line
"""

import re
import struct
import sys

TICKS = 480
NOTE_BASE = {"C": 0, "D": 2, "E": 4, "F": 5, "G": 7, "A": 9, "B": 11}


class ScoreError(Exception):
    pass


class Part:
    def __init__(self, name):
        self.name = name
        self.sound = ""
        self.gain = 0.0
        self.channel = 0
        self.events = []  # (tick, order, bytes)
        self.bars = 0
        self.vel = 90
        self.gate = 0.9
        self.tied = {}  # pitch -> start tick of a note tied into the next


def pitch(text, where):
    m = re.fullmatch(r"([A-Ga-g])([#b]?)(-?\d)", text)
    if not m:
        raise ScoreError(f"{where}: '{text}' is not a note (like C4, F#3, Bb2)")
    n = NOTE_BASE[m.group(1).upper()] + {"": 0, "#": 1, "b": -1}[m.group(2)]
    value = 12 * (int(m.group(3)) + 1) + n
    if not 0 <= value <= 127:
        raise ScoreError(f"{where}: '{text}' is outside the MIDI range")
    return value


def duration(text, where):
    m = re.fullmatch(r"(1|2|4|8|16|32)(\.?)", text)
    if not m:
        raise ScoreError(f"{where}: '/{text}' is not a length (/1 /2 /4 /8 /16 /32, dotted with '.')")
    ticks = TICKS * 4 // int(m.group(1))
    return ticks * 3 // 2 if m.group(2) else ticks


def play(part, token, tick, where):
    """Adds one note, chord or rest at tick; returns its length in ticks."""
    m = re.fullmatch(r"(\[[^\]]*\]|[^/\[\]]+)/([0-9.]+)(~?)", token)
    if not m:
        raise ScoreError(f"{where}: '{token}' is not a note, chord or rest with a length (like C4/4)")
    what, length, tie = m.group(1), duration(m.group(2), where), m.group(3) == "~"
    if what == "r":
        if part.tied:
            raise ScoreError(f"{where}: a tie must go on to the same notes, not a rest")
        return length
    names = what[1:-1].split() if what.startswith("[") else [what]
    pitches = [pitch(n, where) for n in names]
    if part.tied and set(part.tied) != set(pitches):
        raise ScoreError(f"{where}: a tie must go on to the same notes")
    for p in pitches:
        start = part.tied.pop(p, tick)
        if tie:
            part.tied[p] = start
            continue
        end = tick + max(1, int(length * part.gate))
        part.events.append((start, 2, bytes([0x90 | part.channel, p, part.vel])))
        part.events.append((end, 0, bytes([0x80 | part.channel, p, 0])))
    return length


def bar_line(part, text, bar_ticks, where):
    repeat = 1
    m = re.search(r"\|\s*x(\d+)\s*$", text)
    if m:
        repeat = int(m.group(1))
        text = text[: m.start() + 1]
    bars = [re.findall(r"\[[^\]]*\]\S*|\S+", b) for b in text.strip().strip("|").split("|")]
    for _ in range(repeat):
        for tokens in bars:
            part.bars += 1
            tick = (part.bars - 1) * bar_ticks
            used = 0
            for token in tokens:
                if token.startswith("vel="):
                    part.vel = max(1, min(127, int(token[4:])))
                elif token.startswith("gate="):
                    part.gate = float(token[5:])
                else:
                    used += play(part, token, tick + used, f"{where}, bar {part.bars}")
            if used != bar_ticks:
                raise ScoreError(f"{where}, bar {part.bars}: the bar lasts {used / TICKS} beats, "
                                 f"not {bar_ticks / TICKS}")


def controller(part, key, value, bar_ticks, where):
    m = re.fullmatch(r"cc(\d+)\s+(\d+)(?:-(\d+))?", key)
    if not m:
        raise ScoreError(f"{where}: '{key}' is not 'ccN BAR' or 'ccN FIRST-LAST'")
    number, first = int(m.group(1)), int(m.group(2))
    last = int(m.group(3)) if m.group(3) else None
    values = [int(v) for v in value.split("->")]
    start = (first - 1) * bar_ticks
    if last is None:
        points = [(start, values[0])]
    else:
        if len(values) != 2:
            raise ScoreError(f"{where}: a ramp goes 'FROM -> TO'")
        end = last * bar_ticks
        steps = max(1, (end - start) // (TICKS // 8))  # a value every 32nd note
        points = [(start + (end - start) * i // steps, round(values[0] + (values[1] - values[0]) * i / steps))
                  for i in range(steps + 1)]
    for tick, v in points:
        part.events.append((tick, 1, bytes([0xB0 | part.channel, number, max(0, min(127, v))])))


def read_score(path):
    tempo, meter, parts = 120.0, (4, 4), []
    with open(path, encoding="utf-8") as f:
        lines = f.readlines()
    for number, raw in enumerate(lines, 1):
        where = f"{path}:{number}"
        # A comment starts with "#" at the start of a line or after a blank
        # (a "#" right after a note name is a sharp).
        line = re.sub(r"(^|\s)#.*$", "", raw).strip()
        if not line:
            continue
        bar_ticks = TICKS * 4 * meter[0] // meter[1]
        if line.startswith("part "):
            parts.append(Part(line[5:].strip()))
            continue
        if line.startswith("|"):
            if not parts:
                raise ScoreError(f"{where}: music before the first part")
            bar_line(parts[-1], line, bar_ticks, where)
            continue
        if "=" not in line:
            raise ScoreError(f"{where}: expected 'key = value'")
        key, value = (s.strip() for s in line.split("=", 1))
        if key == "tempo":
            tempo = float(value)
        elif key == "meter":
            a, b = value.split("/")
            meter = (int(a), int(b))
        elif not parts:
            raise ScoreError(f"{where}: '{key}' belongs to a part")
        elif key == "sound":
            parts[-1].sound = value
        elif key == "gain":
            parts[-1].gain = float(value.replace("dB", ""))
        elif key == "channel":
            parts[-1].channel = int(value) - 1
        elif key == "vel":
            parts[-1].vel = int(value)
        elif key == "gate":
            parts[-1].gate = float(value)
        elif key.startswith("cc"):
            controller(parts[-1], key, value, bar_ticks, where)
        else:
            raise ScoreError(f"{where}: unknown key '{key}'")
    for part in parts:
        if part.tied:
            raise ScoreError(f"{path}: part {part.name} ends inside a tie")
    return tempo, meter, parts


def varlen(n):
    out = [n & 0x7F]
    n >>= 7
    while n:
        out.append(0x80 | (n & 0x7F))
        n >>= 7
    return bytes(reversed(out))


def midi_file(part, tempo, meter):
    micros = round(60_000_000 / tempo)
    denominator_power = {1: 0, 2: 1, 4: 2, 8: 3, 16: 4}[meter[1]]
    # Events at one tick: meta first, then note-offs, controllers, note-ons.
    events = [(0, -2, b"\xFF\x51\x03" + micros.to_bytes(3, "big")),
              (0, -1, bytes([0xFF, 0x58, 0x04, meter[0], denominator_power, 24, 8])),
              (0, -1, b"\xFF\x03" + varlen(len(part.name)) + part.name.encode())]
    events += part.events
    events.sort(key=lambda e: (e[0], e[1]))
    track, now = bytearray(), 0
    for tick, _, data in events:
        track += varlen(tick - now) + data
        now = tick
    track += b"\x00\xFF\x2F\x00"
    return (b"MThd" + struct.pack(">IHHH", 6, 0, 1, TICKS) + b"MTrk" + struct.pack(">I", len(track)) + bytes(track))


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "--list":
            for part in read_score(argv[2])[2]:
                print(f"{part.name}\t{part.sound}\t{part.gain:g}")
            return 0
        if len(argv) != 3:
            print(__doc__.split("Usage:")[1].strip(), file=sys.stderr)
            return 2
        tempo, meter, parts = read_score(argv[1])
        for part in parts:
            with open(f"{argv[2]}/{part.name}.mid", "wb") as f:
                f.write(midi_file(part, tempo, meter))
        return 0
    except (ScoreError, ValueError, OSError) as e:
        print(f"compose.py: {e}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
