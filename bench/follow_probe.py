#!/usr/bin/env python3
"""Runs cuestrip in a pseudo-terminal while it follows a running player, and
measures how far each subtitle line lags behind the followed player's own
position when the line arrives. Prints median, p95, max and min lag.

Usage: follow_probe.py TRUTH FPS EXE ARGS...
TRUTH is mpv:SOCKET (ask mpv's time-pos as each line arrives), mpc:PORT (ask
the MPC stand-in's exact position as each line arrives) or mpris:NAME
(sample the player's MPRIS Position every 5 ms and take the freshest samples
as its clock: position = time - offset, for players that refresh it seldom).
"""
import os, re, statistics, sys, threading, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from ptyprobe import ask_mpv, lines, quit, spawn

truth, fps, exe, *args = sys.argv[1:]
fps = float(fps)
line_re = re.compile(rb"L(\d+) at frame (\d+)")
samples = []
stop = threading.Event()


def sample_mpris(name):
    import dbus
    bus = dbus.SessionBus()
    props = dbus.Interface(bus.get_object("org.mpris.MediaPlayer2." + name, "/org/mpris/MediaPlayer2"),
                           "org.freedesktop.DBus.Properties")
    while not stop.is_set():
        before = time.monotonic()
        value = int(props.Get("org.mpris.MediaPlayer2.Player", "Position")) / 1e6
        samples.append((time.monotonic(), before, value))
        time.sleep(0.005)


def ask_mpc(port):
    import urllib.request
    with urllib.request.urlopen(f"http://127.0.0.1:{port}/standin/position", timeout=1) as answer:
        return float(answer.read().split()[0])


kind, _, target = truth.partition(":")
if kind == "mpris":
    threading.Thread(target=sample_mpris, args=(target,), daemon=True).start()

pid, fd = spawn([exe] + args)
arrivals = []  # (moment, frame, position asked at once or None)
for moment, line in lines(fd, 25):
    match = line_re.search(line)
    if match:
        position = ask_mpv(target) if kind == "mpv" else ask_mpc(target) if kind == "mpc" else None
        arrivals.append((moment, int(match.group(2)), position))
stop.set()
quit(pid, fd)

# The first lines are those already due when the program started.
arrivals = arrivals[3:]
if kind == "mpris":
    # A sample's value was true at the latest when the answer came; the
    # freshest samples (smallest answer time minus value) give the clock.
    offset = min(answered - value for answered, _, value in samples if value > 0.5)
    lags = [(moment - offset) * fps - frame for moment, frame, _ in arrivals]
else:
    lags = [position * fps - frame for _, frame, position in arrivals]
if not lags:
    print("no subtitle arrived")
    sys.exit(1)
lags.sort()
p95 = lags[min(len(lags) - 1, int(round(0.95 * (len(lags) - 1))))]
ms = 1000.0 / fps
print(f"subtitles measured: {len(lags)}; lag in ms: median {statistics.median(lags) * ms:.0f}, "
      f"p95 {p95 * ms:.0f}, max {max(lags) * ms:.0f}, min {min(lags) * ms:.0f}")
