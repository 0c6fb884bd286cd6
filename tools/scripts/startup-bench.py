#!/usr/bin/env python3
"""Start-up figures of the player beside the players people already use.

For each program, in interleaved rounds (ours, peer, peer, ours, ...), on one
bare virtual X server of its own (no window manager, so the X server itself
reports every top-level window mapped) and with a fresh home folder each
start:

  - the time from exec to its first window mapped, taken from the X
    server's MapNotify event (xev on the root window, read as it comes; no
    polling);
  - the resident memory of the started process at that moment;
  - 10 s after the start, the proportional set size (PSS) of all its
    processes (children included: the web engine's).

Medians over the rounds are printed as a table, with ratios to ours.

Ours runs from a release build's bin folder (build/release/bin unless
--program-folder names another, for instance another branch's build) against
the service stand-in beside it; the peers (Audacious and Qmmp) run where
they are installed and are skipped otherwise. They are only yardsticks:
never a dependency of the program (see README.md for installing them).

Needs Xvfb and xev (tools/scripts/deps.sh installs them).
"""

import argparse
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SETTLE_SECONDS = 10.0
MAP_LIMIT_SECONDS = 30.0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Screen:
    """A bare Xvfb on a free display, and xev reporting its top-level maps."""

    def __init__(self):
        for number in range(120, 200):
            if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
                break
        self.display = f":{number}"
        ready_r, ready_w = os.pipe()
        # -displayfd: Xvfb writes its number there once it accepts clients.
        self.server = subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-displayfd", str(ready_w)],
            pass_fds=(ready_w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(ready_w)
        with os.fdopen(ready_r) as ready:
            if not ready.readline().strip():
                raise RuntimeError("Xvfb did not start")
        env = dict(os.environ, DISPLAY=self.display)
        self.events = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"], env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        # xev prints nothing until an event comes: a window of our own,
        # mapped and gone, says it listens.
        probe = subprocess.Popen(["xev"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.next_map(10.0)
        probe.terminate()
        probe.wait()
        self.drain()

    def next_map(self, limit):
        """Seconds on the monotonic clock at which the next top-level window
        (not override-redirect) was mapped, or None after `limit`."""
        import selectors
        selector = selectors.DefaultSelector()
        selector.register(self.events.stdout, selectors.EVENT_READ)
        deadline = time.monotonic() + limit
        pending = False
        while True:
            left = deadline - time.monotonic()
            if left <= 0 or not selector.select(left):
                return None
            line = self.events.stdout.readline()
            if not line:
                return None
            if line.startswith("MapNotify event"):
                pending = True
                at = time.monotonic()
            elif pending and "override" in line:
                pending = False
                if "override NO" in line:
                    return at

    def drain(self):
        os.set_blocking(self.events.stdout.fileno(), False)
        try:
            while self.events.stdout.readline():
                pass
        except (BlockingIOError, TypeError):
            pass
        os.set_blocking(self.events.stdout.fileno(), True)

    def close(self):
        for process in (self.events, self.server):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()


def tree(pid):
    """`pid` and all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                parent = int(stat.read().rsplit(")", 1)[1].split()[1])
        except (OSError, IndexError, ValueError):
            continue
        children.setdefault(parent, []).append(int(entry))
    found, todo = [], [pid]
    while todo:
        current = todo.pop()
        found.append(current)
        todo.extend(children.get(current, []))
    return found


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def pss_kb(pids):
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as rollup:
                for line in rollup:
                    if line.startswith("Pss:"):
                        total += int(line.split()[1])
        except OSError:
            pass
    return total


class Ours:
    name = "TonvikMusic"

    def __init__(self, folder):
        self.bin = os.path.abspath(folder)
        self.port = free_port()
        self.scratch = tempfile.mkdtemp(prefix="startbench-ours-")
        self.standin = subprocess.Popen(
            [os.path.join(self.bin, "tonvik-standin"), "--port", str(self.port), "--state",
             os.path.join(self.scratch, "state")], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), 0.2).close()
                break
            except OSError:
                time.sleep(0.05)

    def prepare(self, home):
        """The program folder for one start: the program and its libraries
        copied (it finds its files beside its own path), the shipped folders
        linked, settings naming the stand-in."""
        folder = os.path.join(home, "program")
        os.makedirs(folder)
        for name in os.listdir(self.bin):
            path = os.path.join(self.bin, name)
            if os.path.isdir(path):
                os.symlink(path, os.path.join(folder, name))
            elif name == "TonvikMusic" or name.endswith(".so"):
                shutil.copy2(path, folder)
        host = f"127.0.0.1:{self.port}"
        with open(os.path.join(folder, "TonvikMusic.ini"), "w", newline="") as ini:
            ini.write(f"[Hosts]\r\nService={host}\r\nLogin={host}\r\nComment={host}\r\nLyricSearch={host}\r\n")
        return [os.path.join(folder, "TonvikMusic")]

    def close(self):
        self.standin.terminate()
        self.standin.wait()
        shutil.rmtree(self.scratch, ignore_errors=True)


class Peer:
    def __init__(self, name, command):
        self.name = name
        self.command = command

    def prepare(self, home):
        return list(self.command)

    def close(self):
        pass


def run_once(screen, program):
    home = tempfile.mkdtemp(prefix="startbench-home-")
    env = dict(os.environ, DISPLAY=screen.display, QT_QPA_PLATFORM="xcb", HOME=home,
               XDG_CONFIG_HOME=os.path.join(home, ".config"), XDG_DATA_HOME=os.path.join(home, ".local/share"),
               XDG_CACHE_HOME=os.path.join(home, ".cache"), XDG_RUNTIME_DIR=os.path.join(home, "run"))
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    for drop in ("WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        env.pop(drop, None)
    command = program.prepare(home)
    screen.drain()
    start = time.monotonic()
    process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               start_new_session=True)
    mapped = screen.next_map(MAP_LIMIT_SECONDS)
    figures = None
    if mapped is not None and process.poll() is None:
        rss = rss_kb(process.pid)
        time.sleep(max(0.0, start + SETTLE_SECONDS - time.monotonic()))
        pids = tree(process.pid)
        figures = (mapped - start, rss / 1024, pss_kb(pids) / 1024, len(pids))
    try:
        os.killpg(process.pid, signal.SIGTERM)
        process.wait(10)
    except (ProcessLookupError, subprocess.TimeoutExpired):
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait()
    shutil.rmtree(home, ignore_errors=True)
    return figures


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--program-folder", default=os.path.join(ROOT, "build", "release", "bin"),
                        help="the bin folder of the build of ours to measure")
    parser.add_argument("--also", metavar="NAME=FOLDER", action="append", default=[],
                        help="another build of ours to measure beside it (for instance main's)")
    parser.add_argument("--no-peers", action="store_true")
    arguments = parser.parse_args()

    for tool in ("Xvfb", "xev", "stdbuf"):
        if not shutil.which(tool):
            sys.exit(f"needs {tool} (tools/scripts/deps.sh installs it)")
    programs = [Ours(arguments.program_folder)]
    for extra in arguments.also:
        name, _, folder = extra.partition("=")
        other = Ours(folder)
        other.name = f"TonvikMusic ({name})"
        programs.append(other)
    if not arguments.no_peers:
        for name, command in (("Audacious", ["audacious"]), ("Qmmp", ["qmmp"])):
            if shutil.which(command[0]):
                programs.append(Peer(name, command))
            else:
                print(f"({name} is not installed: skipped)")

    screen = Screen()
    results = {program.name: [] for program in programs}
    try:
        for round_number in range(arguments.rounds):
            # Interleaved, each round in another order.
            order = programs[round_number % len(programs):] + programs[:round_number % len(programs)]
            for program in order:
                figures = run_once(screen, program)
                print(f"round {round_number + 1} {program.name}: " +
                      ("no window" if figures is None else
                       "mapped %.3f s, RSS %.0f MB, PSS after 10 s %.0f MB in %d processes" % figures), flush=True)
                if figures:
                    results[program.name].append(figures)
    finally:
        screen.close()
        for program in programs:
            program.close()

    print()
    print("| | time to window mapped (median) | resident memory then | all processes' PSS after 10 s |")
    print("|---|---|---|---|")
    medians = {}
    for program in programs:
        runs = results[program.name]
        if not runs:
            print(f"| {program.name} | no window | | |")
            continue
        medians[program.name] = (statistics.median(r[0] for r in runs), statistics.median(r[1] for r in runs),
                                 statistics.median(r[2] for r in runs), round(statistics.median(r[3] for r in runs)))
        m = medians[program.name]
        print(f"| {program.name} | {m[0]:.3f} s | {m[1]:.0f} MB | {m[2]:.0f} MB in {m[3]} processes |")
    ours = medians.get(programs[0].name)
    if ours:
        print()
        for name, m in medians.items():
            if name != programs[0].name:
                print(f"{programs[0].name} / {name}: time {ours[0] / m[0]:.2f}x, "
                      f"resident {ours[1] / m[1]:.2f}x, PSS {ours[2] / m[2]:.2f}x")


if __name__ == "__main__":
    main()
