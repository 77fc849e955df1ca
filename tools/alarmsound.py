"""The default alarm sound: two quick rising arpeggios of bell-like tones, a
short rest, and the same again; about three and a half seconds, ending in
silence so it loops cleanly when the alarm replays it.

The samples are computed here (44.1 kHz, 16-bit mono) and handed to the `lame`
encoder, which is deterministic for a given input and settings.
"""

import math
import os
import struct
import subprocess
import tempfile

RATE = 44100

# A major, rising: A5, C#6, E6, A6.
ARPEGGIO = [880.0, 1108.73, 1318.51, 1760.0]
NOTE_STEP = 0.12  # seconds from one note to the next
NOTE_RING = 0.34  # how long each note is allowed to ring out
GROUP_REST = 0.14  # between the two arpeggios of a phrase
PHRASE_REST = 0.52  # after each phrase
PHRASES = 2
PEAK = 0.78  # of full scale


def _note(freq, length):
    """A struck tone: fundamental with two softer harmonics, 4 ms attack and an
    exponential decay."""
    n = int(length * RATE)
    out = []
    attack = int(0.004 * RATE)
    for i in range(n):
        t = i / RATE
        env = math.exp(-t / 0.11)
        if i < attack:
            env *= i / attack
        # end the tail at exactly zero
        tail = n - i
        if tail < 256:
            env *= tail / 256
        v = (
            math.sin(2 * math.pi * freq * t)
            + 0.30 * math.sin(2 * math.pi * 2 * freq * t) * math.exp(-t / 0.05)
            + 0.12 * math.sin(2 * math.pi * 3 * freq * t) * math.exp(-t / 0.03)
        )
        out.append(v * env)
    return out


def samples():
    """The whole tune as floats in -1..1."""
    starts = []
    t = 0.02
    for _ in range(PHRASES):
        for group in range(2):
            for freq in ARPEGGIO:
                starts.append((t, freq))
                t += NOTE_STEP
            t += GROUP_REST if group == 0 else PHRASE_REST
    total = int((t + 0.05) * RATE)
    mixbuf = [0.0] * total
    cache = {}
    for start, freq in starts:
        tone = cache.get(freq)
        if tone is None:
            tone = cache[freq] = _note(freq, NOTE_RING)
        base = int(round(start * RATE))
        for i, v in enumerate(tone):
            if base + i < total:
                mixbuf[base + i] += v
    peak = max(abs(v) for v in mixbuf) or 1.0
    return [v * PEAK / peak for v in mixbuf]


def wav_bytes(values):
    data = b"".join(struct.pack("<h", max(-32767, min(32767, int(round(v * 32767))))) for v in values)
    header = struct.pack(
        "<4sI4s4sIHHIIHH4sI",
        b"RIFF",
        36 + len(data),
        b"WAVE",
        b"fmt ",
        16,
        1,  # PCM
        1,  # mono
        RATE,
        RATE * 2,
        2,
        16,
        b"data",
        len(data),
    )
    return header + data


def write_mp3(path, lame="lame", bitrate=80):
    """Encode the tune to an MP3 file at path (mono, 44.1 kHz, constant bitrate)."""
    with tempfile.TemporaryDirectory() as tmp:
        wav = os.path.join(tmp, "alarm.wav")
        with open(wav, "wb") as f:
            f.write(wav_bytes(samples()))
        subprocess.run(
            [lame, "--quiet", "--noreplaygain", "-m", "m", "-b", str(bitrate), "-q", "2", wav, path],
            check=True,
        )
