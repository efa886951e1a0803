#!/usr/bin/env python3
"""Composes the About box's XM module ("Pellam About", A minor, 4/4) from
synthesised samples and writes it as an XM file and as a C++ byte array.

usage: make_about_song.py OUT.xm OUT.cpp

Eight channels: lead, counter-melody, pad, arpeggio, bass, kick, snare, hat.
The patterns use arpeggio, tone portamento, vibrato, volume slides, a pattern
break, a position jump, a pattern loop and note delays. At speed 6 and 125
BPM a row lasts 120 ms; the song is about one minute before it loops.
"""
import math
import random
import struct
import sys

CHANNELS = 8
ROWS = 64
rng = random.Random(7)


def note(name):
    """'C-4' -> XM note number (1 = C-0)."""
    names = ['C-', 'C#', 'D-', 'D#', 'E-', 'F-', 'F#', 'G-', 'G#', 'A-', 'A#', 'B-']
    return names.index(name[:2]) + 12 * int(name[2]) + 1


# ---- samples -------------------------------------------------------------

def cycle(n, fn):
    return [fn(2 * math.pi * i / n) for i in range(n)]


def lead_wave():  # 16-bit, forward loop, 256-sample cycle: soft square-ish
    return cycle(256, lambda t: int(12000 * (math.sin(t) + 0.33 * math.sin(3 * t) + 0.15 * math.sin(5 * t))))


def bell_wave():  # 16-bit, forward loop: sine with a touch of octave
    return cycle(256, lambda t: int(14000 * (math.sin(t) + 0.25 * math.sin(2 * t))))


def pad_ramp():  # 16-bit, ping-pong over a rising ramp = triangle
    return [int(-15000 + 30000 * i / 127) for i in range(128)]


def bass_wave():  # 8-bit, forward loop: filtered saw
    return cycle(64, lambda t: int(90 * sum(math.sin(k * t) / k for k in range(1, 6)) / 1.5))


def pluck_ramp():  # 8-bit, ping-pong: a bent ramp
    return [int(100 * math.sin(math.pi * (i / 31.0 - 0.5))) for i in range(32)]


def kick():  # 8-bit, no loop: falling sine sweep
    out, phase = [], 0.0
    for i in range(2400):
        f = 180 * math.exp(-i / 500.0) + 45
        phase += 2 * math.pi * f / 8363
        out.append(int(120 * math.sin(phase) * math.exp(-i / 1300.0)))
    return out


def noise(n, decay, amp):
    return [int(amp * rng.uniform(-1, 1) * math.exp(-i / decay)) for i in range(n)]


def clamp8(v):
    return [max(-128, min(127, x)) for x in v]


def clamp16(v):
    return [max(-32768, min(32767, x)) for x in v]


# (name, data, 16-bit, loop type, loop start, loop length, volume, relative note, finetune)
def sample(name, data, bits16, loop, ls=0, ll=0, vol=64, rel=0, pan=128):
    return dict(name=name, data=clamp16(data) if bits16 else clamp8(data), bits16=bits16,
                loop=loop, ls=ls, ll=ll, vol=vol, rel=rel, pan=pan)


def instrument(name, smp, venv=None, vsus=None, vloop=None, penv=None, ploop=None, fade=0,
               vib=(0, 0, 0, 0)):
    return dict(name=name, smp=smp, venv=venv or [], vsus=vsus, vloop=vloop, penv=penv or [],
                ploop=ploop, fade=fade, vib=vib)


INSTRUMENTS = [
    instrument('lead', sample('lead', lead_wave(), True, 1, 0, 256, 48, 36),
               venv=[(0, 0), (4, 64), (16, 44), (40, 36), (80, 0)], vsus=2, fade=600,
               vib=(0, 40, 6, 10)),
    instrument('bell', sample('bell', bell_wave(), True, 1, 0, 256, 40, 36),
               venv=[(0, 64), (12, 30), (60, 10), (120, 0)], fade=300),
    instrument('pad', sample('pad', pad_ramp(), True, 2, 0, 128, 34, 36),
               venv=[(0, 0), (24, 50), (40, 44), (120, 0)], vsus=2, fade=200,
               penv=[(0, 16), (64, 48), (128, 16)], ploop=(0, 2)),
    instrument('pluck', sample('pluck', pluck_ramp(), False, 2, 0, 32, 40, 24),
               venv=[(0, 64), (8, 24), (30, 0)], penv=[(0, 40), (30, 24)]),
    instrument('bass', sample('bass', bass_wave(), False, 1, 0, 64, 56, 24),
               venv=[(0, 64), (6, 48), (20, 40), (60, 0)], vsus=2, fade=1500),
    instrument('kick', sample('kick', kick(), False, 0, vol=64)),
    instrument('snare', sample('snare', noise(2400, 500, 110), False, 0, vol=44, pan=144)),
    instrument('hat', sample('hat', noise(600, 90, 80), False, 0, vol=30, rel=12, pan=100)),
]
LEAD, BELL, PAD, PLUCK, BASS, KICK, SNARE, HAT = range(1, 9)

