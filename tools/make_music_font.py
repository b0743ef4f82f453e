#!/usr/bin/python3
# Builds resources/musical.ttf, the score's music font (face "MusicalSymbols"),
# from the Emmentaler engraving font: the shapes the score draws are scaled to one
# staff space per 88 units of a 1000-unit cell and placed at U+F000 + code.
#
# Developer tool, not run by the build: the generated font is committed.
# Needs the Debian packages python3-fontforge and lilypond-fonts.
#   /usr/bin/python3 tools/make_music_font.py [OUT.ttf]
#
# Vertical layout: the cell is 500 units above the baseline and 500 below, so a
# font of pixel size h has a cell h pixels high and the baseline at its middle.
# The score draws a glyph with its cell's middle on the staff position it marks,
# so every shape is placed with that position on the baseline.
import glob
import os
import sys

import fontforge
import psMat

SOURCE_GLOB = "/usr/share/lilypond/*/fonts/otf/emmentaler-20.otf"
SOURCE_SPACE = 250.0   # one staff space in the source font
SPACE = 88.0           # one staff space here (the score's line space is about 0.088 x font height)
SCALE = SPACE / SOURCE_SPACE
STEM = 11              # stem thickness
# From the head's centre to the stem's end, by flag count: more flags, longer stems.
STEM_LENGTH = {0: 320, 3: 320, 4: 330, 5: 390, 6: 470}
GRACE = 0.62           # size of grace notes and their accidentals

HEAD_WIDTH = round(326 * SCALE)                 # filled head
Q_ADVANCE = round((HEAD_WIDTH - STEM) / 0.81)   # the score puts an up-stem at 81 % of this

# Duration shapes with stems: code up, code down, head, flag level (0 none).
NOTES = [
    ("q", "Q", "noteheads.s2", 0),
    ("e", "E", "noteheads.s2", 3),
    ("x", "X", "noteheads.s2", 4),
    ("r", "R", "noteheads.s2", 5),
    (0x91, 0x90, "noteheads.s2", 6),   # sixty-fourth: 0x91 is the stem-up shape
    ("h", "H", "noteheads.s1", 0),
]

# The same stems and flags without their heads, for chords: the score draws the heads
# (bare, on either side of the stem) and one of these on the note the stem ends at.
# Codes 0xA0 + class with the stem up, 0xB0 + class down; class 0 is the sixty-fourth,
# 4 the quarter, 5 the half.
STEMS = [(0xA0 + c, 0xB0 + c, head, flag) for c, head, flag in [
    (0, "noteheads.s2", 6),
    (1, "noteheads.s2", 5),
    (2, "noteheads.s2", 4),
    (3, "noteheads.s2", 3),
    (4, "noteheads.s2", 0),
    (5, "noteheads.s1", 0),
]]

# Shapes copied whole: code, source glyph, vertical shift in staff spaces, scale.
PLAIN = [
    ("w", "noteheads.s0", 0, 1),
    (0xF6, "noteheads.s2", 0, 1),       # bare head; beams and stems are drawn by the score
    (0xF7, "noteheads.s1", 0, 1),       # bare half-note head, for chords
    (0x92, "rests.6", 0, 1),            # sixty-fourth rest
    (0xA8, "rests.5", 0, 1),
    (0xC5, "rests.4", 0, 1),
    (0xE4, "rests.3", 0, 1),
    ("g", "rests.2", 0, 1),
    (0xEE, "rests.1", 0, 1),            # half rest: sits on the line it is drawn at
    (0xEF, "rests.0", 0, 1),            # whole rest: hangs from the line it is drawn at
    ("#", "accidentals.sharp", 0, 1),
    ("b", "accidentals.flat", 0, 1),
    ("n", "accidentals.natural", 0, 1),
    (0xDC, "accidentals.doublesharp", 0, 1),
    (0xBA, "accidentals.flatflat", 0, 1),
    ("I", "accidentals.sharp", 0, GRACE),
    ("i", "accidentals.flat", 0, GRACE),
    ("N", "accidentals.natural", 0, GRACE),
    (".", "dots.dot", 0, 1),
    ("&", "clefs.G", 1, 1),             # the G line one space above the bottom line
    ("c", "timesig.C44", 0, 1),
    ("C", "timesig.C22", 0, 1),
]
DIGITS = ["zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"]

# Bar lines are drawn by the score; these blank glyphs only give their widths.
WIDTHS = [("l", 18), ("[", 18), ("]", 190)]

GAP = 12   # right side bearing of signs that stand before something


def code_of(c):
    return ord(c) if isinstance(c, str) else c


def new_glyph(font, code):
    return font.createChar(0xF000 + code_of(code), "u%04X" % (0xF000 + code_of(code)))


def add_shape(dst, src, matrix):
    layer = src.foreground.dup()
    layer.transform(matrix)
    dst.foreground += layer


def add_rect(dst, x0, y0, x1, y1):
    c = fontforge.contour()
    c.moveTo(x0, y0)
    c.lineTo(x0, y1)
    c.lineTo(x1, y1)
    c.lineTo(x1, y0)
    c.closed = True
    dst.foreground += c


