#!/usr/bin/env python3
"""Runs cuestrip in a pseudo-terminal and, as each subtitle line arrives, asks
mpv (through its IPC socket) where playback really is. Prints the absolute
lag of the subtitles against their frames (median, p95, max), how many came
early by more than half a frame, the program's CPU time per minute of
playback and its peak RSS.

Usage: latency_probe.py EXE SCRIPT VIDEO SOCKET FPS [PROGRAM-OPTIONS...]"""
import json, os, pty, re, resource, select, socket, statistics, sys, time

exe, script, video, sock_path, fps = sys.argv[1:6]
options = sys.argv[6:]
fps = float(fps)
line_re = re.compile(rb"L(\d+) at frame (\d+)")


def ask_position(sock_path):
    with socket.socket(socket.AF_UNIX) as s:
        s.settimeout(1.0)
        s.connect(sock_path)
        s.sendall(b'{"command": ["get_property", "time-pos"]}\n')
        data = b""
        while b"\n" not in data:
            data += s.recv(4096)
        return json.loads(data.split(b"\n")[0])["data"]


pid, fd = pty.fork()
if pid == 0:
    os.execv(exe, [exe, "-ndc", *options, script, video])

start = time.monotonic()
lags = []
round_trips = []
pending = b""
done = False
deadline = start + 120
while not done and time.monotonic() < deadline:
    ready, _, _ = select.select([fd], [], [], 0.5)
    if not ready:
        continue
    try:
        chunk = os.read(fd, 4096)
    except OSError:
        break
    if not chunk:
        break
    pending += chunk
    while b"\n" in pending:
        line, pending = pending.split(b"\n", 1)
        match = line_re.search(line)
        if not match:
            continue
        try:
            asked = time.monotonic()
            position = ask_position(sock_path)
            round_trips.append(time.monotonic() - asked)
        except (OSError, ValueError, KeyError) as error:
            print("no answer from mpv:", error)
            continue
        frame = int(match.group(2))
        lags.append(position * fps - frame)
        if int(match.group(1)) == 59:
            done = True

wall = time.monotonic() - start
os.write(fd, b"q")
try:
    while os.read(fd, 4096):
        pass
except OSError:
    pass
_, status, usage = os.wait4(pid, 0)

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
