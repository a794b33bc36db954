"""The GL calls the program must make, written out from the rules of its start-up, frame cycle,
drawing and graphics set-up, as `apitrace dump --arg-names=no` prints them (floats with seven
significant digits, doubles in their shortest exact form). Outline tables come from a
fixture's .expected file, never from the program's own reader."""

import math
import struct

# Frame transform: one step per frame, angles wrap at a full turn.
ANGLE_STEPS = (3.0, 5.0, 2.0)
FULL_TURN = 360.0
SCALE_STEP = 0.05
ORIGIN = (2.57, -0.01, 0.0)
LIGHT0_POSITION = (-1.5, -0.5, 0.5, 1.0)

FRONT_Z, BACK_Z, WALL_FAR_Z = 0.0, 0.1, 0.099

# Materials as (ambient, diffuse, specular, emission, colour).
RED_FACE = ((0.5, 0, 0, 1), (0.9, 0, 0, 1), (0.9, 0, 0, 1), (0.15, 0, 0, 1), (1, 0, 0))
DARK_FACE = ((0.02, 0.02, 0.02, 1), (0.07, 0.07, 0.07, 1), (0.07, 0.07, 0.07, 1),
             (0.15, 0.15, 0.15, 1), (0, 0, 0))
TP_FACE = ((0, 0, 0, 1), (0.2, 0.2, 0.2, 1), (0.2, 0.2, 0.2, 1), (0.05, 0.05, 0.05, 1), (0, 0, 0))
RED_WALL = ((0.3, 0, 0, 1), (0.9, 0, 0, 1), (0.9, 0, 0, 1), (0.15, 0, 0, 1), (0.85, 0, 0))
DARK_WALL = ((0, 0, 0, 1), (0.2, 0.2, 0.2, 1), (0.2, 0.2, 0.2, 1), (0.15, 0.15, 0.15, 1),
             (0.1, 0.1, 0.1))
TP_WALL_COLOUR = (0.1, 0.1, 0.1)
FIRST_DARK_ID = 4

TABLE_SLOTS = 839  # slots 1 to 839

# Texel i of the stripe texture: red up to 4, green from 5.
STRIPE_TEXELS = bytes([255, 0, 0] * 5 + [0, 255, 0] * 11)


def to_float(value):
    """value rounded to single precision, as a C cast does."""
    try:
        return struct.unpack("f", struct.pack("f", value))[0]
    except OverflowError:
        return math.copysign(math.inf, value)


def float_text(value):
    """A float argument as the dump prints it."""
    value = to_float(value)
    if math.isnan(value):
        return "-nan" if math.copysign(1, value) < 0 else "nan"
    return "%.7g" % value


def double_text(value):
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text


def floats(*values):
    return ", ".join(float_text(v) for v in values)


def array(values):
    return "{" + floats(*values) + "}"


def setup_scene():
    calls = [
        "glClearColor(%s)" % floats(1, 1, 1, 0),
        "glPixelStorei(GL_UNPACK_ALIGNMENT, 1)",
        "glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)",
        "glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_REPEAT)",
        "glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR)",
        "glTexParameterf(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR)",
        "glTexImage1D(GL_TEXTURE_1D, 0, 3, 16, 0, GL_RGB, GL_UNSIGNED_BYTE, blob(48))",
        "glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR)",
        "glTexGenfv(GL_S, GL_OBJECT_PLANE, %s)" % array((5.5, 3.5, 1.5, 0)),
        "glEnable(GL_DEPTH_TEST)",
        "glDepthFunc(GL_LESS)",
    ]
    for cap in ("GL_TEXTURE_GEN_S", "GL_TEXTURE_1D", "GL_LIGHTING", "GL_LIGHT0", "GL_LIGHT1",
                "GL_COLOR_MATERIAL"):
        calls.append("glEnable(%s)" % cap)
    calls += ["glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE)", "glShadeModel(GL_SMOOTH)"]
    lights = (("GL_LIGHT0", LIGHT0_POSITION), ("GL_LIGHT1", (-0.5, -1, -1.5, 0)))
    for light, position in lights:
        for pname, values in (("GL_AMBIENT", (0.7, 0.7, 0.7, 0)), ("GL_DIFFUSE", (1, 1, 1, 0)),
                              ("GL_SPECULAR", (1, 1, 1, 1)), ("GL_POSITION", position)):
            calls.append("glLightfv(%s, %s, %s)" % (light, pname, array(values)))
    calls += [
        "glLightf(GL_LIGHT1, GL_CONSTANT_ATTENUATION, %s)" % float_text(2.5),
        "glLightfv(GL_LIGHT1, GL_SPOT_DIRECTION, %s)" % array((-0.5, -1, -0.5)),
        "glLightf(GL_LIGHT1, GL_SPOT_EXPONENT, %s)" % float_text(1),
        "glPolygonMode(GL_FRONT_AND_BACK, GL_FILL)",
    ]
    return calls


def reshape(width, height):
    """The projection for a window of width by height pixels."""
    ratio_low = height * -1.0 / width
    ratio_high = height * 1.0 / width
    return [
        "glViewport(0, 0, %d, %d)" % (width, height),
        "glMatrixMode(GL_PROJECTION)",
        "glLoadIdentity()",
        "glOrtho(%s)" % ", ".join(double_text(v) for v in (-1, 1, ratio_low, ratio_high, -10, 10)),
        "glMatrixMode(GL_MODELVIEW)",
        "glLoadIdentity()",
    ]


