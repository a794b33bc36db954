#!/usr/bin/python3
"""Judges `logotipo-outline import` against an independent renderer.

check FILE.svg   imports FILE.svg, renders the SVG with rsvg-convert and the written logo.txt
                 the same way, and prints coverage IoU and red precision (see docs/fidelity.md).
sweep DIR...     does that for every *.svg under the folders, in parallel, with a time limit
                 per file, and prints a table and a summary; --expect turns it into a test.
--picture N      (either command) imports a picture of the SVG drawn N pixels on its longer
                 side on white, as PNG or, with --jpeg Q, as JPEG of quality Q, and judges the
                 logo against the SVG it was drawn from.
"""

import argparse
import concurrent.futures
import math
import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

try:
    from PIL import Image, ImageChops, ImageFilter
except ImportError:
    sys.exit("fidelity.py: this python3 has no PIL (Debian package python3-pil; "
             "run it with /usr/bin/python3)")

# A pixel is covered when, laid over white, some channel is below this: the importer's own
# near-white rule (white cuts holes), so faint tints count as background on both sides.
WHITE_LEVEL = 235
# The source is rendered to fit this many pixels on its longer side; a drawing that fills
# little of its canvas is rendered again larger, up to ZOOM_LIMIT times. Anti-aliasing blurs
# about a pixel along every edge, so a coastline or thin lettering loses a few hundredths of
# IoU at 1024 pixels that the importer's exact overlap does not see; --size sets it.
RENDER_SIZE = 2048
# --picture and --jpeg: the import takes a picture drawn from the SVG instead of the SVG.
PICTURE_SIZE = None
PICTURE_JPEG = None
ZOOM_LIMIT = 2
GOOD_IOU = 0.97
RENDER_TIMEOUT = 120
LOGO_RED = "#ff0000"
LOGO_DARK = "#000000"
SANITIZER_REPORT = re.compile(r"ERROR: (Address|Leak|Memory|Thread)Sanitizer|runtime error: ")
CHECK_POLYGON = re.compile(r"^  polygon (\d+): (\d+) points")


class OracleError(Exception):
    """The reference could not be made (rsvg-convert refused the file, or a reader mismatch)."""


# ---- logo.txt, read by the program's rules -------------------------------------------------


def parse_field(field):
    """A seven-character field by the reader's number syntax; 0 without a number."""
    text = field.split(b"\0", 1)[0].decode("latin-1").lstrip(" \t\n\v\f\r")
    match = re.match(r"([+-]?)(\d*)(?:\.(\d*))?", text)
    sign, whole, fraction = match.group(1), match.group(2), match.group(3) or ""
    if sign and text[1:4] in ("INF", "NAN"):
        return float(sign + text[1:4].lower())
    if not whole and not fraction:
        return 0.0
    exponent = re.match(r"[eE]([+-]?\d+)", text[match.end():])
    scale = (int(exponent.group(1)) if exponent else 0) - len(fraction)
    return float(sign + str(int(whole + fraction)) + "e" + str(scale))


def read_logo(data):
    """Returns the polygons the program draws: (table, id, points) in table order."""
    buffer = bytearray(80)  # never cleared: a short line keeps an earlier line's tail
    state = {"pos": 0, "ended": False}

    def read_line():
        taken = 0
        while not state["ended"] and taken < 79:
            if state["pos"] == len(data):
                state["ended"] = True
                break
            c = data[state["pos"]]
            state["pos"] += 1
            if c == 13:
                continue
            if c == 26:
                state["ended"] = True
                break
            buffer[taken] = c
            taken += 1
            if c == 10:
                break
        if taken:
            buffer[taken] = 0
        return taken

    tables = {"P": [], "TP": []}
    ids = {"P": 1, "TP": 1}
    taken = read_line()
    while taken:
        if buffer[0] == ord("P") or buffer[0:2] == b"TP":
            kind = "P" if buffer[0] == ord("P") else "TP"
            taken = read_line()
            while taken and buffer[0] not in b"PT":
                if len(tables[kind]) < 839:
                    point = (parse_field(bytes(buffer[24:31])), parse_field(bytes(buffer[37:44])))
                    tables[kind].append((ids[kind], point))
                taken = read_line()
            ids[kind] += 1
        elif buffer[0:2] == b"TL":
            taken = read_line()
            while taken and buffer[1] != ord("P"):
                taken = read_line()
        else:
            taken = read_line()
    polygons = []
    for kind in ("P", "TP"):
        for polygon_id, point in tables[kind]:
            if polygons and polygons[-1][0] == kind and polygons[-1][1] == polygon_id:
                polygons[-1][2].append(point)
            else:
                polygons.append((kind, polygon_id, [point]))
    return polygons


