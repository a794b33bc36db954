"""Whole-program tests: the real program on the current X display, its GL calls recorded with
apitrace and compared call by call with the calls written out in expected.py.

    whole_test.py PROGRAM DATA_DIR fixture NAME   NAME.txt as logo.txt, tables in NAME.expected
    whole_test.py PROGRAM DATA_DIR keys|window|live|directory
"""

import os
import shutil
import sys
import tempfile
import time

import expected
from tracing import Failure, Program, check, read_calls, run_cases, run_quiet, split_frames
from tracing import texels_of
from tracing import window_geometry

MIN_FRAMES = 60
# How long a traced run lasts once the window is up; longer only when too few frames came.
RUN_SECONDS = (0.6, 1.5, 4.0)
FOLDERS = []  # made for the runs, removed at the end

SPECIAL_KEYS = ("Left", "Up", "Right", "Down", "F1", "F12", "Page_Up", "Page_Down", "Home",
                "Insert", "Shift_L")
ORDINARY_KEYS = ("a", "q", "Escape", "space", "Return", "Delete", "x")


def first_difference(got, wanted):
    for index, (call, text) in enumerate(zip(got, wanted)):
        if call.text != text:
            return index
    return min(len(got), len(wanted))


def expect_calls(got, wanted, what):
    """got (Calls) must be exactly the texts wanted."""
    if [call.text for call in got] == wanted:
        return
    index = first_difference(got, wanted)
    near = got[max(0, index - 3):index + 3]
    raise Failure("%s differs at its call %d of %d (%d expected):\n  expected: %s\n  got:      %s\n"
                  "  trace around it:\n%s" % (
                      what, index, len(got), len(wanted),
                      wanted[index] if index < len(wanted) else "(no more calls)",
                      got[index].text if index < len(got) else "(no more calls)",
                      "\n".join("    %d %s" % (c.number, c.text) for c in near)))


def reshape_blocks(calls, what):
    """Sizes of the reshapes that make up calls, each checked call by call."""
    sizes = []
    block = len(expected.reshape(1, 1))
    for start in range(0, len(calls), block):
        first = calls[start].text
        check(first.startswith("glViewport(0, 0, "),
              "%s: unexpected call %d %s between frames" % (what, calls[start].number, first))
        width, height = (int(n) for n in first[len("glViewport(0, 0, "):-1].split(", "))
        expect_calls(calls[start:start + block], expected.reshape(width, height),
                     "%s: reshape to %dx%d" % (what, width, height))
        sizes.append((width, height))
    return sizes


def check_frames(frames, tail, bodies):
    """Every frame n must be frame n of the animation drawing one of bodies; once a frame has
    drawn bodies[i], no later frame draws an earlier one. Returns the index into bodies of
    each frame and the reshapes as (index of the frame after them, width, height)."""
    check(frames, "no frame was traced")
    expect_calls(frames[0].before, expected.start_up(), "start-up")
    states = expected.animation(len(frames))
    phases, reshapes = [], []
    phase = 0
    for n, frame in enumerate(frames):
        if n > 0:
            reshapes += [(n, w, h) for w, h in reshape_blocks(frame.before, "before frame %d" % n)]
        head = expected.frame_start(*states[n])
        texts = [call.text for call in frame.calls]
        wanted = [head + body + expected.FRAME_END for body in bodies[phase:]]
        matching = next((i for i, calls in enumerate(wanted) if texts == calls), None)
        if matching is None:
            expect_calls(frame.calls, wanted[0], "frame %d" % n)
        phase += matching
        phases.append(phase)
    if tail:
        reshape_blocks(tail, "after the last frame")
    return phases, reshapes


def check_texels(trace, frames):
    """The stripe texels handed over at start-up and in the first frame."""
    startup_call = next(c for c in frames[0].before if c.text.startswith("glTexImage1D("))
    frame_call = next(c for c in frames[0].calls if c.text.startswith("glTexImage1D("))
    for call in (startup_call, frame_call):
        texels = texels_of(trace, call.number)
        check(texels == expected.STRIPE_TEXELS,
              "stripe texels of call %d: %s" % (call.number, list(texels)))


