#!/usr/bin/python3
"""make_font.py: writes the show's seven-segment font, data/digital-7.ttf.

A slanted liquid-crystal face drawn from a handful of segments. Every code
from 32 to 126 has a glyph, Tab is blank, and every glyph advances the same
36 pixels at the size the show builds the font at (64 points at 96 dpi, so
one pixel is 12 font units). Digits and capitals fill a 30 x 54 pixel body;
the "1" and the "I" use the left-hand verticals, which lie exactly 26 pixels
left of the right-hand ones, so that the show's 26-pixel shift of a text
beginning with "1" lands it on the right half of the unlit 8.

Depends on fontTools (Debian's python3-fonttools). Deterministic: the time
stamps are fixed, so a rerun writes the same bytes.

    /usr/bin/python3 tools/assets/make_font.py OUT.ttf
"""

import math
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import newTable
from fontTools.ttLib.tables import ttProgram

UNITS_PER_EM = 1024  # 64 pt at 96 dpi is 85.33 pixels: 12 units a pixel
PX = 12
ADVANCE = 36  # pixels, every glyph

# The body, in upright pixels with y up from the baseline.
WIDTH = 30.5  # outer width of the 8
THICK = 4.5  # segment thickness; the verticals' left edges lie WIDTH - THICK apart
HALF = THICK / 2
TOP = 49.5  # the unlit 8 stays inside the credits bars all through the run
BOTTOM = -4.5
MID = (TOP + BOTTOM) / 2
GAP = 0.7  # between neighbouring segments
LEFT = 0.35  # body's left edge at the baseline, inside the cell
SLANT = 0.042  # x grows by this much per pixel of height (2.4 degrees)
DIAGONAL = 4.0  # thickness of the extra diagonal strokes

# A fixed moment (2026-01-01 00:00 UTC, seconds since 1904) for head's stamps.
TIMESTAMP = 3850156800

X0, X1 = HALF, WIDTH - HALF  # axes of the verticals
YA, YG, YD = TOP - HALF, MID, BOTTOM + HALF  # axes of the horizontals
XC = WIDTH / 2
# The inner openings of the 8.
IN_X0, IN_X1 = THICK + GAP, WIDTH - THICK - GAP
UP_Y0, UP_Y1 = MID + HALF + GAP, TOP - THICK - GAP
LO_Y0, LO_Y1 = BOTTOM + THICK + GAP, MID - HALF - GAP


def bar(p, q, trim=GAP):
    """A segment along the axis p -> q with pointed ends, trimmed at both."""
    (x0, y0), (x1, y1) = p, q
    length = math.hypot(x1 - x0, y1 - y0)
    ux, uy = (x1 - x0) / length, (y1 - y0) / length
    nx, ny = -uy, ux
    ax, ay = x0 + ux * trim, y0 + uy * trim
    bx, by = x1 - ux * trim, y1 - uy * trim
    h = HALF
    return [
        (ax, ay),
        (ax + ux * h + nx * h, ay + uy * h + ny * h),
        (bx - ux * h + nx * h, by - uy * h + ny * h),
        (bx, by),
        (bx - ux * h - nx * h, by - uy * h - ny * h),
        (ax + ux * h - nx * h, ay + uy * h - ny * h),
    ]


def stroke(p, q, thick=DIAGONAL):
    """A slanting stroke from p to q, its ends cut level."""
    (x0, y0), (x1, y1) = p, q
    length = math.hypot(x1 - x0, y1 - y0)
    w = thick * length / abs(y1 - y0) / 2
    return [(x0 - w, y0), (x0 + w, y0), (x1 + w, y1), (x1 - w, y1)]