def check_listing(tool, logo_path):
    """(id, count) of each polygon as `logotipo-outline check` lists them, P then TP."""
    result = subprocess.run([tool, "check", logo_path], capture_output=True, text=True, timeout=30)
    return [(int(m.group(1)), int(m.group(2)))
            for m in map(CHECK_POLYGON.match, result.stdout.splitlines()) if m]


# ---- rendering and masks ---------------------------------------------------------------------


def render(arguments, stdin=None):
    command = ["rsvg-convert", "-f", "png"] + arguments
    result = subprocess.run(command, input=stdin, capture_output=True, timeout=RENDER_TIMEOUT)
    if result.returncode != 0 or not result.stdout:
        raise OracleError("rsvg-convert: " + result.stderr.decode(errors="replace").strip()[:120])
    path = tempfile.mktemp(suffix=".png")
    with open(path, "wb") as png:
        png.write(result.stdout)
    try:
        image = Image.open(path)
        image.load()
    finally:
        os.unlink(path)
    white = Image.new("RGBA", image.size, (255, 255, 255, 255))
    return Image.alpha_composite(white, image.convert("RGBA")).convert("RGB")


def coverage(image):
    """Mode-1 mask of the pixels that are not near white."""
    bands = [band.point(lambda v: 255 if v < WHITE_LEVEL else 0) for band in image.split()]
    return ImageChops.lighter(ImageChops.lighter(bands[0], bands[1]), bands[2]).convert("1")


def reddish(image):
    """Mode-1 mask of the importer's red hue rule: hue within 15 degrees of red, saturation
    at least 0.5, value at least 0.4. The hue band is 15.5 degrees here, the step of the
    picture's 256 hues that holds 15."""
    hue, saturation, value = image.convert("HSV").split()
    masks = [hue.point(lambda v: 255 if v <= 11 or v >= 244 else 0),
             saturation.point(lambda v: 255 if v >= 128 else 0),
             value.point(lambda v: 255 if v >= 102 else 0)]
    return ImageChops.darker(ImageChops.darker(masks[0], masks[1]), masks[2]).convert("1")


def logo_red(image):
    """The logo is drawn red and black on white: red where red is the nearest of the three."""
    r, g, _ = image.split()
    return ImageChops.darker(r.point(lambda v: 255 if v >= 128 else 0),
                             g.point(lambda v: 255 if v < 128 else 0)).convert("1")


def count(mask):
    return mask.convert("L").histogram()[255]


def eroded(mask):
    """Mode-L mask of the pixels whose whole 3 by 3 neighbourhood is in mask (the edge pixels
    repeated past the border): MinFilter(3), as the pixels where the 3 by 3 mean is full,
    which PIL's box blur finds several times faster than its rank filter."""
    mean = mask.convert("L").filter(ImageFilter.BoxBlur(1))
    return mean.point(lambda v: 255 if v == 255 else 0)


def extent(mask):
    """The bounding box of a mask without its one-pixel lines: where a white shape covers a
    coloured one, anti-aliasing leaves a faint seam along edges that fall between pixels.
    That is the box of the mask opened by a 3 by 3 square; the dilation after the erosion
    grows the eroded box by a pixel on each side, within the picture."""
    box = eroded(mask).getbbox()
    if not box:
        return None
    width, height = mask.size
    return (max(box[0] - 1, 0), max(box[1] - 1, 0), min(box[2] + 1, width),
            min(box[3] + 1, height))


