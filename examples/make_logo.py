#!/usr/bin/env python3
"""Draws the sample logo, a red V mark over the name VESTRAL and a rule, as free-form outline.

Every piece is a convex polygon of its own section: P sections 1 to 3 are the red mark, the
next P sections the dark letters, and the TP section the dark rule under the name. Turn the
output into logo.txt with

    python3 examples/make_logo.py | build/logotipo-outline format >examples/logo.txt
"""
import math

CENTRE = (-2.57, 0.01)  # the point the program brings to the middle of the view
# At scale 2 the view reaches 0.5 from the centre in every direction, and the back faces
# lie 0.1 deep: every point stays within this distance of the centre.
REACH = 0.48
LIFT = -0.03  # the whole logo sits this much off the centre, to balance mark and name

# The name: cap height, stroke, baseline and the gap between letters.
CAP = 0.12
STROKE = 0.022
BASELINE = -0.215
GAP = 0.024
ARC_STEP = 15  # degrees per piece of a curved stroke


def section(header, points, label):
    print(f"{header}  # {label}")
    for x, y in points:
        y += LIFT
        assert math.hypot(x, y) <= REACH, (label, x, y)
        print(f"{CENTRE[0] + x:.4f} {CENTRE[1] + y:.4f}")


def box(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def arc(cx, cy, rx, ry, start, end, stroke):
    """The pieces of an elliptic stroke from angle start to end (degrees), stroke wide."""
    pieces = []
    steps = max(1, round(abs(end - start) / ARC_STEP))
    for i in range(steps):
        a0 = math.radians(start + (end - start) * i / steps)
        a1 = math.radians(start + (end - start) * (i + 1) / steps)
        outer = (rx + stroke / 2, ry + stroke / 2)
        inner = (rx - stroke / 2, ry - stroke / 2)
        quad = [
            (cx + outer[0] * math.cos(a0), cy + outer[1] * math.sin(a0)),
            (cx + outer[0] * math.cos(a1), cy + outer[1] * math.sin(a1)),
            (cx + inner[0] * math.cos(a1), cy + inner[1] * math.sin(a1)),
            (cx + inner[0] * math.cos(a0), cy + inner[1] * math.sin(a0)),
        ]
        pieces.append(quad)
    return pieces


def chevron(left, width, top, bottom, stroke, inverted=False):
    """Two slanted strokes meeting at the middle: a V, or an A without its bar."""
    mid = left + width / 2
    slope = (top - bottom) / (width / 2)  # rise per unit of x along the outer edge
    notch = stroke * slope  # how far the inner edges meet from the tip
    if not inverted:
        tip, far = bottom, top
        inner_tip = bottom + notch
    else:
        tip, far = top, bottom
        inner_tip = top - notch
    return [
        [(left, far), (left + stroke, far), (mid, inner_tip), (mid, tip)],
        [(mid, tip), (mid, inner_tip), (left + width - stroke, far), (left + width, far)],
    ]


def letter_v(x):
    w = 0.112
    return w, chevron(x, w, BASELINE + CAP, BASELINE, 0.028)


def letter_a(x):
    w = 0.112
    strokes = chevron(x, w, BASELINE + CAP, BASELINE, 0.028, inverted=True)
    # The bar runs between the inner edges, a little into each stroke.
    slope = CAP / (w / 2)
    y0, y1 = BASELINE + 0.030, BASELINE + 0.030 + STROKE * 0.9

    def inner_left(y):
        return x + 0.028 + (y - BASELINE) / slope

    bar = [(inner_left(y0) - 0.004, y0), (2 * x + w - inner_left(y0) + 0.004, y0),
           (2 * x + w - inner_left(y1) + 0.004, y1), (inner_left(y1) - 0.004, y1)]
    return w, strokes + [bar]


def letter_e(x):
    w = 0.076
    top, mid = BASELINE + CAP, BASELINE + CAP / 2
    return w, [
        box(x, BASELINE, x + STROKE, top),
        box(x + STROKE, top - STROKE, x + w, top),
        box(x + STROKE, mid - STROKE / 2, x + w * 0.86, mid + STROKE / 2),
        box(x + STROKE, BASELINE, x + w, BASELINE + STROKE),
    ]


def letter_s(x):
    w = 0.082
    rx = w / 2 - STROKE / 2
    ry = CAP / 4 - STROKE / 4
    cx = x + w / 2
    upper = BASELINE + 0.75 * CAP - STROKE / 4
    lower = BASELINE + 0.25 * CAP + STROKE / 4
    return w, arc(cx, upper, rx, ry, 30, 270, STROKE) + arc(cx, lower, rx, ry, 90, -150, STROKE)


def letter_t(x):
    w = 0.088
    top = BASELINE + CAP
    return w, [
        box(x, top - STROKE, x + w, top),
        box(x + w / 2 - STROKE / 2, BASELINE, x + w / 2 + STROKE / 2, top - STROKE),
    ]


def letter_r(x):
    w = 0.080
    top = BASELINE + CAP
    bowl_bottom = BASELINE + 0.44 * CAP
    ry = (top - bowl_bottom) / 2 - STROKE / 2
    rx = 0.030
    cx = x + w - 0.004 - rx - STROKE / 2
    cy = (top + bowl_bottom) / 2
    leg_top = bowl_bottom + STROKE / 2
    leg = [(cx - 0.012, leg_top), (cx - 0.012 + 0.030, leg_top), (x + w, BASELINE),
           (x + w - 0.030, BASELINE)]
    return w, [
        box(x, BASELINE, x + STROKE, top),
        box(x + STROKE, top - STROKE, cx, top),
        *arc(cx, cy, rx, ry, 90, -90, STROKE),
        box(x + STROKE, bowl_bottom, cx, bowl_bottom + STROKE),
        leg,
    ]


def letter_l(x):
    w = 0.068
    return w, [
        box(x, BASELINE, x + STROKE, BASELINE + CAP),
        box(x + STROKE, BASELINE, x + w, BASELINE + STROKE),
    ]


def name():
    """The letters of VESTRAL, centred on the mark."""
    letters = [letter_v, letter_e, letter_s, letter_t, letter_r, letter_a, letter_l]
    # Lay the letters out once at 0 to learn the width, then again centred.
    width = sum(letter(0)[0] for letter in letters) + GAP * (len(letters) - 1)
    x = -width / 2
    pieces = []
    for letter in letters:
        w, shapes = letter(x)
        pieces.extend((letter.__name__[-1].upper(), shape) for shape in shapes)
        x += w + GAP
    return width, pieces


def mark():
    """A broad V whose arms hold a disc: the institution's monogram."""
    left_arm, right_arm = chevron(-0.19, 0.38, 0.385, -0.025, 0.085)
    disc_y, disc_r = 0.372, 0.046
    disc = [(disc_r * math.cos(math.radians(a)), disc_y + disc_r * math.sin(math.radians(a)))
            for a in range(0, 360, 12)]
    return [left_arm, right_arm, disc]


def main():
    print("# The sample logo: made by examples/make_logo.py")
    for i, piece in enumerate(mark()):
        section("P", piece, f"mark {i + 1}")
    width, pieces = name()
    for letter, piece in pieces:
        section("P", piece, f"letter {letter}")
    rule_y = BASELINE - 0.045
    half = width / 2 - 0.012
    section("TP", box(-half, rule_y - 0.014, half, rule_y), "rule")


if __name__ == "__main__":
    main()
