"""Shared pieces of the probes that run cuestrip in a pseudo-terminal and
note each subtitle line as it arrives: start the program, read its lines
with a deadline, ask mpv (over its IPC socket) where playback is, and end
the program with "q"."""
import json, os, pty, select, socket, time


def ask_mpv(sock_path, name="time-pos"):
    """The value of one mpv property, asked over its IPC socket."""
    with socket.socket(socket.AF_UNIX) as s:
        s.settimeout(1.0)
        s.connect(sock_path)
        s.sendall(json.dumps({"command": ["get_property", name]}).encode() + b"\n")
        data = b""
        while b"\n" not in data:
            chunk = s.recv(4096)
            if not chunk:
                raise OSError("mpv closed the socket")
            data += chunk
        return json.loads(data.split(b"\n")[0])["data"]


def spawn(argv):
    """Starts argv in a new pseudo-terminal; returns its pid and the terminal."""
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(argv[0], argv)
    return pid, fd


def lines(fd, seconds):
    """Yields (moment, line) for each whole line the program writes, until it
    ends or the seconds are up. The moment is taken as the line is read."""
    deadline = time.monotonic() + seconds
    pending = b""
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], 0.5)
        if not ready:
            continue
        try:
            chunk = os.read(fd, 4096)
        except OSError:
            return
        if not chunk:
            return
        pending += chunk
        while b"\n" in pending:
            line, pending = pending.split(b"\n", 1)
            yield time.monotonic(), line


def quit(pid, fd):
    """Presses "q", reads the program's last output and reaps it; returns its
    wait status and resource usage."""
    os.write(fd, b"q")
    try:
        while os.read(fd, 4096):
            pass
    except OSError:
        pass
    _, status, usage = os.wait4(pid, 0)
    return status, usage