def source_image(svg):
    """The SVG rendered, and the extent of what it covers."""
    image = render(["-a", "-w", str(RENDER_SIZE), "-h", str(RENDER_SIZE), svg])
    box = extent(coverage(image))
    if box:
        longest = max(box[2] - box[0], box[3] - box[1])
        zoom = min(ZOOM_LIMIT, RENDER_SIZE // max(longest, 1))
        if zoom >= 2:
            size = str(RENDER_SIZE * zoom)
            image = render(["-a", "-w", size, "-h", size, svg])
            box = extent(coverage(image))
    return image, box


def points_box(polygons):
    """(left, top, width, height) of the polygons in SVG's y-down units."""
    xs = [x for _, _, points in polygons for x, _ in points]
    ys = [-y for _, _, points in polygons for _, y in points]
    left, top = min(xs), min(ys)
    return (left, top, max(max(xs) - left, 1e-9), max(max(ys) - top, 1e-9))


def logo_svg(polygons, width, height, box, stretch=False):
    """The polygons as an SVG showing box (left, top, width, height, y down) fitted into
    width x height pixels, keeping the aspect ratio and centred unless stretch."""
    fit = ' preserveAspectRatio="none"' if stretch else ""
    lines = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
             'viewBox="%r %r %r %r"%s>' % ((width, height) + tuple(box) + (fit,))]
    for kind, polygon_id, points in polygons:
        colour = LOGO_RED if kind == "P" and polygon_id <= 3 else LOGO_DARK
        path = " ".join("%r,%r" % (x, -y) for x, y in points)
        lines.append('<polygon fill="%s" points="%s"/>' % (colour, path))
    lines.append("</svg>")
    return "\n".join(lines).encode()


def render_logo(polygons, width, height):
    """The logo fitted to width x height by its rendered extent, measured as the source's is,
    so that slivers thinner than a pixel or two count alike on both sides."""
    box = points_box(polygons)
    first = render([], stdin=logo_svg(polygons, width, height, box))
    seen = extent(coverage(first))
    if not seen:
        return first
    scale = min(width / box[2], height / box[3])
    left = box[0] - (width - box[2] * scale) / 2 / scale
    top = box[1] - (height - box[3] * scale) / 2 / scale
    shown = (left + seen[0] / scale, top + seen[1] / scale,
             (seen[2] - seen[0]) / scale, (seen[3] - seen[1]) / scale)
    # Each extent is whole pixels, so the two aspect ratios differ by up to a pixel on the
    # shorter side: a wide logo fitted by its height alone would be off by several pixels at
    # its far end. Within two pixels the axes are fitted apart; a wrong aspect ratio stays.
    stretch = abs(shown[2] / shown[3] - width / height) <= 2 * width / height / min(width, height)
    return render([], stdin=logo_svg(polygons, width, height, shown, stretch))


def compare(svg, polygons, diff_path=None):
    """(IoU, red precision or None) of the logo's polygons against the SVG as rendered."""
    source, box = source_image(svg)
    if not box or not polygons:
        return (0.0, None)
    source = source.crop(box)
    width, height = source.size
    logo = render_logo(polygons, width, height)
    drawn, shown = coverage(source), coverage(logo)
    union = count(ImageChops.logical_or(drawn, shown))
    iou = count(ImageChops.logical_and(drawn, shown)) / union if union else 0.0
    # One pixel in from the red pieces' edges, where anti-aliasing mixes in the neighbours.
    red = eroded(logo_red(logo)).convert("1")
    red_pixels = count(red)
    precision = None
    if red_pixels:
        precision = count(ImageChops.logical_and(red, reddish(source))) / red_pixels
    if diff_path:
        write_difference(diff_path, source, drawn, shown)
    return (iou, precision)


