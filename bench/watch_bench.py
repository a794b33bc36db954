"""Time from a save of the SVG to the first frame the program draws with the new outline,
with `logotipo-outline import --watch` between them: the sample mark with the name, saved as
editors save (a new file renamed over the old name), the disc's radius changed each time.
The program runs with frame_probe preloaded, which writes the time of each frame's buffer
swap whose vertices differ from the frame before. Run on an X display.

    watch_bench.py PROGRAM OUTLINE_TOOL FRAME_PROBE MARK_SVG [SAVES]
"""

import os
import random
import re
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

WAIT = 5  # seconds for a save to reach the screen before the run is given up


class Probe:
    """The probe's lines (swap time in ns, vertex hash), read from a pipe."""

    def __init__(self):
        self.read_end, self.write_end = os.pipe()
        self.pending = b""

    def drain(self):
        """Forgets what was written so far."""
        while select.select([self.read_end], [], [], 0)[0]:
            os.read(self.read_end, 4096)
        self.pending = b""

    def next_change(self, deadline):
        while b"\n" not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.read_end], [], [], left)[0]:
                return None
            chunk = os.read(self.read_end, 4096)
            if not chunk:
                return None
            self.pending += chunk
        line, self.pending = self.pending.split(b"\n", 1)
        when, digest = line.split()
        return int(when), digest


def save(path, text):
    with open(path + ".saving", "w") as new:
        new.write(text)
    os.rename(path + ".saving", path)


def main(argv):
    if len(argv) < 5:
        print(__doc__)
        return 2
    program, tool, probe_library, mark = (os.path.abspath(a) for a in argv[1:5])
    saves = int(argv[5]) if len(argv) > 5 else 20
    with open(mark) as original:
        texts = [original.read()]
    texts.append(texts[0].replace('r="46"', 'r="40"'))
    if texts[1] == texts[0]:
        print("the mark has no disc of radius 46 to change")
        return 2
    folder = tempfile.mkdtemp(prefix="logotipo-watch-bench-")
    svg = os.path.join(folder, "mark.svg")
    save(svg, texts[0])
    errors = open(os.path.join(folder, "watch.err"), "w+")
    watch = subprocess.Popen([tool, "import", "--watch", "-o", "logo.txt", "--text", "VESTRAL",
                              "mark.svg"], cwd=folder, stdout=subprocess.DEVNULL, stderr=errors)
    probe = Probe()
    shown = None
    try:
        deadline = time.monotonic() + WAIT
        while not os.path.exists(os.path.join(folder, "logo.txt")):
            if time.monotonic() > deadline:
                raise RuntimeError("the watch wrote no logo.txt")
            time.sleep(0.01)
        environment = dict(os.environ, LD_PRELOAD=probe_library,
                           LOGOTIPO_PROBE_FD=str(probe.write_end))
        shown = subprocess.Popen([program], cwd=folder, env=environment, pass_fds=[probe.write_end],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if probe.next_change(time.monotonic() + WAIT) is None:
            raise RuntimeError("the program drew no frame (is the probe preloaded?)")
        latencies = []
        for n in range(saves):
            # Saves fall anywhere in the frame cycle and the watch's wait.
            time.sleep(0.3 + random.random() * 0.2)
            probe.drain()
            save(svg, texts[(n + 1) % 2])
            saved = time.monotonic_ns()
            change = probe.next_change(time.monotonic() + WAIT)
            if change is None:
                raise RuntimeError("save %d never reached the screen" % (n + 1))
            latencies.append((change[0] - saved) / 1e6)
    except RuntimeError as problem:
        print("FAILED: %s" % problem)
        return 1
    finally:
        for process in (shown, watch):
            if process is not None:
                process.terminate()
                process.wait()
        errors.seek(0)
        lines = errors.read().splitlines()
        shutil.rmtree(folder, ignore_errors=True)
    imports = [int(m.group(1)) for m in (re.search(r"\((\d+) ms\)$", l) for l in lines) if m]
    print("%d saves of the mark with the name, each renamed over mark.svg" % len(latencies))
    print("save to first frame with the new outline: median %.1f ms, worst %.1f ms, best %.1f ms"
          % (statistics.median(latencies), max(latencies), min(latencies)))
    print("  each: %s" % " ".join("%.0f" % l for l in latencies))
    print("the import itself (the watch's lines): median %d ms, worst %d ms, over %d imports" % (
        statistics.median(imports), max(imports), len(imports)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
