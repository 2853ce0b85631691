#!/usr/bin/env python3
"""Runs cuestrip in a pseudo-terminal and, as each subtitle line arrives, asks
mpv (through its IPC socket) where playback really is. Prints the absolute
lag of the subtitles against their frames (median, p95, max), how many came
early by more than half a frame, the program's CPU time per minute of
playback and its peak RSS.

Usage: latency_probe.py EXE SCRIPT VIDEO SOCKET FPS [PROGRAM-OPTIONS...]"""
import os, re, statistics, sys, time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from ptyprobe import ask_mpv, lines, quit, spawn

exe, script, video, sock_path, fps = sys.argv[1:6]
options = sys.argv[6:]
fps = float(fps)
line_re = re.compile(rb"L(\d+) at frame (\d+)")
with open(script, "rb") as f:
    last = max(int(n) for n in re.findall(rb"^L(\d+) at", f.read(), re.M))

pid, fd = spawn([exe, "-ndc", *options, script, video])
start = time.monotonic()
lags = []
round_trips = []
for _, line in lines(fd, 120):
    match = line_re.search(line)
    if not match:
        continue
    try:
        asked = time.monotonic()
        position = ask_mpv(sock_path)
        round_trips.append(time.monotonic() - asked)
    except (OSError, ValueError, KeyError) as error:
        print("no answer from mpv:", error)
        continue
    lags.append(position * fps - int(match.group(2)))
    if int(match.group(1)) == last:
        break
wall = time.monotonic() - start
status, usage = quit(pid, fd)

if not lags:
    print("no subtitle arrived")
    sys.exit(1)
ms = 1000.0 / fps
absolute = sorted(abs(lag) for lag in lags)
p95 = absolute[min(len(absolute) - 1, int(round(0.95 * (len(absolute) - 1))))]
early = sum(1 for lag in lags if lag < -0.5)
print(f"subtitles measured: {len(lags)}")
print(f"absolute lag in frames: median {statistics.median(absolute):.2f}, p95 {p95:.2f}, "
      f"max {max(absolute):.2f}; signed min {min(lags):.2f}")
print(f"absolute lag in ms:     median {statistics.median(absolute) * ms:.0f}, "
      f"p95 {p95 * ms:.0f}, max {max(absolute) * ms:.0f}")
print(f"early by more than half a frame: {early}")
print(f"mpv's answer took: median {statistics.median(round_trips) * 1000:.1f} ms, "
      f"max {max(round_trips) * 1000:.1f} ms")
histogram = {}
for lag in lags:
    histogram[round(lag)] = histogram.get(round(lag), 0) + 1
print("lag in whole frames (frames: subtitles): " +
      ", ".join(f"{k}: {v}" for k, v in sorted(histogram.items())))
cpu = usage.ru_utime + usage.ru_stime
print(f"CPU time: {cpu:.2f} s over {wall:.1f} s of playback = "
      f"{cpu / (wall / 60):.2f} s per minute ({100 * cpu / wall:.1f} % of a core)")
print(f"peak RSS: {usage.ru_maxrss / 1024:.1f} MB")
print(f"exit status: {os.waitstatus_to_exitcode(status)}")