def write_difference(path, source, drawn, shown):
    """The source beside an overlay: grey both, blue missed by the logo, orange extra."""
    overlay = Image.new("RGB", source.size, (255, 255, 255))
    overlay.paste((190, 190, 190), mask=ImageChops.logical_and(drawn, shown))
    drawn, shown = drawn.convert("L"), shown.convert("L")
    overlay.paste((20, 90, 255), mask=ImageChops.subtract(drawn, shown))
    overlay.paste((255, 140, 0), mask=ImageChops.subtract(shown, drawn))
    scale = 400 / max(source.size)
    size = (max(1, round(source.size[0] * scale)), max(1, round(source.size[1] * scale)))
    picture = Image.new("RGB", (size[0] * 2 + 10, size[1]), (255, 255, 255))
    picture.paste(source.resize(size, Image.BOX), (0, 0))
    picture.paste(overlay.resize(size, Image.BOX), (size[0] + 10, 0))
    picture.save(path)


# ---- one file --------------------------------------------------------------------------------


def draw_picture(svg, folder):
    """The SVG drawn by librsvg as the picture to import, PICTURE_SIZE pixels on its longer
    side on white: a PNG, or a JPEG of quality PICTURE_JPEG."""
    image = render(["-a", "-w", str(PICTURE_SIZE), "-h", str(PICTURE_SIZE), svg])
    path = os.path.join(folder, "picture.jpg" if PICTURE_JPEG else "picture.png")
    if PICTURE_JPEG:
        image.save(path, quality=PICTURE_JPEG)
    else:
        image.save(path)
    return path


def judge(tool, svg, timeout, diff_dir=None, name=None, diff_path=None):
    """Imports svg and judges the result; a row of the sweep's table as a dict."""
    row = {"file": name or svg, "exit": "", "iou": None, "red": None, "pieces": 0, "points": 0,
           "seconds": 0.0, "message": ""}
    work = tempfile.mkdtemp(prefix="fidelity-")
    try:
        logo_path = os.path.join(work, "logo.txt")
        source = draw_picture(svg, work) if PICTURE_SIZE else svg
        with open(logo_path, "wb") as logo:
            start = time.monotonic()
            # The import's processor time, which the other work on a shared machine does not
            # stretch; each worker runs one child at a time, so the difference is this one's.
            before = resource.getrusage(resource.RUSAGE_CHILDREN)
            asleep = False
            try:
                # The hang guard counts processor time, so that a loaded machine does not turn a
                # slow import into a hang; the wall clock only stops a child that sleeps.
                limit = math.ceil(timeout)
                result = subprocess.run([tool, "import", source], stdout=logo, stderr=subprocess.PIPE,
                                        timeout=max(60, 10 * timeout),
                                        preexec_fn=lambda: resource.setrlimit(
                                            resource.RLIMIT_CPU, (limit, limit + 1)))
                stderr = result.stderr.decode(errors="replace")
                row["exit"] = str(result.returncode) if result.returncode >= 0 \
                    else "signal %d" % -result.returncode
                if result.returncode == -signal.SIGXCPU:
                    row["exit"] = "timeout"
                # A sanitizer build reports with exit 1 unless told otherwise.
                if SANITIZER_REPORT.search(stderr):
                    row["exit"] = "sanitizer"
                row["message"] = first_note(stderr)
                if result.returncode != 0 and stderr.strip():
                    row["message"] = stderr.strip().splitlines()[-1].strip()
            except subprocess.TimeoutExpired:
                row["exit"] = "timeout"
                asleep = True
            after = resource.getrusage(resource.RUSAGE_CHILDREN)
            row["seconds"] = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
            if asleep:
                row["seconds"] = time.monotonic() - start
        if row["exit"] != "0":
            return row
        with open(logo_path, "rb") as logo:
            polygons = read_logo(logo.read())
        row["pieces"] = len(polygons)
        row["points"] = sum(len(points) for _, _, points in polygons)
        listed = check_listing(tool, logo_path)
        if listed != [(polygon_id, len(points)) for _, polygon_id, points in polygons]:
            raise OracleError("this reader and `check` disagree on the polygons")
        if diff_dir:
            diff_path = os.path.join(diff_dir, re.sub(r"[^\w.-]", "_", row["file"]) + ".png")
        row["iou"], row["red"] = compare(svg, polygons, diff_path)
    except (OracleError, subprocess.TimeoutExpired, OSError) as error:
        row["message"] = "oracle: %s" % error
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return row