def box(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def half_width(p, q):
    """Horizontal half-width of a stroke from p to q (see stroke)."""
    (x0, y0), (x1, y1) = p, q
    return DIAGONAL * math.hypot(x1 - x0, y1 - y0) / abs(y1 - y0) / 2


# The seven segments, halves of three of them, and the centre stems.
SEGMENTS = {
    "a": bar((X0, YA), (X1, YA)),
    "b": bar((X1, YA), (X1, YG)),
    "c": bar((X1, YG), (X1, YD)),
    "d": bar((X0, YD), (X1, YD)),
    "e": bar((X0, YG), (X0, YD)),
    "f": bar((X0, YA), (X0, YG)),
    "g": bar((X0, YG), (X1, YG)),
    "a_l": bar((X0, YA), (XC, YA)),
    "a_r": bar((XC, YA), (X1, YA)),
    "d_l": bar((X0, YD), (XC, YD)),
    "d_r": bar((XC, YD), (X1, YD)),
    "g_l": bar((X0, YG), (XC, YG)),
    "g_r": bar((XC, YG), (X1, YG)),
    "j": bar((XC, YA), (XC, YG), HALF + GAP),  # upper centre stem
    "k": bar((XC, YG), (XC, YD), HALF + GAP),  # lower centre stem
    "stem": bar((XC, YA), (XC, YD - HALF), HALF + GAP),  # T's full stem
}


W_DIAG_FULL = half_width((IN_X0, UP_Y1), (IN_X1, LO_Y0))
W_DIAG_HALF = half_width((IN_X0, UP_Y1), (XC, MID))

DIAGONALS = {
    # top-left to bottom-right, and the other way
    "tl_br": stroke((IN_X0 + W_DIAG_FULL, UP_Y1), (IN_X1 - W_DIAG_FULL, LO_Y0)),
    "tr_bl": stroke((IN_X1 - W_DIAG_FULL, UP_Y1), (IN_X0 + W_DIAG_FULL, LO_Y0)),
    # from the top corners to the centre (M) and from the bottom ones (W)
    "tl_c": stroke((IN_X0 + W_DIAG_HALF, UP_Y1), (XC, MID)),
    "tr_c": stroke((IN_X1 - W_DIAG_HALF, UP_Y1), (XC, MID)),
    "bl_c": stroke((IN_X0 + W_DIAG_HALF, LO_Y0), (XC, MID)),
    "br_c": stroke((IN_X1 - W_DIAG_HALF, LO_Y0), (XC, MID)),
    # K's arms from the middle of the left side
    "ml_tr": stroke((IN_X0 + W_DIAG_FULL / 2, MID), (IN_X1 - W_DIAG_HALF, UP_Y1)),
    "ml_br": stroke((IN_X0 + W_DIAG_FULL / 2, MID), (IN_X1 - W_DIAG_HALF, LO_Y0)),
    # V's lower arms, from the ends of the upper verticals to the bottom centre
    "v_l": stroke((HALF + 1.0, MID - HALF), (XC - 1.2, BOTTOM + 0.5)),
    "v_r": stroke((WIDTH - HALF - 1.0, MID - HALF), (XC + 1.2, BOTTOM + 0.5)),
    # R's leg and Q's tail
    "leg": stroke((XC + 1.5, LO_Y1), (WIDTH - 2.6, BOTTOM + 0.5)),
    "tail": stroke((XC + 2.0, LO_Y0 + 7.0), (WIDTH - 3.0, BOTTOM + 0.5)),
    # full-height slashes
    "slash": stroke((2.4, BOTTOM), (WIDTH - 2.4, TOP)),
    "backslash": stroke((2.4, TOP), (WIDTH - 2.4, BOTTOM)),
    # angle brackets and caret
    "lt_up": stroke((IN_X1 - W_DIAG_HALF, UP_Y1), (IN_X0 + 1.5, MID)),
    "lt_dn": stroke((IN_X0 + 1.5, MID), (IN_X1 - W_DIAG_HALF, LO_Y0)),
    "gt_up": stroke((IN_X0 + W_DIAG_HALF, UP_Y1), (IN_X1 - 1.5, MID)),
    "gt_dn": stroke((IN_X1 - 1.5, MID), (IN_X0 + W_DIAG_HALF, LO_Y0)),
    "caret_l": stroke((IN_X0 + 1.0, UP_Y0 + 4), (XC, TOP - 0.5)),
    "caret_r": stroke((XC, TOP - 0.5), (IN_X1 - 1.0, UP_Y0 + 4)),
    # a wave for the tilde
    "wave_1": stroke((2.5, MID - 3), (10.0, MID + 3)),
    "wave_2": stroke((10.0, MID + 3), (20.0, MID - 3)),
    "wave_3": stroke((20.0, MID - 3), (27.5, MID + 3)),
    # round brackets: a short upright with slanting ends
    "paren_l_up": stroke((XC + 1.0, TOP - 0.5), (IN_X0 + 0.2, UP_Y0 + 2.0)),
    "paren_l_dn": stroke((IN_X0 + 0.2, LO_Y1 - 2.0), (XC + 1.0, BOTTOM + 0.5)),
    "paren_r_up": stroke((XC - 1.0, TOP - 0.5), (IN_X1 - 0.2, UP_Y0 + 2.0)),
    "paren_r_dn": stroke((IN_X1 - 0.2, LO_Y1 - 2.0), (XC - 1.0, BOTTOM + 0.5)),
    # the comma's tail
    "comma": stroke((4.0, 2.5), (2.6, BOTTOM)),
    "tick": stroke((1.5, TOP), (4.5, TOP - 9)),
}

# Narrow marks on the left, where the "1" stands.
MARKS = {
    "dot": box(0.0, BOTTOM, THICK, BOTTOM + THICK),
    "colon_lo": box(0.0, LO_Y0 + 6.0, THICK + 0.5, LO_Y0 + 10.5),
    "colon_hi": box(0.0, UP_Y1 - 12.5, THICK + 0.5, UP_Y1 - 8.0),
    "quote": box(0.4, TOP - 13.0, THICK - 0.4, TOP),
    "paren_l": box(IN_X0 + 0.2 - DIAGONAL / 2, LO_Y1 - 2.5, IN_X0 + 0.2 + DIAGONAL / 2, UP_Y0 + 2.5),
    "paren_r": box(IN_X1 - 0.2 - DIAGONAL / 2, LO_Y1 - 2.5, IN_X1 - 0.2 + DIAGONAL / 2, UP_Y0 + 2.5),
    "bar": box(XC - HALF, BOTTOM, XC + HALF, TOP),
    "q_dot": box(XC - HALF, BOTTOM, XC + HALF, BOTTOM + THICK),
    "q_stem": bar((XC, YG), (XC, 8.0), HALF + GAP),
    "hash_v1": box(8.0, BOTTOM + 2, 12.0, TOP - 2),
    "hash_v2": box(18.0, BOTTOM + 2, 22.0, TOP - 2),
    "hash_h1": box(1.0, 11.0, WIDTH - 1.0, 15.0),
    "hash_h2": box(1.0, 30.0, WIDTH - 1.0, 34.0),
    "bang_dot": box(0.0, BOTTOM, THICK, BOTTOM + THICK),
    "bang": bar((X0, YA), (X0, 4.0)),
}

PARTS = {**SEGMENTS, **DIAGONALS, **MARKS}

# What each character is made of.
GLYPHS = {
    " ": "",
    "0": "a b c d e f",
    "1": "e f",
    "2": "a b g e d",
    "3": "a b g c d",
    "4": "f g b c",
    "5": "a f g c d",
    "6": "a f g e d c",
    "7": "a b c",
    "8": "a b c d e f g",
    "9": "a b c d f g",
    "A": "a b c e f g",
    "B": "c d e f g",
    "C": "a d e f",
    "D": "b c d e g",
    "E": "a d e f g",
    "F": "a e f g",
    "G": "a c d e f",
    "H": "b c e f g",
    "I": "e f",
    "J": "b c d e",
    "K": "e f ml_tr ml_br",
    "L": "d e f",
    "M": "b c e f tl_c tr_c",
    "N": "b c e f tl_br",
    "O": "a b c d e f",
    "P": "a b e f g",
    "Q": "a b c d e f tail",
    "R": "a b e f g leg",
    "S": "a c d f g",
    "T": "a stem",
    "U": "b c d e f",
    "V": "b f v_l v_r",
    "W": "b c e f bl_c br_c",
    "X": "tl_br tr_bl",
    "Y": "b c d f g",
    "Z": "a d tr_bl",
    "a": "a b c d e g",
    "b": "c d e f g",
    "c": "d e g",
    "d": "b c d e g",
    "e": "a b d e f g",
    "f": "a e f g",
    "g": "a b c d f g",
    "h": "c e f g",
    "i": "e",
    "j": "b c d",
    "k": "e f ml_tr ml_br",
    "l": "e f",
    "m": "c e g k",
    "n": "c e g",
    "o": "c d e g",
    "p": "a b e f g",
    "q": "a b c f g",
    "r": "e g",
    "s": "a c d f g",
    "t": "d e f g",
    "u": "c d e",
    "v": "c d e",
    "w": "c d e k",
    "x": "tl_br tr_bl",
    "y": "b c d f g",
    "z": "a d tr_bl",
    "!": "bang bang_dot",
    '"': "f b",
    "#": "hash_v1 hash_v2 hash_h1 hash_h2",
    "$": "a f g c d j k",
    "%": "f c slash",
    "&": "a b f g_l e d leg",
    "'": "quote",
    "(": "paren_l_up paren_l paren_l_dn",
    ")": "paren_r_up paren_r paren_r_dn",
    "*": "g j k tl_br tr_bl",
    "+": "g j k",
    ",": "dot comma",
    "-": "g",
    ".": "dot",
    "/": "slash",
    ":": "colon_lo colon_hi",
    ";": "colon_hi dot comma",
    "<": "lt_up lt_dn",
    "=": "g d",
    ">": "gt_up gt_dn",
    "?": "a b g_r q_stem q_dot",
    "@": "a b c d e f g_r k",
    "[": "a f e d",
    "\\": "backslash",
    "]": "a b c d",
    "^": "caret_l caret_r",
    "_": "d",
    "`": "tick",
    "{": "a_l f e d_l g_l",
    "|": "bar",
    "}": "a_r b c d_r g_r",
    "~": "wave_1 wave_2 wave_3",
}


def to_units(points):
    """Upright pixels -> slanted font units, clockwise (TrueType's filled side)."""
    out = [(round((LEFT + x + SLANT * y) * PX), round(y * PX)) for x, y in points]
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(out, out[1:] + out[:1]))
    if area > 0:
        out.reverse()
    return out


