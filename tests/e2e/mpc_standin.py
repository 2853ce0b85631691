#!/usr/bin/env python3
"""A stand-in for MPC-HC's web interface, for the tests and the bench.

Serves /variables.html as MPC-HC's template fills it, from a playing
timeline in milliseconds that moves in coarse steps (the position MPC
reports is its graph's clock as its seek bar reads it, so it changes in
steps), and takes /command.html?wm_command=N: 887 play, 888 pause, 889 play
or pause, 890 stop (to the start, file kept), -1 with position=h:m:s[.ms]
or percent=P to seek. Like MPC it answers HTTP/1.0 and closes every
connection. Each command is logged as one line to --log.

/standin/position answers the exact position (seconds) and the state, for
the test that checks the follower against the stand-in's own clock.

  mpc_standin.py --port 13579 --duration 40 --step-ms 250 --log commands.log
"""
import argparse
import http.server
import re
import sys
import threading
import time
import urllib.parse

STATES = {-1: "N/A", 0: "Stopped", 1: "Paused", 2: "Playing"}


class Timeline:
    def __init__(self, duration, step_ms, start):
        self.lock = threading.Lock()
        self.duration_ms = int(duration * 1000)
        self.step_ms = step_ms
        self.anchor_ms = start * 1000.0
        self.anchor_at = time.monotonic()
        self.state = 2

    def exact_ms(self):
        pos = self.anchor_ms
        if self.state == 2:
            pos += (time.monotonic() - self.anchor_at) * 1000.0
        return min(pos, self.duration_ms)

    def reported_ms(self):
        pos = self.exact_ms()
        if self.state == 2 and self.step_ms > 0:
            pos = pos // self.step_ms * self.step_ms
        return int(pos)

    def rebase(self, ms, state):
        self.anchor_ms = max(0.0, min(float(ms), self.duration_ms))
        self.anchor_at = time.monotonic()
        self.state = state


def make_handler(timeline, log):
    class Handler(http.server.BaseHTTPRequestHandler):
        server_version = "MPC-HC WebServer"

        def log_message(self, *args):
            pass

        def send(self, status, body, kind="text/html; charset=utf-8"):
            data = body.encode("utf-8")
            self.send_response(status)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data)

        def variables_page(self):
            with timeline.lock:
                pos, state = timeline.reported_ms(), timeline.state
                dur = timeline.duration_ms
            stamp = lambda ms: "%02d:%02d:%02d" % (ms // 3600000, ms // 60000 % 60, ms // 1000 % 60)
            paragraphs = [("file", "video.mp4"), ("filepatharg", "C%3a%5cvideo.mp4"),
                          ("filepath", "C:\\video.mp4"), ("filedirarg", "C%3a%5c"),
                          ("filedir", "C:\\"), ("state", str(state)),
                          ("statestring", STATES[state]), ("position", str(pos)),
                          ("positionstring", stamp(pos)), ("duration", str(dur)),
                          ("durationstring", stamp(dur)), ("volumelevel", "100"),
                          ("muted", "0"), ("playbackrate", "1"), ("size", "1 MB"),
                          ("reloadtime", "0"), ("version", "2.1.0 (stand-in)")]
            body = ("<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                    "<title>MPC-HC WebServer - Variables</title>\r\n</head>\r\n"
                    "<body class=\"page-variables\">\r\n<h1>MPC-HC Variables</h1>\r\n" +
                    "".join('<p id="%s">%s</p>\r\n' % p for p in paragraphs) +
                    "</body>\r\n</html>\r\n")
            self.send(200, body)

        def apply_command(self, query):
            arg = query.get("wm_command", [""])[0]
            try:
                cmd = int(arg)
            except ValueError:
                return self.send(200, "")
            with timeline.lock:
                pos = timeline.exact_ms()
                if cmd == 887:
                    timeline.rebase(pos, 2)
                elif cmd == 888:
                    timeline.rebase(pos, 1)
                elif cmd == 889:
                    timeline.rebase(pos, 1 if timeline.state == 2 else 2)
                elif cmd == 890:
                    timeline.rebase(0, 0)
                elif cmd == -1 and "position" in query:
                    m = re.match(r"^(\d+)\D(\d+)\D(\d+)(?:\D(\d+))?", query["position"][0])
                    if not m:
                        return self.send(200, "")
                    h, mi, s, ms = (int(g or 0) for g in m.groups())
                    timeline.rebase(((h * 60 + mi) * 60 + s) * 1000 + ms, timeline.state)
                elif cmd == -1 and "percent" in query:
                    timeline.rebase(float(query["percent"][0]) / 100 * timeline.duration_ms,
                                    timeline.state)
            if log:
                with open(log, "a") as out:
                    out.write("%s\n" % self.path)
            self.send(200, "")

        def handle_get(self):
            url = urllib.parse.urlsplit(self.path)
            query = urllib.parse.parse_qs(url.query)
            if url.path == "/variables.html":
                return self.variables_page()
            if url.path == "/command.html":
                return self.apply_command(query)
            if url.path == "/standin/position":
                with timeline.lock:
                    return self.send(200, "%.3f %d\n" % (timeline.exact_ms() / 1000, timeline.state),
                                     "text/plain")
            self.send(404, "<html><body>404 Not Found</body></html>")

        def do_GET(self):
            self.handle_get()

        def do_POST(self):
            length = int(self.headers.get("Content-Length") or 0)
            body = self.rfile.read(length).decode("utf-8", "replace") if length else ""
            if body:
                self.path += ("&" if "?" in self.path else "?") + body
            self.handle_get()

    return Handler


def main():
    parser = argparse.ArgumentParser(description="MPC-HC web interface stand-in")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=13579)
    parser.add_argument("--duration", type=float, default=40)
    parser.add_argument("--start", type=float, default=0)
    parser.add_argument("--step-ms", type=int, default=250)
    parser.add_argument("--log", default="")
    args = parser.parse_args()
    timeline = Timeline(args.duration, args.step_ms, args.start)
    server = http.server.ThreadingHTTPServer((args.host, args.port), make_handler(timeline, args.log))
    print("listening on %s:%d" % (args.host, server.server_address[1]), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