def first_note(stderr):
    """The import's own words beyond its standard figures and progress lines: the last such
    line after a refusal (the reason), else the first (a note on a feature left out)."""
    standard = ("mark:", "name:", "tables:", "red:", "area:", "trying curves")
    notes = [line.strip() for line in stderr.splitlines()
             if line.strip() and not line.startswith(standard)]
    return notes[0] if notes else ""


# ---- the sweep -------------------------------------------------------------------------------


def svg_files(folders):
    found, seen = [], set()
    for folder in folders:
        if os.path.isfile(folder):
            found.append((folder, os.path.basename(folder)))
            continue
        for root, dirs, files in os.walk(folder):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(root, name)
                # Icon themes link one file under many names: each file is judged once.
                if name.lower().endswith(".svg") and os.path.realpath(path) not in seen:
                    seen.add(os.path.realpath(path))
                    found.append((path, os.path.relpath(path, folder)))
    return found


def format_row(row):
    def number(value):
        return "-" if value is None else "%.3f" % value
    return "%-44s %-9s %6s %6s %6d %6d %7.2f  %s" % (
        row["file"][-44:], row["exit"], number(row["iou"]), number(row["red"]), row["pieces"],
        row["points"], row["seconds"], row["message"][:70])


def summary(rows):
    """The figures a sweep is judged by."""
    exits = {}
    for row in rows:
        exits[row["exit"]] = exits.get(row["exit"], 0) + 1
    good = sum(1 for row in rows if row["iou"] is not None and row["iou"] >= GOOD_IOU)
    reds = [row["red"] for row in rows if row["red"] is not None]
    slowest = max(rows, key=lambda row: row["seconds"]) if rows else None
    return {"files": len(rows), "exits": exits, "good": good,
            "share": good / len(rows) if rows else 0.0,
            "red": sum(reds) / len(reds) if reds else None,
            "red_files": len(reds), "slowest": slowest,
            "over_second": sum(1 for row in rows if row["seconds"] > 1),
            "oracle_errors": sum(1 for row in rows if row["message"].startswith("oracle:"))}


def format_summary(figures):
    exits = ", ".join("%s: %d" % item for item in sorted(figures["exits"].items()))
    slowest = figures["slowest"]
    red = "-" if figures["red"] is None else "%.3f" % figures["red"]
    return ("%d files; exits %s; IoU >= %.2f: %d (%.1f%%); mean red precision %s over %d; "
            "slowest %.2f s (%s), %d over 1 s; oracle errors %d" % (
                figures["files"], exits, GOOD_IOU, figures["good"], 100 * figures["share"], red,
                figures["red_files"], slowest["seconds"] if slowest else 0,
                slowest["file"] if slowest else "-", figures["over_second"],
                figures["oracle_errors"]))


def read_expectations(path):
    """Figures (`name value`) and the files whose crash or hang is known (`known FILE`)."""
    expected, known = {}, set()
    with open(path) as lines:
        for line in lines:
            words = line.split("#", 1)[0].split()
            if len(words) == 2 and words[0] == "known":
                known.add(words[1])
            elif len(words) == 2:
                expected[words[0]] = float(words[1])
    return expected, known