def start_up():
    """Everything before the first frame: set-up under the identity, then the first reshape."""
    return setup_scene() + reshape(500, 500)


def animation(count):
    """(angles, scale factor) used by frames 0 to count - 1."""
    angles = [0.0, 0.0, 0.0]
    scale, growing = 1.0, True
    states = []
    for _ in range(count):
        states.append((tuple(angles), to_float(scale)))
        for axis in range(3):
            angles[axis] = to_float(angles[axis] + ANGLE_STEPS[axis])
            if angles[axis] >= FULL_TURN:
                angles[axis] -= FULL_TURN
        if growing:
            scale += SCALE_STEP
            if scale > 2.0:
                growing, scale = False, 2.0
        else:
            scale -= SCALE_STEP
            if scale < 0.0:
                growing, scale = True, 0.0
    return states


def frame_start(angles, scale):
    return [
        "glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT)",
        "glPushMatrix()",
        "glRotatef(%s)" % floats(angles[0], 1, 0, 0),
        "glRotatef(%s)" % floats(angles[1], 0, 1, 0),
        "glRotatef(%s)" % floats(angles[2], 0, 0, 1),
        "glScalef(%s)" % floats(scale, scale, scale),
        "glTranslatef(%s)" % floats(*ORIGIN),
        "glLightfv(GL_LIGHT0, GL_POSITION, %s)" % array(LIGHT0_POSITION),
    ]


# glutSwapBuffers flushes before it swaps.
FRAME_END = ["glPopMatrix()", "glFlush()", "glXSwapBuffers"]


def polygons(table):
    """Runs of equal polygon id from slot 1; id 0 or the end of the table ends the data."""
    runs = []
    for polygon_id, x, y in table[:TABLE_SLOTS]:
        if polygon_id == 0:
            break
        if runs and runs[-1][0] == polygon_id:
            runs[-1][1].append((x, y))
        else:
            runs.append((polygon_id, [(x, y)]))
    return runs


def material(values):
    ambient, diffuse, specular, emission, colour = values
    calls = ["glMaterialfv(GL_FRONT_AND_BACK, %s, %s)" % (pname, array(v))
             for pname, v in (("GL_AMBIENT", ambient), ("GL_DIFFUSE", diffuse),
                              ("GL_SPECULAR", specular), ("GL_EMISSION", emission))]
    return calls + ["glColor3f(%s)" % floats(*colour)]


def vertex(x, y, z):
    return "glVertex3f(%s)" % floats(x, y, z)


def faces(p_runs, tp_runs):
    calls = []
    for runs, is_tp in ((p_runs, False), (tp_runs, True)):
        for z in (FRONT_Z, BACK_Z):
            for polygon_id, points in runs:
                look = TP_FACE if is_tp else RED_FACE if polygon_id < FIRST_DARK_ID else DARK_FACE
                calls += material(look) + ["glBegin(GL_POLYGON)"]
                calls += [vertex(x, y, z) for x, y in points]
                calls.append("glEnd()")
    return calls


def walls(p_runs, tp_runs):
    calls = []
    for runs, is_tp in ((p_runs, False), (tp_runs, True)):
        for polygon_id, points in runs:
            if is_tp:
                calls.append("glColor3f(%s)" % floats(*TP_WALL_COLOUR))
            else:
                calls += material(RED_WALL if polygon_id < FIRST_DARK_ID else DARK_WALL)
            calls.append("glBegin(GL_TRIANGLE_STRIP)")
            for x, y in points + points[:1]:
                calls += [vertex(x, y, WALL_FAR_Z), vertex(x, y, FRONT_Z)]
            calls.append("glEnd()")
    return calls


def frame_body(tables):
    """What a frame draws between placing light 0 and popping the matrix."""
    p_runs, tp_runs = polygons(tables["P"]), polygons(tables["TP"])
    return faces(p_runs, tp_runs) + setup_scene() + walls(p_runs, tp_runs)


def read_tables(expected_path, fixture_path=None):
    """Tables stated by an .expected file. Lines: `P id x y` or `TP id x y` for one slot, in
    slot order; `lines P id first-last` for the point lines first to last (counted from 1) of
    the fixture, whose plain decimal fields stand at columns 24-30 and 37-43."""
    tables = {"P": [], "TP": []}
    with open(expected_path) as stated:
        for line in stated:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "lines":
                kind, polygon_id = words[1], int(words[2])
                first, last = (int(n) for n in words[3].split("-"))
                with open(fixture_path) as fixture:
                    fixture_lines = fixture.read().split("\n")
                for text in fixture_lines[first - 1:last]:
                    tables[kind].append((polygon_id, float(text[24:31]), float(text[37:44])))
            else:
                tables[words[0]].append((int(words[1]), float(words[2]), float(words[3])))
    for kind in tables:
        if len(tables[kind]) > TABLE_SLOTS:
            raise ValueError("%s states more than %d %s slots" % (expected_path, TABLE_SLOTS, kind))
    return tables
