#!/usr/bin/env python3
"""Writes the small sound files the media tests play.

tone.wav  0.4 s of a 660 Hz sine, 11025 Hz mono 16-bit
tone.mp3  the same tone encoded by lame (needed only to regenerate)
tone.mid  one note of a square-wave lead, written byte by byte

Run it from anywhere: the files land beside this script.
"""
import math
import pathlib
import struct
import subprocess
import wave

HERE = pathlib.Path(__file__).resolve().parent


def write_wav(path, seconds=0.4, rate=11025, hz=660.0):
    frames = int(seconds * rate)
    ramp = rate // 200
    samples = []
    for i in range(frames):
        envelope = min(1.0, i / ramp, (frames - 1 - i) / ramp)
        samples.append(int(0.5 * envelope * 32767 * math.sin(2 * math.pi * hz * i / rate)))
    with wave.open(str(path), 'wb') as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(struct.pack('<%dh' % frames, *samples))


def write_midi(path):
    # Format 0, one track, 96 ticks per quarter note at the default 120 beats per
    # minute: program 80 (square lead), note 72 for 96 ticks (0.5 s), end of track.
    events = bytes([
        0x00, 0xC0, 80,
        0x00, 0x90, 72, 100,
        0x60, 0x80, 72, 0,
        0x00, 0xFF, 0x2F, 0x00,
    ])
    header = b'MThd' + struct.pack('>IHHH', 6, 0, 1, 96)
    track = b'MTrk' + struct.pack('>I', len(events)) + events
    path.write_bytes(header + track)


def main():
    write_wav(HERE / 'tone.wav')
    subprocess.run(['lame', '--quiet', '-b', '32', '-m', 'm', '--resample', '22.05',
                    str(HERE / 'tone.wav'), str(HERE / 'tone.mp3')], check=True)
    write_midi(HERE / 'tone.mid')


if __name__ == '__main__':
    main()
