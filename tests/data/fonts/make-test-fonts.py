#!/usr/bin/env python3
# Makes the test suite's own font family, "Vellumo Test Sans", in its four faces (regular, bold,
# italic, bold italic), so that font tests never depend on the fonts a machine happens to have.
# The glyphs are plain boxes: the tests need faces and styles, not letter shapes.
# Run once by hand (needs python3-fonttools); the .ttf files it writes are committed.
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

FAMILY = "Vellumo Test Sans"
UNITS_PER_EM = 1000
ADVANCE = 600
ASCENT, DESCENT = 800, -200
CHARACTERS = [chr(c) for c in range(0x21, 0x7F)]

FACES = [
    # file suffix, style name, bold, italic
    ("Regular", "Regular", False, False),
    ("Bold", "Bold", True, False),
    ("Italic", "Italic", False, True),
    ("BoldItalic", "Bold Italic", True, True),
]


def box(bold, italic):
    pen = TTGlyphPen(None)
    stem = 140 if bold else 70
    slant = 120 if italic else 0
    # An outer box with a hole: the stem width is what tells bold from regular.
    outer = [(50, 0), (50 + slant, 700), (550 + slant, 700), (550, 0)]
    inner = [(50 + stem, stem), (550 - stem, stem), (550 - stem + slant, 700 - stem),
             (50 + stem + slant, 700 - stem)]
    for contour in (outer, inner):
        pen.moveTo(contour[0])
        for point in contour[1:]:
            pen.lineTo(point)
        pen.closePath()
    return pen.glyph()


def empty():
    return TTGlyphPen(None).glyph()


def build(folder, suffix, style, bold, italic):
    names = [".notdef", "space"] + ["g%02X" % ord(c) for c in CHARACTERS]
    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.setupGlyphOrder(names)
    cmap = {0x20: "space"}
    cmap.update({ord(c): "g%02X" % ord(c) for c in CHARACTERS})
    fb.setupCharacterMap(cmap)
    glyphs = {".notdef": box(bold, italic), "space": empty()}
    glyphs.update({"g%02X" % ord(c): box(bold, italic) for c in CHARACTERS})
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({name: (ADVANCE, 50) for name in names})
    fb.setupHorizontalHeader(ascent=ASCENT, descent=DESCENT)
    ps_name = FAMILY.replace(" ", "") + "-" + suffix
    fb.setupNameTable({
        "familyName": FAMILY,
        "styleName": style,
        "uniqueFontIdentifier": ps_name,
        "fullName": FAMILY + " " + style,
        "psName": ps_name,
        "version": "Version 1.000",
    })
    fs_selection = (1 << 0 if italic else 0) | (1 << 5 if bold else 0)
    if not bold and not italic:
        fs_selection = 1 << 6
    fb.setupOS2(usWeightClass=700 if bold else 400, fsSelection=fs_selection,
                sTypoAscender=ASCENT, sTypoDescender=DESCENT, usWinAscent=ASCENT,
                usWinDescent=-DESCENT)
    fb.setupPost(italicAngle=-12 if italic else 0)
    fb.font["head"].macStyle = (1 if bold else 0) | (2 if italic else 0)
    fb.save(os.path.join(folder, "VellumoTestSans-%s.ttf" % suffix))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for face in FACES:
        build(folder, *face)


if __name__ == "__main__":
    main()
