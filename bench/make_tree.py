#!/usr/bin/env python3
"""Writes a tree of mixed files of about the given size, the same every time:
make_tree.py <folder> <MiB>

Kinds, by share of the bytes: text (compresses well), binary with structure
(compresses partly), random data (does not compress), with many small files,
a few hundred medium ones and a couple of large ones.
"""
import os
import random
import sys

WORDS = ("update package version folder window progress archive entry offset "
         "header stream buffer install restart script 업데이트 버전 설치 파일 "
         "0 1 2 3 42 1024 0x7f true false null {} [] ; = < > /").split()


def text_block(rng, size):
    out = []
    n = 0
    while n < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(3, 14))) + "\n"
        out.append(line)
        n += len(line.encode())
    return "".join(out).encode()[:size]


def structured_block(rng, size):
    # Records with small counters and runs of zeros, as in executables.
    out = bytearray()
    i = 0
    while len(out) < size:
        out += i.to_bytes(4, "little") + bytes(rng.randint(0, 24)) + rng.randbytes(rng.randint(2, 12))
        i += rng.randint(1, 3)
    return bytes(out[:size])


def main():
    folder, mib = sys.argv[1], int(sys.argv[2])
    total = mib << 20
    rng = random.Random(20261209)
    text = text_block(rng, 4 << 20)
    structured = structured_block(rng, 4 << 20)

    def content(kind, size):
        if kind == "random":
            return os.urandom(size)
        source = text if kind == "text" else structured
        out = bytearray()
        while len(out) < size:
            start = rng.randrange(len(source) - 4096)
            out += source[start:start + min(size - len(out), rng.randint(64 << 10, 1 << 20))]
        return bytes(out)

    # (share of bytes, size range, kinds)
    plan = [
        (0.10, (1 << 10, 64 << 10), ["text", "text", "structured"]),
        (0.55, (512 << 10, 8 << 20), ["text", "structured", "random"]),
        (0.35, (96 << 20, 192 << 20), ["structured", "random"]),
    ]
    written = count = 0
    for share, (low, high), kinds in plan:
        budget = int(total * share)
        part = 0
        while part < budget:
            size = min(rng.randint(low, high), budget - part)
            kind = kinds[count % len(kinds)]
            sub = os.path.join(folder, f"d{count % 17:02d}", f"s{count % 5}")
            os.makedirs(sub, exist_ok=True)
            with open(os.path.join(sub, f"f{count:05d}.{kind[:3]}"), "wb") as f:
                f.write(content(kind, size))
            part += size
            count += 1
        written += part
    print(f"{count} files, {written >> 20} MiB")


main()