def draw_contour(pen, points):
    pen.moveTo(points[0])
    for p in points[1:]:
        pen.lineTo(p)
    pen.closePath()


def make_glyph(parts):
    pen = TTGlyphPen(None)
    for name in parts.split():
        draw_contour(pen, to_units(PARTS[name]))
    return pen.glyph()


def make_notdef():
    # A hollow box: the outer edge clockwise, the inner one the other way.
    pen = TTGlyphPen(None)
    outer = to_units(box(0, 0, WIDTH - 1, TOP - 1))
    inner = to_units(box(THICK, THICK, WIDTH - 1 - THICK, TOP - 1 - THICK))
    inner.reverse()
    draw_contour(pen, outer)
    draw_contour(pen, inner)
    return pen.glyph()


def add_prep(font):
    """A control-value program of its own: FreeType runs a TrueType font that
    has none through its auto-hinter, which would move every glyph's stems
    and heights to its own liking (a "1" would then no longer match the 8's
    verticals). With it the outlines are rasterised as drawn."""
    prep = newTable("prep")
    prep.program = ttProgram.Program()
    # Dropout control on at every size, smart mode.
    prep.program.fromAssembly(["PUSHW[ ]", "511", "SCANCTRL[ ]", "PUSHB[ ]", "4", "SCANTYPE[ ]"])
    font["prep"] = prep
    font["maxp"].maxStackElements = 2