def finish(g, advance):
    g.removeOverlap()
    g.correctDirection()
    g.round()
    g.width = int(advance)


def scaled(scale=1.0, dx=0.0, dy=0.0):
    return psMat.compose(psMat.scale(SCALE * scale), psMat.translate(dx, dy))


def note(font, src, code, head, flag, up, scale=1.0, with_head=True):
    g = new_glyph(font, code)
    h = src[head]
    hw = round(h.boundingBox()[2] * SCALE * scale)
    if with_head:
        add_shape(g, h, scaled(scale))
    stem = round(STEM * scale)
    length = round(STEM_LENGTH[flag] * scale)
    advance = round(Q_ADVANCE * scale) if head == "noteheads.s2" else round((hw - stem) / 0.81)
    if up:
        x0 = hw - stem
        add_rect(g, x0, 0, hw, length)
        if flag:
            f = src["flags.u%d" % flag]
            add_shape(g, f, scaled(scale, x0, length))
            advance = max(advance, round(x0 + f.boundingBox()[2] * SCALE * scale) + GAP)
    else:
        add_rect(g, 0, -length, stem, 0)
        if flag:
            f = src["flags.d%d" % flag]
            add_shape(g, f, scaled(scale, 0, -length))
            advance = max(advance, round(f.boundingBox()[2] * SCALE * scale) + GAP)
    finish(g, advance)


def plain(font, src, code, name, shift, scale):
    g = new_glyph(font, code)
    s = src[name]
    xmin = s.boundingBox()[0] * SCALE * scale
    add_shape(g, s, scaled(scale, -xmin, shift * SPACE))
    finish(g, round(s.boundingBox()[2] * SCALE * scale - xmin) + GAP)


def digit(font, src, code, name):
    g = new_glyph(font, code)
    s = src[name]
    xmin = s.boundingBox()[0] * SCALE
    add_shape(g, s, scaled(1, -xmin, -SPACE))   # two spaces high, centred on the baseline
    finish(g, round(s.boundingBox()[2] * SCALE - xmin) + GAP // 2)


def roll(font):
    # A crescent one head wide and half a space high, its ends on the baseline.
    g = new_glyph(font, "~")
    w, h = HEAD_WIDTH, SPACE * 0.5
    c = fontforge.contour()
    c.moveTo(0, 0)
    c.cubicTo((0.15 * w, 1.33 * h), (0.85 * w, 1.33 * h), (w, 0))
    c.cubicTo((0.8 * w, 0.85 * h), (0.2 * w, 0.85 * h), (0, 0))
    c.closed = True
    g.foreground += c
    finish(g, w + GAP)


def grace(font, src):
    # A small eighth with its stem up: grace groups draw no stems of their own.
    note(font, src, ";", "noteheads.s2", 3, True, GRACE)


def blank(font, code, advance):
    g = new_glyph(font, code)
    g.width = advance


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "musical.ttf")
    sources = sorted(glob.glob(SOURCE_GLOB))
    if not sources:
        sys.exit("make_music_font: %s not found (install lilypond-fonts)" % SOURCE_GLOB)
    src = fontforge.open(sources[-1])

    font = fontforge.font()
    font.encoding = "UnicodeFull"
    font.em = 1000
    font.ascent = 500
    font.descent = 500
    font.fontname = "MusicalSymbols"
    font.familyname = "MusicalSymbols"
    font.fullname = "MusicalSymbols"
    font.weight = "Regular"
    font.version = "1.0"
    font.copyright = ("Copyright (c) 1996-2017 The LilyPond authors (lilypond.org), with Reserved "
                      "Font Names \"Emmentaler\" and \"Feta\". Modified Version. Licensed under "
                      "the SIL Open Font License, Version 1.1 (OFL.txt).")
    font.appendSFNTName("English (US)", "License", "SIL Open Font License, Version 1.1")
    font.appendSFNTName("English (US)", "License URL", "https://openfontlicense.org")
    # The cell is exactly the em, whichever metric table a renderer reads.
    font.os2_winascent, font.os2_windescent = 500, 500
    font.os2_typoascent, font.os2_typodescent, font.os2_typolinegap = 500, -500, 0
    font.hhea_ascent, font.hhea_descent, font.hhea_linegap = 500, -500, 0
    font.os2_winascent_add = font.os2_windescent_add = False
    font.os2_typoascent_add = font.os2_typodescent_add = False
    font.hhea_ascent_add = font.hhea_descent_add = False
    font.os2_use_typo_metrics = True

    space = font.createChar(0x20, "space")
    space.width = round(SPACE)

    for up, down, head, flag in NOTES:
        note(font, src, up, head, flag, True)
        note(font, src, down, head, flag, False)
    for up, down, head, flag in STEMS:
        note(font, src, up, head, flag, True, with_head=False)
        note(font, src, down, head, flag, False, with_head=False)
    for code, name, shift, scale in PLAIN:
        plain(font, src, code, name, shift, scale)
    for i, name in enumerate(DIGITS):
        digit(font, src, ord("0") + i, name)
    roll(font)
    grace(font, src)
    for code, advance in WIDTHS:
        blank(font, code, advance)

    font.generate(out)
    print(out)


main()
