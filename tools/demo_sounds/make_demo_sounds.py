#!/usr/bin/env python3
"""Synthesises the demo game's sounds: python3 make_demo_sounds.py OUTPUT_DIR

Every sound is built from sine and noise voices shaped by short envelopes and
written as 16-bit mono WAV at the engine's mixing rate. The music is four
bars of a pentatonic tune over a bass line whose length is a whole number of
beats, so that it loops without a seam. Only the standard library is used and
the noise comes from a fixed seed, so the files are the same on every run.
"""

import math
import os
import random
import struct
import sys
import wave

RATE = 22050


def write_wav(path, samples):
    """Samples are floats in -1..1; they are clipped, not normalised."""
    frames = b"".join(struct.pack("<h", int(max(-1.0, min(1.0, s)) * 32767)) for s in samples)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def envelope(t, attack, decay):
    """Linear attack, then exponential decay with the given time constant."""
    if t < attack:
        return t / attack
    return math.exp(-(t - attack) / decay)


def pickup():
    """Two bright notes a fifth apart, the second higher: a reward."""
    out = []
    for i in range(int(RATE * 0.32)):
        t = i / RATE
        freq = 988.0 if t < 0.08 else 1480.0
        start = 0.0 if t < 0.08 else 0.08
        amp = envelope(t - start, 0.004, 0.07)
        out.append(0.45 * amp * (math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)))
    return out


def hit(rng):
    """A falling tone under a burst of noise: something bumped."""
    out = []
    phase = 0.0
    for i in range(int(RATE * 0.28)):
        t = i / RATE
        freq = 320.0 * math.exp(-t * 6.0) + 60.0
        phase += 2 * math.pi * freq / RATE
        amp = envelope(t, 0.002, 0.06)
        out.append(amp * (0.55 * math.sin(phase) + 0.25 * (rng.random() * 2 - 1)))
    return out


def footstep(rng):
    """A soft thud: low-passed noise with a very short decay."""
    out = []
    smooth = 0.0
    for i in range(int(RATE * 0.09)):
        t = i / RATE
        smooth += 0.18 * ((rng.random() * 2 - 1) - smooth)
        out.append(0.9 * envelope(t, 0.003, 0.018) * smooth + 0.2 * envelope(t, 0.001, 0.01) * math.sin(2 * math.pi * 110 * t))
    return out


def note_frequency(semitones_from_a4):
    return 440.0 * 2 ** (semitones_from_a4 / 12.0)


def music():
    """Sixteen beats at 96 per minute; melody and bass restart together."""
    beat = 60.0 / 96.0
    melody = [0, 3, 5, 7, 10, 7, 5, 3, 0, -2, 0, 3, 5, 3, 0, -5]
    bass = [-24, -24, -19, -19, -21, -21, -17, -17]
    length = int(RATE * beat * len(melody))
    out = [0.0] * length
    for index, step in enumerate(melody):
        start = int(RATE * beat * index)
        freq = note_frequency(step)
        for i in range(int(RATE * beat)):
            t = i / RATE
            amp = envelope(t, 0.01, 0.25)
            out[start + i] += 0.22 * amp * (math.sin(2 * math.pi * freq * t) + 0.2 * math.sin(6 * math.pi * freq * t))
    for index, step in enumerate(bass):
        start = int(RATE * beat * 2 * index)
        freq = note_frequency(step)
        for i in range(int(RATE * beat * 2)):
            t = i / RATE
            # Fades in and out inside its two beats so the loop point is silent.
            amp = min(1.0, t / 0.02, (beat * 2 - t) / 0.05)
            out[start + i] += 0.2 * amp * math.sin(2 * math.pi * freq * t)
    return out


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__.splitlines()[0])
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(20261209)
    sounds = {"pickup.wav": pickup(), "hit.wav": hit(rng), "footstep.wav": footstep(rng), "music.wav": music()}
    for name, samples in sounds.items():
        write_wav(os.path.join(folder, name), samples)
        print("wrote", name, "%.2f s" % (len(samples) / RATE))


if __name__ == "__main__":
    main()