# ---- patterns ------------------------------------------------------------

CHORDS = [  # root (bass octave 2), arpeggio offsets, pad notes
    ('A-2', 0x37, ['A-3', 'C-4', 'E-4']),
    ('F-2', 0x47, ['F-3', 'A-3', 'C-4']),
    ('C-3', 0x47, ['G-3', 'C-4', 'E-4']),
    ('G-2', 0x47, ['G-3', 'B-3', 'D-4']),
]


def empty():
    return [[[0, 0, 0, 0, 0] for _ in range(CHANNELS)] for _ in range(ROWS)]


def put(p, row, ch, n=0, ins=0, vol=0, fx=0, prm=0):
    p[row][ch] = [n, ins, vol, fx, prm]


def fx(p, row, ch, fxn, prm):
    p[row][ch][3] = fxn
    p[row][ch][4] = prm


def rhythm(p, full=True, delay_hats=True):
    for r in range(0, ROWS, 4):
        if r % 8 == 0 or (full and r % 16 == 14):
            put(p, r, 5, note('C-4'), KICK)
        if full and r % 8 == 4:
            put(p, r, 6, note('C-4'), SNARE)
    for r in range(0, ROWS, 2):
        put(p, r, 7, note('F-4') if r % 4 else note('C-4'), HAT, 0x10 + (28 if r % 4 else 40))
        if delay_hats and r % 8 == 6:
            fx(p, r, 7, 0xE, 0xD3)  # note delay: a swung hat


def harmony(p, pad=True, pluck=True):
    for i, (root, arp, chord) in enumerate(CHORDS):
        base = 16 * i
        put(p, base, 4, note(root), BASS)
        put(p, base + 6, 4, note(root), 0, 0x30)
        put(p, base + 8, 4, note(root[:2] + str(int(root[2]) + 1)), 0, 0x38)
        put(p, base + 12, 4, note(root), 0, 0x2C)
        if pad:
            put(p, base, 2, note(chord[0]), PAD)
            fx(p, base, 2, 0x0, arp)  # arpeggio over the whole chord
            for r in range(base + 1, base + 16):
                fx(p, r, 2, 0x0, arp)
        if pluck:
            for k in range(4):
                put(p, base + 4 * k + 2, 3, note(chord[k % 3][:2] + str(int(chord[k % 3][2]) + 1)),
                    PLUCK)


MELODY_A = ['E-5', None, 'D-5', 'C-5', None, 'A-4', None, None,
            'C-5', None, 'D-5', None, 'E-5', None, 'G-5', None]
MELODY_B = ['F-5', None, 'E-5', 'C-5', None, 'A-4', None, 'C-5',
            'B-4', None, 'G-4', None, 'D-5', None, 'B-4', None]


def melody(p, phrase, start, ch=0, ins=LEAD, porta_at=(), vibrato=True):
    row = start
    for n in phrase:
        if n:
            put(p, row, ch, note(n), ins)
            if row - start in porta_at:
                fx(p, row, ch, 0x3, 0x20)  # glide into the note
                p[row][ch][1] = 0
        elif vibrato and row > start:
            fx(p, row, ch, 0x4, 0x46)  # vibrato on held notes
        row += 2


