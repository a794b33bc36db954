"""The program and `logotipo-outline import --watch` side by side: the program traced with
apitrace on the current X display, the watch writing its logo.txt, and the SVG saved the ways
editors save it. Every traced frame must draw exactly one of the logo.txt files the watch
wrote, in the order it wrote them, and each of them in some frame.

    watch_test.py PROGRAM OUTLINE_TOOL
"""

import os
import re
import signal
import subprocess
import sys
import tempfile
import time

import expected
from tracing import Failure, Program, check, read_calls, run_cases, split_frames
from whole_test import check_frames

WAIT = 5  # seconds for the watch to act on a save
SHOWN = 0.6  # seconds each logo is left on screen: time for frames on a loaded machine

HEAD = '<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 100 100">'
SQUARE = HEAD + '<rect x="10" y="10" width="80" height="80" fill="#222"/></svg>\n'
TRIANGLE = HEAD + '<polygon points="50,10 90,90 10,90" fill="#d01010"/></svg>\n'
TWO_SQUARES = HEAD + ('<rect x="0" y="0" width="40" height="40" fill="#222"/>'
                      '<rect x="60" y="60" width="40" height="40" fill="#222"/></svg>\n')
BROKEN = HEAD + '<rect x="10" y="10" wid'
PENTAGON = HEAD + '<polygon points="50,0 100,40 80,100 20,100 0,40" fill="#333"/></svg>\n'
MARK_AND_BAR = HEAD + ('<circle cx="50" cy="30" r="20" fill="#e00"/>'
                       '<rect x="10" y="70" width="80" height="10" fill="#111"/></svg>\n')


def tables_of(text):
    """The P and TP tables of a logo.txt as the importer writes it: a header line per
    polygon, then its points with x in columns 24-30 and y in columns 37-43."""
    tables, ids = {"P": [], "TP": []}, {"P": 0, "TP": 0}
    kind = None
    for line in text.split("\n"):
        if line.startswith("TP") or line.startswith("P"):
            kind = "TP" if line.startswith("TP") else "P"
            ids[kind] += 1
        elif line.strip():
            check(kind is not None, "a point before any header in logo.txt")
            tables[kind].append((ids[kind], float(line[24:31]), float(line[37:44])))
    return tables


class Watch:
    """logotipo-outline import --watch in folder; its standard error kept in a file."""

    def __init__(self, tool, folder):
        self.folder = folder
        self.logo = os.path.join(folder, "logo.txt")
        self.errors = open(os.path.join(folder, "watch.err"), "w+")
        self.process = subprocess.Popen(
            [tool, "import", "--watch", "-o", "logo.txt", "mark.svg"], cwd=folder,
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=self.errors)

    def lines(self):
        self.errors.seek(0)
        return self.errors.read().splitlines()

    def contents(self):
        try:
            with open(self.logo) as logo:
                return logo.read()
        except FileNotFoundError:
            return None

    def await_line(self, count, what):
        """Waits for line number count (from 1) of the watch's standard error."""
        deadline = time.monotonic() + WAIT
        while len(self.lines()) < count:
            check(self.process.poll() is None, "the watch ended: %s" % self.lines())
            check(time.monotonic() < deadline, "no line from the watch after %s" % what)
            time.sleep(0.02)
        return self.lines()[count - 1]

    def stop(self, how):
        self.process.send_signal(how)
        try:
            return self.process.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure("the watch did not end on signal %d" % how)


def write_in_place(path, text):
    with open(path, "w") as svg:
        svg.write(text)


def rename_over(path, text):
    write_in_place(path + ".saving", text)
    os.rename(path + ".saving", path)


def vim_save(path):
    """A real editor's save: the square made half as wide with vim's :s and :w."""
    done = subprocess.run(["vim.tiny", "-es", "-u", "NONE", "-i", "NONE", "-n",
                           "-c", r'%s/width="80"/width="40"/', "-c", "wq", path],
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, timeout=WAIT)
    check(done.returncode == 0, "vim.tiny failed with status %d" % done.returncode)


