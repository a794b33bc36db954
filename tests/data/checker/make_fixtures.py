#!/usr/bin/env python3
"""Writes the logo.txt files that the checker tests read, each with its tricky lines.

The files are kept in the repository; this records how they were made. Run it from this
folder. Each tricky line sits in a small triangle near the outline centre of its own, so
that it draws only the warning it is there for.
"""
import math


def point(x, y):
    """A point line with both fields right-aligned in their columns."""
    return (" " * 24 + x.rjust(7)).ljust(37) + y.rjust(7) + "\n"


def triangle(third):
    """A P section: two good points and a third line as given."""
    return ["P\n", point("-2.6", "0.1"), point("-2.6", "-0.1"), third]


def write(name, lines):
    with open(name, "w", newline="") as out:
        out.write("".join(lines))


write("fields.txt", [
    "P\n", point("-2.6", "0"), point("-2.5", "0"), point("-2.5", "0.1"),       # 1-4
    *triangle(point("-2.5", "abc")),                                           # 5-8
    *triangle(point("-2.5", "+INF")),                                          # 9-12
    *triangle(point("-NAN", "0")),                                             # 13-16
    *triangle(point("-2.5,5", "0")),                                           # 17-20
    *triangle(" " * 24 + "-2.5".rjust(7) + " " * 10 + "0.05\n"),               # 21-24
    *triangle("\t" + point("-2.5", "0")[1:]),                                  # 25-28
    *triangle(" " * 24 + "-2.5".rjust(7) + " " * 5 + "\n"),                    # 29-32
    *triangle(" " * 24 + "-2.5".rjust(6) + "\n"),                              # 33-36
    "P\n", point("-2.6", "0.1"), "\n", point("-2.6", "-0.1"),                  # 37-40
    point("-2.5", "0"),                                                        # 41
    *triangle(point("-2.5", "0")[:-1].ljust(85) + "x\n"),                      # 42-45
])

write("skipped.txt", [
    "A logo for the tests\n",                                                  # 1
    *triangle(point("-2.5", "0")),                                             # 2-5
    "TL\n", "P\n", point("-2.6", "0.2"), point("-2.5", "0.2"),                 # 6-9
    "TP\n", point("-2.6", "-0.2"), point("-2.5", "-0.2"), point("-2.5", "-0.3"),  # 10-13
    "TX\n", "T\n",                                                             # 14-15
    "TL\n", "TP\n", point("-2.6", "0.3"), point("-2.5", "0.3"), point("-2.5", "0.4"),  # 16-20
    *triangle(point("-2.5", "0")),                                             # 21-24
    "TL hides the rest\n", point("-2.6", "0.2"), "P\n",                        # 25-27
])

crlf = [line.replace("\n", "\r\n") for line in triangle(point("-2.5", "0"))]
write("bytes.txt", [
    *crlf,                                                                     # 1-4
    *triangle(point("-2.5", "0")),                                             # 5-8
    # A lone carriage return among the blanks: removed, the columns close up behind it.
    *triangle(" " * 10 + "\r" + point("-2.5", "0")[10:]),                      # 9-12
    *triangle(point("-2.5", "0")),                                             # 13-16
    "P\n", point("-2.6", "0.1"), point("-2.6", "-0.1"), "\x1a",                # 17-20
    point("-2.5", "0"), "P\n",
])

far = 0.4905  # just beyond the reach of the view at scale 2
near = 0.489
write("shapes.txt", [
    # A square with a point on an edge, a repeated point and the first point again: fine.
    "P\n", point("-2.6", "0"), point("-2.55", "0"), point("-2.5", "0"),       # 1-4
    point("-2.5", "0.1"), point("-2.5", "0.1"), point("-2.6", "0.1"),          # 5-7
    point("-2.6", "0"),                                                        # 8
    # An arrow head, turning the other way at its fourth point.
    "P\n", point("-2.6", "0"), point("-2.5", "0.05"), point("-2.6", "0.1"),   # 9-12
    point("-2.57", "0.05"),                                                    # 13
    # A bow tie.
    "P\n", point("-2.6", "0"), point("-2.5", "0.1"), point("-2.5", "0"),      # 14-17
    point("-2.6", "0.1"),                                                      # 18
    # A five-pointed star drawn in one stroke: every turn the same way, twice around.
    "P\n", *[point(f"{-2.57 + 0.1 * math.sin(math.radians(144 * k)):.4f}",    # 19-24
                   f"{0.01 + 0.1 * math.cos(math.radians(144 * k)):.4f}") for k in range(5)],
    # A spike: back along the edge it came by.
    "P\n", point("-2.6", "0"), point("-2.5", "0"), point("-2.55", "0"),       # 25-28
    point("-2.55", "0.1"),                                                     # 29
    # Three points on one line, two points, and an empty section.
    "P\n", point("-2.6", "0"), point("-2.55", "0.05"), point("-2.5", "0.1"),  # 30-33
    "P\n", point("-2.6", "0"), point("-2.5", "0"),                            # 34-36
    "P\n",                                                                     # 37
    # Inside the view by a hair, then out of it by a hair.
    "P\n", point("-2.6", "0"), point("-2.6", "0.1"), point(f"{-2.57 + near:.4f}", "0.01"),  # 38-41
    "TP\n", point("-2.6", "0"), point("-2.6", "0.1"), point(f"{-2.57 + far:.4f}", "0.01"),  # 42-45
])

# 300 triangles in P sections, 900 points: the table holds 839 of them, so the 280th
# triangle keeps two points and the rest are dropped; a TP triangle still fits its table.
small = ["P\n", point("-2.6", "0"), point("-2.5", "0"), point("-2.5", "0.1")]
write("full.txt", [
    *small * 300,                                                              # 1-1200
    "TP\n", point("-2.6", "0"), point("-2.5", "0"), point("-2.5", "0.1"),     # 1201-1204
])

# Empty P sections that keep ids 1-3 for a red mark, as import writes them, and the ones
# that are still mistakes: a plain empty section, and a reserved one past the red ids.
write("reserved.txt", [
    "P reserved for the red mark\n",                                           # 1, id 1
    "P reserved for the red mark\n",                                           # 2, id 2
    "P\n",                                                                     # 3, id 3
    *triangle(point("-2.5", "0")),                                             # 4-7, id 4
    "P reserved for the red mark\n",                                           # 8, id 5
    "TP\n", point("-2.6", "0.1"), point("-2.6", "-0.1"), point("-2.5", "0"),   # 9-12
])

# What `import --watch -o logo.txt mark.svg` wrote for a red triangle over a dark bar
# (<polygon points="50,10 90,90 10,90" fill="#d01010"/><rect x="40" y="92" width="20"
# height="6" fill="#222"/> in a 100 by 100 viewBox): the logo, then each table's unused slots
# as one last polygon at the view's centre, up to the 839th point.
logo = ["P\n", point("-2.2207", "-0.3044"), point("-2.57", "0.3943"), point("-2.9193", "-0.3044"),
        "TP\n", point("-2.4827", "-0.3743"), point("-2.4827", "-0.3219"),
        point("-2.6573", "-0.3219"), point("-2.6573", "-0.3743")]
centre = point("-2.57", "0.01")
write("watched.txt", [*logo, "P\n", *[centre] * (839 - 3), "TP\n", *[centre] * (839 - 4)])