def intro():
    p = empty()
    harmony(p, pluck=False)
    for r in range(0, ROWS, 8):
        put(p, r, 5, note('C-4'), KICK, 0x10 + 20 + r // 2)
    put(p, 48, 1, note('E-5'), BELL)
    put(p, 56, 1, note('G-5'), BELL)
    for r in range(57, 64):
        fx(p, r, 1, 0xA, 0x02)  # fade the bell
    return p


def verse(alt):
    p = empty()
    rhythm(p)
    harmony(p)
    melody(p, MELODY_A, 0, porta_at=(4,))
    melody(p, MELODY_B if alt else MELODY_A, 32, porta_at=(6,))
    if alt:
        for r in range(0, 64, 16):
            put(p, r + 8, 1, note('A-5'), BELL, 0x28)
    return p


def bridge():
    # Rows 0-15 play twice (pattern loop); a pattern break ends it at row 48.
    p = empty()
    rhythm(p, full=False)
    harmony(p, pluck=True)
    fx(p, 0, 1, 0xE, 0x60)
    put(p, 0, 0, note('A-5'), LEAD)
    put(p, 4, 0, note('C-6'), 0, 0, 0x3, 0x18)
    put(p, 8, 0, note('B-5'), 0, 0, 0x3, 0x18)
    fx(p, 12, 0, 0x1, 0x02)  # a short slide up
    fx(p, 15, 1, 0xE, 0x61)
    put(p, 16, 0, note('E-5'), LEAD)
    for r in range(17, 32):
        fx(p, r, 0, 0x4, 0x58)
    put(p, 32, 0, note('D-5'), LEAD)
    fx(p, 40, 0, 0x2, 0x01)  # and a slow one down
    for r in range(44, 48):
        fx(p, r, 0, 0xA, 0x04)
    fx(p, 47, 4, 0xD, 0x00)  # pattern break
    return p


def outro():
    p = verse(False)
    for r in range(48, 64):
        for ch in range(CHANNELS):
            if p[r][ch][3] == 0 and p[r][ch][4] == 0 and ch not in (2,):
                fx(p, r, ch, 0xA, 0x03)  # everything fades
    fx(p, 63, 5, 0xB, 0x01)  # position jump back to the first verse
    return p


PATTERNS = [intro(), verse(False), verse(True), bridge(), outro()]
ORDERS = [0, 1, 2, 3, 1, 2, 3, 4]

# ---- writer ----------------------------------------------------------------


def pack_pattern(p):
    out = bytearray()
    for row in p:
        for n, ins, vol, f, prm in row:
            fields = [n, ins, vol, f, prm]
            mask = sum(1 << i for i, v in enumerate(fields) if v)
            if mask == 0x1F:
                out += bytes(fields)
            else:
                out.append(0x80 | mask)
                out += bytes(v for v in fields if v)
    return bytes(out)


def envelope_bytes(points):
    out = bytearray()
    for k in range(12):
        x, y = points[k] if k < len(points) else (0, 0)
        out += struct.pack('<HH', x, y)
    return out


def delta(data, bits16):
    out, prev = bytearray(), 0
    for v in data:
        if bits16:
            out += struct.pack('<H', (v - prev) & 0xFFFF)
        else:
            out.append((v - prev) & 0xFF)
        prev = v
    return bytes(out)


def write_xm():
    x = bytearray(b'Extended Module: ')
    x += b'Pellam About'.ljust(20, b' ') + b'\x1a' + b'pellam tools'.ljust(20, b' ')
    x += struct.pack('<HIHHHHHHHH', 0x104, 276, len(ORDERS), 1, CHANNELS, len(PATTERNS),
                     len(INSTRUMENTS), 1, 6, 125)
    x += bytes(ORDERS).ljust(256, b'\0')
    for p in PATTERNS:
        data = pack_pattern(p)
        x += struct.pack('<IBHH', 9, 0, ROWS, len(data)) + data
    for ins in INSTRUMENTS:
        s = ins['smp']
        head = struct.pack('<I22sBHI', 243, ins['name'].encode().ljust(22, b'\0'), 0, 1, 40)
        head += bytes(96)
        head += envelope_bytes(ins['venv']) + envelope_bytes(ins['penv'])
        vloop = ins['vloop'] or (0, 0)
        ploop = ins['ploop'] or (0, 0)
        vtype = (1 if ins['venv'] else 0) | (2 if ins['vsus'] is not None else 0) | (4 if ins['vloop'] else 0)
        ptype = (1 if ins['penv'] else 0) | (4 if ins['ploop'] else 0)
        head += bytes([len(ins['venv']), len(ins['penv']), ins['vsus'] or 0, vloop[0], vloop[1],
                       0, ploop[0], ploop[1], vtype, ptype]) + bytes(ins['vib'])
        head += struct.pack('<HH', ins['fade'], 0)
        assert len(head) == 243
        unit = 2 if s['bits16'] else 1
        loop_len = s['ll'] if s['loop'] else 0
        sh = struct.pack('<IIIBbBBbB22s', len(s['data']) * unit, s['ls'] * unit, loop_len * unit,
                         s['vol'], 0, s['loop'] | (0x10 if s['bits16'] else 0), s['pan'], s['rel'],
                         0, s['name'].encode().ljust(22, b'\0'))
        x += head + sh + delta(s['data'], s['bits16'])
    return bytes(x)


def write_cpp(data, path):
    lines = ['// Generated by tools/aboutsong/make_about_song.py; do not edit.',
             '#include "about/music/about_module.h"', '',
             'const unsigned char kAboutModule[] = {']
    for i in range(0, len(data), 16):
        lines.append('    ' + ', '.join('0x%02x' % b for b in data[i:i + 16]) + ',')
    lines += ['};', 'const unsigned kAboutModuleSize = sizeof kAboutModule;', '']
    with open(path, 'w') as f:
        f.write('\n'.join(lines))


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    xm = write_xm()
    with open(sys.argv[1], 'wb') as f:
        f.write(xm)
    write_cpp(xm, sys.argv[2])
    print('%d bytes' % len(xm))