def verdict(rows, figures, expected_path):
    """Failures against the expected-results file; improvements are printed, not failed."""
    failures = []
    for row in rows:
        if row["exit"] not in ("0", "1", "2"):
            failures.append("%s: %s" % (row["file"], row["exit"]))
        elif row["message"].startswith("oracle:"):
            failures.append("%s: %s" % (row["file"], row["message"]))
    expected, known = read_expectations(expected_path)
    for row in rows:
        if row["file"] in known and row["exit"] in ("0", "1", "2"):
            print("fixed: %s now exits %s; take its known line out of %s"
                  % (row["file"], row["exit"], expected_path))
    failures = [failure for failure in failures if failure.split(":")[0] not in known]
    floor = expected.get("min_share_iou97", 1.0)
    if figures["share"] + 1e-9 < floor:
        failures.append("share at IoU >= %.2f fell to %.4f, below the floor %.4f in %s"
                        % (GOOD_IOU, figures["share"], floor, expected_path))
    elif math.floor(figures["share"] * 1e4) / 1e4 > floor:
        # The floor is written to four places, rounded down.
        print("improved: share at IoU >= %.2f is %.4f; raise min_share_iou97 in %s to it"
              % (GOOD_IOU, math.floor(figures["share"] * 1e4) / 1e4, expected_path))
    if "files" in expected and figures["files"] != int(expected["files"]):
        failures.append("%d files swept, %s expects %d" % (
            figures["files"], expected_path, int(expected["files"])))
    return failures


def sweep(arguments):
    files = svg_files(arguments.folders)
    if arguments.out:
        os.makedirs(arguments.out, exist_ok=True)
    with concurrent.futures.ProcessPoolExecutor(max_workers=arguments.jobs) as pool:
        futures = [pool.submit(judge, arguments.tool, path, arguments.timeout, arguments.out, name)
                   for path, name in files]
        rows = [future.result() for future in futures]
    header = "%-44s %-9s %6s %6s %6s %6s %7s  %s" % (
        "file", "exit", "IoU", "red", "pieces", "points", "seconds", "first note")
    lines = [header] + [format_row(row) for row in rows]
    figures = summary(rows)
    lines.append(format_summary(figures))
    if arguments.table:
        with open(arguments.table, "w") as table:
            table.write("\n".join(lines) + "\n")
    shown = rows if not arguments.quiet else [
        row for row in rows if row["iou"] is None or row["iou"] < GOOD_IOU]
    print("\n".join([header] + [format_row(row) for row in shown]))
    print(lines[-1])
    if arguments.expect:
        failures = verdict(rows, figures, arguments.expect)
        for failure in failures:
            print("FAIL " + failure)
        return 1 if failures else 0
    return 0


def check(arguments):
    row = judge(arguments.tool, arguments.svg, arguments.timeout, diff_path=arguments.diff)
    print(format_row(row))
    return 0 if row["exit"] == "0" and row["iou"] is not None and row["iou"] >= GOOD_IOU else 1


SELFTEST_SVG = b'''<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 50">
<rect width="50" height="50" fill="#d01010"/><rect x="60" y="10" width="40" height="40"/></svg>'''


