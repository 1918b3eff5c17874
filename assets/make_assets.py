#!/usr/bin/python3
"""Makes Stampwell's own background picture and sounds (standard library only).

ImageTime.bmp: a calm evening gradient with soft out-of-focus lights, quiet enough to sit behind
translucent panels. WorkBegin.wav / WorkEnd.wav: a rising and a falling two-note chime.
Chime.wav: four bell-like notes. Refusal.wav: one low note twice, short (a card not taken). Run it again to remake them; the output is deterministic.
"""
import math
import os
import random
import struct
import wave

HERE = os.path.dirname(os.path.abspath(__file__))


def make_picture(path, width=640, height=600):
    rng = random.Random(20261208)
    lights = []
    for _ in range(26):
        lights.append((rng.uniform(0, width), rng.uniform(0, height), rng.uniform(18, 70),
                       rng.uniform(0.10, 0.32), rng.choice([(255, 214, 150), (150, 210, 255),
                                                            (255, 170, 190), (200, 255, 230)])))
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # BMP rows go bottom-up
        t = y / (height - 1)
        base = (int(18 + 30 * t), int(34 + 70 * t), int(72 + 60 * t))
        row = bytearray()
        for x in range(width):
            r, g, b = base
            # a soft diagonal band of light
            band = math.exp(-((x - 0.9 * y - 120) / 170.0) ** 2) * 0.18
            r += 255 * band * 0.6
            g += 255 * band * 0.8
            b += 255 * band
            for lx, ly, radius, strength, colour in lights:
                d2 = ((x - lx) ** 2 + (y - ly) ** 2) / (radius * radius)
                if d2 < 4.0:
                    w = strength * math.exp(-d2 * 1.6)
                    r += (colour[0] - r) * w
                    g += (colour[1] - g) * w
                    b += (colour[2] - b) * w
            row += bytes((min(255, int(b)), min(255, int(g)), min(255, int(r))))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)


def bell(frequency, duration, rate):
    samples = []
    for i in range(int(duration * rate)):
        t = i / rate
        envelope = math.exp(-3.2 * t) * min(1.0, t * 200)
        value = (math.sin(2 * math.pi * frequency * t) + 0.35 * math.sin(2 * math.pi * 2 * frequency * t)
                 + 0.12 * math.sin(2 * math.pi * 3 * frequency * t))
        samples.append(value * envelope)
    return samples


def write_wave(path, notes, rate=22050, gap=0.18, tail=0.9):
    total = int((gap * (len(notes) - 1) + tail) * rate) + 1
    mix = [0.0] * total
    for n, frequency in enumerate(notes):
        start = int(n * gap * rate)
        for i, value in enumerate(bell(frequency, tail, rate)):
            if start + i < total:
                mix[start + i] += value
    peak = max(abs(v) for v in mix) or 1.0
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(rate)
        out.writeframes(b"".join(struct.pack("<h", int(v / peak * 0.6 * 32767)) for v in mix))


if __name__ == "__main__":
    make_picture(os.path.join(HERE, "ImageTime.bmp"))
    write_wave(os.path.join(HERE, "WorkBegin.wav"), [659.25, 987.77])          # E5, B5: rising
    write_wave(os.path.join(HERE, "WorkEnd.wav"), [987.77, 659.25])            # B5, E5: falling
    write_wave(os.path.join(HERE, "Chime.wav"), [659.25, 523.25, 587.33, 392.00], gap=0.55, tail=1.6)
    write_wave(os.path.join(HERE, "Refusal.wav"), [311.13, 311.13], gap=0.16, tail=0.35)  # Eb4 twice: low, short