def traced_run(program, prepare, drive):
    """Runs the program under apitrace in a fresh folder set up by prepare(folder); once its
    window is up, drive(program, folder) (when given) acts on it, the run goes on for a while
    and END ends it. Runs again for longer while fewer than MIN_FRAMES frames were traced.
    Returns (frames, tail, trace)."""
    for seconds in RUN_SECONDS:
        folder = tempfile.mkdtemp(prefix="logotipo-")
        FOLDERS.append(folder)
        trace = os.path.join(folder, "run.trace")
        prepare(folder)
        running = Program(program, folder, trace)
        try:
            running.find_window()
            if drive:
                drive(running, folder)
            time.sleep(seconds)
            check(running.running(), "the program ended before END:\n" + running.error_text())
            status = running.end()
        finally:
            running.kill()
        check(status == 0, "exit status %s after END, expected 0" % status)
        frames, tail = split_frames(read_calls(trace))
        if len(frames) >= MIN_FRAMES or seconds == RUN_SECONDS[-1]:
            check(len(frames) >= MIN_FRAMES,
                  "only %d frames traced, at least %d needed" % (len(frames), MIN_FRAMES))
            return frames, tail, trace
        print("%d frames in %.1f s, running longer" % (len(frames), seconds))


def copy_logo(source):
    def prepare(folder):
        shutil.copyfile(source, os.path.join(folder, "logo.txt"))
    return prepare


def small_logo(data):
    """One polygon: most frames of a run, for the cases about keys, the window and the file."""
    return copy_logo(os.path.join(data, "live.txt"))


def no_reshapes(reshapes):
    check(not reshapes, "reshapes without a change of window size: %s" % reshapes)


def case_fixture(program, data, name):
    """A fixture as logo.txt: the start-up, then every frame with its transform, the tables of
    NAME.expected drawn as faces, the set-up again and the walls."""
    fixture = os.path.join(data, name + ".txt")
    tables = expected.read_tables(os.path.join(data, name + ".expected"), fixture)
    frames, tail, trace = traced_run(program, copy_logo(fixture), None)
    _, reshapes = check_frames(frames, tail, [expected.frame_body(tables)])
    no_reshapes(reshapes)
    check_texels(trace, frames)
    print("%s: %d frames as expected (%d points in P, %d in TP)" % (
        name, len(frames), len(tables["P"]), len(tables["TP"])))


def case_keys(program, data):
    """Special keys other than END and ordinary keys change nothing: the program keeps running
    and its frames go on as before."""
    def press_all(running, folder):
        time.sleep(0.2)
        for key in SPECIAL_KEYS + ORDINARY_KEYS:
            running.key(key)
            time.sleep(0.1)
            check(running.running(), "the program ended after the key %s" % key)
    frames, tail, _ = traced_run(program, small_logo(data), press_all)
    tables = expected.read_tables(os.path.join(data, "live.expected"))
    _, reshapes = check_frames(frames, tail, [expected.frame_body(tables)])
    no_reshapes(reshapes)
    print("keys: still running after %s; %d frames as expected" % (
        " ".join(SPECIAL_KEYS + ORDINARY_KEYS), len(frames)))


def resize(running, width, height):
    run_quiet("xdotool", "windowsize", running.window, str(width), str(height))
    deadline = time.monotonic() + 5
    while window_geometry(running.window)[3:] != (width, height):
        check(time.monotonic() < deadline, "the window did not become %dx%d" % (width, height))
        time.sleep(0.05)
    time.sleep(0.2)  # some frames at the new size


def case_window(program, data):
    """Title, size and position of the window; the projection follows resizes."""
    def look_and_resize(running, folder):
        geometry = window_geometry(running.window)
        check(geometry == ("Logotipo da VESTRAL", 100, 50, 500, 500),
              "window (title, x, y, width, height) is %s" % (geometry,))
        # The window shows before its first frame is drawn; a slow run (a sanitizer build on
        # a busy machine) would take the resize into its start-up.
        time.sleep(0.5)
        resize(running, 1000, 500)
        resize(running, 500, 1000)
    frames, tail, _ = traced_run(program, small_logo(data), look_and_resize)
    tables = expected.read_tables(os.path.join(data, "live.expected"))
    _, reshapes = check_frames(frames, tail, [expected.frame_body(tables)])
    check([size for _, *size in reshapes] == [[1000, 500], [500, 1000]],
          "reshapes %s, expected to 1000x500, then to 500x1000" % reshapes)
    check(reshapes[-1][0] < len(frames), "no frame after the last resize")
    # The projections stated outright, apart from the generator's arithmetic.
    ortho = [c.text for f in frames for c in f.before if c.text.startswith("glOrtho(")]
    check(ortho == ["glOrtho(-1, 1, -1, 1, -10, 10)", "glOrtho(-1, 1, -0.5, 0.5, -10, 10)",
                    "glOrtho(-1, 1, -2, 2, -10, 10)"], "projections: %s" % ortho)
    print("window: title, 500x500 at (100, 50); reshapes %s; %d frames as expected" % (
        reshapes, len(frames)))


def replace_file(logo, contents):
    """Puts a new file in place of logo as editors save: written beside it, renamed over it."""
    with open(logo + ".new", "wb") as new:
        new.write(contents)
    os.rename(logo + ".new", logo)