def selftest(_):
    """The oracle on a drawing and logos written by hand, so that a judge that passes
    everything (or nothing) is caught: a faithful logo, one missing a square, one with its
    colours swapped, and a reader trap (a short line reusing an earlier line's fields)."""
    def logo(red, dark):
        lines = []
        for header, (x0, y0, x1, y1) in (("P", red), ("TP", dark)):
            lines.append(header)
            for x, y in ((x0, y0), (x1, y0), (x1, y1), (x0, y1)):
                lines.append("%24s%7.3f%6s%7.3f" % ("", x, "", y))
        return read_logo(("\n".join(lines) + "\n").encode())
    red, dark = (0.0, 0.0, 0.5, 0.5), (0.6, 0.0, 1.0, 0.4)
    work = tempfile.mkdtemp(prefix="fidelity-")
    try:
        svg = os.path.join(work, "two.svg")
        with open(svg, "wb") as out:
            out.write(SELFTEST_SVG)
        faithful = compare(svg, logo(red, dark))
        missing = compare(svg, [p for p in logo(red, dark) if p[0] == "P"])
        swapped = compare(svg, logo((0.5, 0.1, 0.9, 0.5), (0.0, 0.0, 0.5, 0.5)))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    trap = read_logo(b"P\n" + b" " * 24 + b"  1.000      " + b"  2.000\n" + b"x\n")
    # The fast erosion is the rank filter's, edges included, on this PIL.
    holes = ((4, 3), (8, 6), (0, 5))
    speckled = Image.frombytes("L", (9, 7), bytes(0 if (n % 9, n // 9) in holes else 255
                                                  for n in range(63)))
    rank = speckled.filter(ImageFilter.MinFilter(3))
    checks = [("faithful logo: IoU >= 0.99 and red precision 1", faithful[0] >= 0.99
               and faithful[1] == 1.0),
              ("a square missing: IoU about 0.39", 0.35 < missing[0] < 0.43),
              ("colours swapped: red precision 0", swapped[1] == 0.0),
              ("short line keeps the earlier fields", trap == [("P", 1, [(1.0, 2.0), (1.0, 2.0)])]),
              ("erosion as MinFilter(3)", list(eroded(speckled).getdata()) == list(rank.getdata())
               and rank.getbbox() is not None)]
    for name, passed in checks:
        print("%s %s" % ("ok  " if passed else "FAIL", name))
    return 0 if all(passed for _, passed in checks) else 1


def main():
    global RENDER_SIZE, PICTURE_SIZE, PICTURE_JPEG
    parser = argparse.ArgumentParser(
        description="Judge `logotipo-outline import` against librsvg's rendering of the same "
                    "SVG: coverage IoU after fitting both drawings to their bounding boxes, and "
                    "red precision (the share of the red pieces' pixels that are reddish in the "
                    "source). See docs/fidelity.md.")
    parser.add_argument("--tool", default="build/logotipo-outline",
                        help="the logotipo-outline to judge (default build/logotipo-outline)")
    parser.add_argument("--timeout", type=float, default=10,
                        help="processor seconds an import may take before it counts as a hang "
                             "(default 10)")
    parser.add_argument("--size", type=int, default=RENDER_SIZE,
                        help="pixels the source is rendered to fit (default %d)" % RENDER_SIZE)
    parser.add_argument("--picture", type=int, metavar="N",
                        help="import a picture of each SVG drawn N pixels on its longer side")
    parser.add_argument("--jpeg", type=int, metavar="Q",
                        help="with --picture: draw it as a JPEG of quality Q (1 to 95)")
    commands = parser.add_subparsers(dest="command", required=True)
    one = commands.add_parser("check", help="judge one file; exit 0 when its IoU >= 0.97")
    one.add_argument("svg")
    one.add_argument("--diff", help="write the difference picture (PNG) here")
    commands.add_parser("selftest", help="judge hand-made logos whose verdict is known")
    many = commands.add_parser("sweep", help="judge every *.svg under the folders")
    many.add_argument("folders", nargs="+")
    many.add_argument("--jobs", type=int, default=os.cpu_count() or 1,
                      help="files judged at once (default: the number of processors)")
    many.add_argument("--out", help="folder for the difference pictures, one PNG a file")
    many.add_argument("--table", help="also write the table and summary to this file")
    many.add_argument("--quiet", action="store_true", help="print only the rows below IoU 0.97 and the summary")
    many.add_argument("--expect",
                      help="expected-results file: exit 1 on a crash, a hang, an exit other "
                           "than 0, 1, 2, an oracle error, or a share at IoU >= 0.97 below its "
                           "min_share_iou97")
    arguments = parser.parse_args()
    if shutil.which("rsvg-convert") is None:
        sys.exit("fidelity.py: rsvg-convert is missing (Debian package librsvg2-bin)")
    if arguments.command != "selftest" and not os.access(arguments.tool, os.X_OK):
        sys.exit("fidelity.py: no logotipo-outline at %s (give --tool)" % arguments.tool)
    RENDER_SIZE = arguments.size  # the sweep's worker processes are forked after this
    PICTURE_SIZE, PICTURE_JPEG = arguments.picture, arguments.jpeg
    if PICTURE_JPEG is not None and not PICTURE_SIZE:
        sys.exit("fidelity.py: --jpeg needs --picture N")
    run = {"sweep": sweep, "check": check, "selftest": selftest}[arguments.command]
    sys.exit(run(arguments))


if __name__ == "__main__":
    main()