def glyph_name(ch):
    return "space" if ch == " " else "uni%04X" % ord(ch)


def build(path):
    names = [".notdef", "tab"] + [glyph_name(chr(c)) for c in range(32, 127)]
    glyphs = {".notdef": make_notdef(), "tab": TTGlyphPen(None).glyph()}
    cmap = {9: "tab"}
    for c in range(32, 127):
        ch = chr(c)
        glyphs[glyph_name(ch)] = make_glyph(GLYPHS[ch])
        cmap[c] = glyph_name(ch)

    fb = FontBuilder(UNITS_PER_EM, isTTF=True)
    fb.updateHead(created=TIMESTAMP, modified=TIMESTAMP)
    fb.setupGlyphOrder(names)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyphs)
    glyf = fb.font["glyf"]
    advance = ADVANCE * PX
    fb.setupHorizontalMetrics({n: (advance, getattr(glyf[n], "xMin", 0)) for n in names})
    ascent, descent = round((TOP + 3) * PX), round((-BOTTOM + 3) * PX)
    fb.setupHorizontalHeader(ascent=ascent, descent=-descent)
    family = "Tangle Segments"
    fb.setupNameTable(
        {
            "copyright": "Copyright the Tangle developers",
            "familyName": family,
            "styleName": "Italic",
            "uniqueFontIdentifier": family + " Italic 1.0",
            "fullName": family + " Italic",
            "psName": "TangleSegments-Italic",
            "version": "Version 1.000",
            "licenseDescription": "Free to use, copy, change and pass on; see digital-7.LICENSE.txt",
        }
    )
    fb.setupOS2(
        sTypoAscender=ascent,
        sTypoDescender=-descent,
        sTypoLineGap=0,
        usWinAscent=ascent,
        usWinDescent=descent,
        fsSelection=0x0001,  # italic
    )
    fb.setupPost(isFixedPitch=1, italicAngle=-math.degrees(math.atan(SLANT)))
    fb.font["head"].macStyle = 0x0002  # italic
    add_prep(fb.font)
    fb.save(path)


if __name__ == "__main__":
    if sys.argv[1:] in (["--help"], ["-h"]):
        sys.stdout.write("usage: make_font.py OUT.ttf\n"
                         "Draws the show's seven-segment font and writes it to OUT.ttf.\n"
                         "No options but --help. Status 1: OUT.ttf can't be written; 2: bad arguments.\n")
        sys.exit(0)
    if len(sys.argv) != 2:
        sys.stderr.write("usage: make_font.py OUT.ttf\n")
        sys.exit(2)
    try:
        build(sys.argv[1])
    except OSError as error:
        sys.stderr.write("tangle: %s: %s\n" % (sys.argv[1], error.strerror))
        sys.exit(1)