def drive(watch, svg):
    """Saves the SVG every way in turn; returns the logo.txt written after each good save."""
    logos = [watch.contents()]
    steps = [("vim :w", lambda: vim_save(svg)),
             ("a rename save", lambda: rename_over(svg, TRIANGLE)),
             ("an in-place write", lambda: write_in_place(svg, TWO_SQUARES)),
             ("a broken file", lambda: write_in_place(svg, BROKEN)),
             ("the recovery", lambda: write_in_place(svg, PENTAGON)),
             ("the deletion", lambda: os.remove(svg)),
             ("the new file", lambda: rename_over(svg, MARK_AND_BAR))]
    for number, (what, save) in enumerate(steps, start=2):
        save()
        line = watch.await_line(number, what)
        time.sleep(SHOWN)
        now = watch.contents()
        if what in ("a broken file", "the deletion"):
            check(now == logos[-1], "logo.txt changed after %s" % what)
            wanted = "not changed" if what == "a broken file" else "waiting for it"
            check(re.match(r"\d\d:\d\d:\d\d mark\.svg", line) and wanted in line, "the watch said after %s: %r" % (what, line))
        else:
            check("logo.txt: P " in line, "the watch said after %s: %r" % (what, line))
            check(now != logos[-1], "logo.txt is the same after %s" % what)
            logos.append(now)
    return logos


def check_vim_save(before, after):
    """The outline after vim's edit is half as wide as it is high, as the edited square."""
    def extent(tables, axis):
        values = [point[axis] for kind in tables for point in tables[kind]]
        return max(values) - min(values)
    ratio = extent(after, 1) / extent(after, 2)
    check(abs(ratio - 0.5) < 0.01 and abs(extent(before, 1) / extent(before, 2) - 1) < 0.01,
          "widths over heights: %.3f before vim's save, %.3f after" % (
              extent(before, 1) / extent(before, 2), ratio))


def check_clean(tool, folder, logos):
    """check takes the watch's padding for what it is: every logo.txt it wrote checks clean."""
    path = os.path.join(folder, "written.txt")
    for number, text in enumerate(logos, start=1):
        write_in_place(path, text)
        done = subprocess.run([tool, "check", path], stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, universal_newlines=True, timeout=WAIT)
        check(done.returncode == 0 and "padding" in done.stdout,
              "logo.txt %d as the watch wrote it does not check clean (status %d):\n%s" % (
                  number, done.returncode, done.stdout))
    os.remove(path)


def case_watch(program, tool, folder):
    write_in_place(os.path.join(folder, "mark.svg"), SQUARE)
    watch = Watch(tool, folder)
    running = None
    try:
        check("logo.txt: P " in watch.await_line(1, "the start"), "first line %s" % watch.lines())
        running = Program(program, folder, os.path.join(folder, "run.trace"))
        running.find_window()
        time.sleep(SHOWN)
        logos = drive(watch, os.path.join(folder, "mark.svg"))
        status = watch.stop(signal.SIGTERM)
        check(status == 0, "the watch ended with status %d on SIGTERM" % status)
        check(len(watch.lines()) == 8, "one line per save expected:\n" + "\n".join(watch.lines()))
        time.sleep(SHOWN)
        check(running.end() == 0, "the program did not end cleanly")
    finally:
        if running:
            running.kill()
        if watch.process.poll() is None:
            watch.process.kill()
    left = sorted(name for name in os.listdir(folder) if name.startswith("."))
    check(not left, "files left in the folder: %s" % left)
    check_clean(tool, folder, logos)
    tables = [tables_of(text) for text in logos]
    check_vim_save(tables[0], tables[1])
    frames, tail = split_frames(read_calls(os.path.join(folder, "run.trace")))
    phases, reshapes = check_frames(frames, tail, [expected.frame_body(t) for t in tables])
    check(not reshapes, "reshapes: %s" % reshapes)
    shown = [phases.count(n) for n in range(len(tables))]
    check(all(shown), "frames drawing each logo.txt written: %s" % shown)
    print("watch: %d frames; each of the %d logo.txt files written drawn in turn (%s frames)" % (
        len(frames), len(tables), shown))


def case_interrupt(tool, folder):
    """Ctrl-C right after a save, while the watch waits for it to settle: status 0, no file
    left beside logo.txt."""
    write_in_place(os.path.join(folder, "mark.svg"), TRIANGLE)
    watch = Watch(tool, folder)
    try:
        watch.await_line(1, "the start")
        rename_over(os.path.join(folder, "mark.svg"), SQUARE)
        status = watch.stop(signal.SIGINT)
    finally:
        if watch.process.poll() is None:
            watch.process.kill()
    check(status == 0, "the watch ended with status %d on SIGINT" % status)
    left = sorted(name for name in os.listdir(folder) if name.startswith("."))
    check(not left, "files left in the folder: %s" % left)
    print("interrupt: status 0, nothing left behind")


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    program, tool = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    folders = [tempfile.mkdtemp(prefix="logotipo-watch-") for _ in range(2)]

    def run():
        case_watch(program, tool, folders[0])
        case_interrupt(tool, folders[1])
    return run_cases(run, folders)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
