"""Runs the real program on the current X display, optionally under `apitrace trace`, drives
its window with xdotool, and reads the recorded GL calls back as frames."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

WINDOW_TITLE = "Logotipo da VESTRAL"
WAIT_SECONDS = 15  # for a window to appear or the program to end


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run_cases(run, folders):
    """A test script's exit status: 0 when run() passes, 1 with the failure printed when it
    fails; the folders it made are removed either way."""
    try:
        run()
    except Failure as failure:
        print("FAILED: %s" % failure)
        return 1
    finally:
        for folder in folders:
            shutil.rmtree(folder, ignore_errors=True)
    return 0


def run_quiet(*command):
    """Runs an X tool; its output, or None when it fails."""
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          text=True, timeout=WAIT_SECONDS)
    return done.stdout if done.returncode == 0 else None


class Program:
    """The program started in workdir, in a process group of its own so that nothing it (or
    apitrace) starts outlives the test."""

    def __init__(self, program, workdir, trace=None):
        command = [program]
        if trace:
            command = ["apitrace", "trace", "--output", trace] + command
        self.stderr = tempfile.TemporaryFile()
        self.process = subprocess.Popen(command, cwd=workdir, stdin=subprocess.DEVNULL,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr,
                                        start_new_session=True)
        self.window = None

    def running(self):
        return self.process.poll() is None

    def find_window(self):
        deadline = time.monotonic() + WAIT_SECONDS
        while time.monotonic() < deadline:
            check(self.running(), "the program ended before its window appeared:\n" +
                  self.error_text())
            found = run_quiet("xdotool", "search", "--name", "^%s$" % WINDOW_TITLE)
            if found and found.split():
                self.window = found.split()[0]
                return self.window
            time.sleep(0.05)
        raise Failure("no window titled %r appeared" % WINDOW_TITLE)

    def key(self, name):
        """Presses and releases a key in the window."""
        if run_quiet("xdotool", "key", "--window", self.window, name) is None:
            # Most likely the window went away with the program.
            try:
                status = self.process.wait(timeout=2)
            except subprocess.TimeoutExpired:
                raise Failure("xdotool could not send %s" % name)
            raise Failure("the program ended with status %d at the key %s" % (status, name))

    def end(self):
        """Presses END (only down: the program is gone before a key-up) and waits for it."""
        sent = run_quiet("xdotool", "keydown", "--window", self.window, "End") is not None
        status = self.wait()
        check(sent, "END could not be sent: the program had ended (status %d)" % status)
        return status

    def wait(self):
        try:
            return self.process.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            self.kill()
            raise Failure("the program did not end")

    def kill(self):
        if self.running():
            os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()

    def error_text(self):
        self.stderr.seek(0)
        lines = self.stderr.read().decode(errors="replace").splitlines()
        return "\n".join(l for l in lines if not l.startswith("apitrace: "))


def window_geometry(window):
    """(title, x, y, width, height) of a window, as xwininfo reports it."""
    info = run_quiet("xwininfo", "-id", window)
    check(info is not None, "xwininfo failed")
    title = re.search(r'Window id: \S+ "(.*)"', info)
    numbers = {}
    for label in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"):
        numbers[label] = int(re.search(r"%s:\s+(-?\d+)" % label, info).group(1))
    return (title.group(1) if title else None, numbers["Absolute upper-left X"],
            numbers["Absolute upper-left Y"], numbers["Width"], numbers["Height"])


class Call:
    __slots__ = ("number", "text")

    def __init__(self, number, text):
        self.number, self.text = number, text


def read_calls(trace):
    """The GL calls of a trace in order, as `name(arguments)`. Calls apitrace made up itself
    and GLX calls are left out, except glXSwapBuffers (kept without its arguments); the parts
    of a bit mask are put in name order."""
    dump = subprocess.run(["apitrace", "dump", "--arg-names=no", "--multiline=no",
                           "--color=never", trace], stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL, text=True, timeout=120)
    check(dump.returncode == 0, "apitrace dump failed")
    calls = []
    for line in dump.stdout.splitlines():
        number, _, text = line.partition(" ")
        if not number.isdigit() or text.endswith("// fake"):
            continue
        if text.startswith("glX"):
            if text.startswith("glXSwapBuffers("):
                calls.append(Call(int(number), "glXSwapBuffers"))
            continue
        if " | " in text:
            name, _, arguments = text.partition("(")
            text = "%s(%s)" % (name, " | ".join(sorted(arguments[:-1].split(" | "))))
        calls.append(Call(int(number), text))
    return calls


class Frame:
    """One frame: the calls before it that are not part of a frame (start-up, reshapes) and
    the frame's own calls, from glClear to the buffer swap."""

    def __init__(self, before, calls):
        self.before, self.calls = before, calls


def split_frames(calls):
    frames, start = [], 0
    for index, call in enumerate(calls):
        if call.text == "glXSwapBuffers":
            segment = calls[start:index + 1]
            first = next((i for i, c in enumerate(segment) if c.text.startswith("glClear(")),
                         None)
            check(first is not None, "a buffer swap at call %d without a frame" % call.number)
            frames.append(Frame(segment[:first], segment[first:]))
            start = index + 1
    return frames, calls[start:]


def texels_of(trace, call_number):
    """The 48 bytes handed to the glTexImage1D call with that number."""
    with tempfile.TemporaryDirectory() as blobs:
        subprocess.run(["apitrace", "dump", "--blobs", "--calls=%d" % call_number, trace],
                       cwd=blobs, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=120)
        path = os.path.join(blobs, "blob_call%d.bin" % call_number)
        check(os.path.exists(path), "apitrace wrote no blob for call %d" % call_number)
        with open(path, "rb") as blob:
            return blob.read()