def case_live(program, data):
    """logo.txt is read again every frame: an appended polygon shows in later frames; a file
    cut to nothing leaves the last tables drawn; a new file renamed over the name is read from
    then on; a folder put in its place reads nothing (the last tables stay) and a file after it
    is read again. A resize after each change marks in the trace the point from which every
    frame must show it."""
    with open(os.path.join(data, "live-append.txt"), "rb") as added:
        addition = added.read()
    # The new file as a TP section: the P table keeps what the renamed file left in it.
    tp_addition = b"T" + addition

    def change_file(running, folder):
        logo = os.path.join(folder, "logo.txt")
        time.sleep(0.2)
        handle = os.open(logo, os.O_WRONLY | os.O_APPEND)
        check(os.write(handle, addition) == len(addition), "short write")
        os.close(handle)
        resize(running, 600, 500)
        os.truncate(logo, 0)
        resize(running, 500, 600)
        replace_file(logo, addition)
        resize(running, 600, 600)
        os.remove(logo)
        os.mkdir(logo)
        resize(running, 1000, 500)
        os.rmdir(logo)
        replace_file(logo, tp_addition)
        resize(running, 500, 1000)

    frames, tail, _ = traced_run(program, small_logo(data), change_file)
    before = expected.read_tables(os.path.join(data, "live.expected"))
    after = expected.read_tables(os.path.join(data, "live-append.expected"))
    renamed = expected.read_tables(os.path.join(data, "live-renamed.expected"))
    refilled = {"P": renamed["P"], "TP": [(1, x, y) for _, x, y in renamed["P"][:3]]}
    phases, reshapes = check_frames(frames, tail, [
        expected.frame_body(tables) for tables in (before, after, renamed, refilled)])
    check([(w, h) for _, w, h in reshapes] == [(600, 500), (500, 600), (600, 600), (1000, 500),
                                               (500, 1000)],
          "reshapes %s, expected the five marks" % reshapes)
    # Phases never go back, so the phase at each mark holds up to the next change.
    marks = [mark for mark, _, _ in reshapes]
    check(phases[0] == 0, "the first frame does not draw the file as it was")
    check(marks[-1] < len(frames), "no frame after the last change")
    at_marks = [phases[mark] for mark in marks]
    check(at_marks == [1, 1, 2, 2, 3],
          "after the append, the cut, the rename, the folder and the file after it, the frames "
          "draw files %s, expected [1, 1, 2, 2, 3]" % at_marks)
    print("live: %d frames before the append, %d with it, %d of the renamed file (%d with a "
          "folder in its place), %d of the file after the folder" % (
              phases.count(0), phases.count(1), phases.count(2), marks[4] - marks[3],
              phases.count(3)))


def case_directory(program, data):
    """A logo.txt that is a folder opens but reads nothing: frames run and draw no polygon."""
    def make_folder(folder):
        os.mkdir(os.path.join(folder, "logo.txt"))
    frames, tail, _ = traced_run(program, make_folder, None)
    _, reshapes = check_frames(frames, tail, [expected.frame_body({"P": [], "TP": []})])
    no_reshapes(reshapes)
    begins = sum(c.text.startswith("glBegin(") for f in frames for c in f.calls)
    check(begins == 0, "%d glBegin calls" % begins)
    print("directory: %d frames, none drawing a polygon" % len(frames))


def check_generator():
    """The animation as written out must meet its landmarks, or every frame check is moot."""
    states = expected.animation(181)
    scales = [scale for _, scale in states]
    check(scales[0] == 1.0 and scales[19] < 2.0 and scales[20] == 2.0 and scales[21] < 2.0,
          "scale near frame 20: %s" % scales[18:23])
    check(scales[59] > 0.0 and scales[60] == 0.0 and scales[61] > 0.0 and scales[100] == 2.0,
          "scale near frames 60 and 100: %s %s" % (scales[58:63], scales[100]))
    check(scales[20:100] == scales[100:180], "the scale does not repeat every 80 frames")
    check(states[60][0] == (180.0, 300.0, 120.0) and states[72][0] == (216.0, 0.0, 144.0),
          "angles of frames 60 and 72: %s %s" % (states[60][0], states[72][0]))


def main(argv):
    if len(argv) < 4:
        print(__doc__)
        return 2
    program, data, case = os.path.abspath(argv[1]), argv[2], argv[3]
    cases = {"fixture": case_fixture, "keys": case_keys, "window": case_window,
             "live": case_live, "directory": case_directory}

    def run():
        check_generator()
        cases[case](program, data, *argv[4:])
    return run_cases(run, FOLDERS)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
