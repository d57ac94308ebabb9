#!/usr/bin/env python3
"""Makes the game's CJK font: Noto Sans CJK cut down to the characters of the
Japanese, Chinese and Korean texts (as printed by cjk_charset) plus ASCII,
renamed to the family "Orlavan Chess CJK".

Subsetting the big collection takes seconds, so a key of everything the
result depends on is kept beside it; when that key matches, the font is only
touched to tell the build it is current.
"""
import argparse
import hashlib
import os
import subprocess
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = "Orlavan Chess CJK"
POSTSCRIPT_NAME = "OrlavanChessCJK-Regular"
# Simplified Chinese shapes; the collection's faces share the Hangul and kana.
FACE = "Noto Sans CJK SC"


def read_charset(tool):
    out = subprocess.run([tool], check=True, capture_output=True).stdout.decode("utf-8")
    chars = {ord(c) for c in out if c not in "\r\n"}
    chars.update(range(0x20, 0x7F))
    return sorted(chars)


def build_key(code_points, source):
    digest = hashlib.sha256()
    digest.update(" ".join(map(str, code_points)).encode())
    stat = os.stat(source)
    digest.update(f"{source} {stat.st_size} {stat.st_mtime_ns}".encode())
    with open(__file__, "rb") as script:
        digest.update(script.read())
    return digest.hexdigest()


def face_index(source):
    from fontTools.ttLib import TTCollection

    collection = TTCollection(source, lazy=True)
    for index, font in enumerate(collection.fonts):
        if font["name"].getDebugName(1) == FACE:
            return index
    sys.exit(f"make_cjk_font: no face '{FACE}' in {source}")


def rename(font):
    names = font["name"]
    names.names = [n for n in names.names if n.nameID not in (1, 2, 3, 4, 6, 16, 17)]
    for name_id, text in (
        (1, FAMILY),
        (2, "Regular"),
        (3, POSTSCRIPT_NAME),
        (4, FAMILY),
        (6, POSTSCRIPT_NAME),
    ):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    if "CFF " in font:
        font["CFF "].cff.fontNames = [POSTSCRIPT_NAME]


def make_font(source, code_points, output):
    font = TTFont(source, fontNumber=face_index(source), lazy=False)
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.hinting = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=code_points)
    subsetter.subset(font)
    rename(font)
    temporary = output + ".neu"
    font.save(temporary)
    os.replace(temporary, output)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--charset-tool", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    code_points = read_charset(args.charset_tool)
    key = build_key(code_points, args.source)
    key_file = args.output + ".key"
    if os.path.exists(args.output) and os.path.exists(key_file):
        with open(key_file, encoding="ascii") as f:
            if f.read().strip() == key:
                os.utime(args.output)
                return
    make_font(args.source, code_points, args.output)
    with open(key_file, "w", encoding="ascii") as f:
        f.write(key + "\n")


if __name__ == "__main__":
    main()
