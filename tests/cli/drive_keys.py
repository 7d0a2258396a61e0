#!/usr/bin/env python3
"""Plays through varno on a terminal of its own, pressing keys as its status line
shows what it plays: up (next subsong) once the first subsong plays, n (next
song) once the second subsong plays, q once the next song plays. Then once
more on a terminal 30 columns wide, where every status line must fit, and
Ctrl-C, which must end varno as the interrupt it is (130 in a shell).

  drive_keys.py VARNO FIRST_MODULE SECOND_MODULE

Exit status 0 when each key had its effect and varno ended as it should within
the time allowed; the status lines seen are printed otherwise."""
import fcntl
import os
import pty
import re
import select
import signal
import struct
import sys
import termios
import time

WAIT = 30  # seconds for each step, for a busy machine


def main():
    varno, first, second = sys.argv[1:4]
    first_name, second_name = os.path.basename(first), os.path.basename(second)
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(varno, [varno, "play", first, second])
    seen = b""
    steps = [(f"{first_name}  subsong 1/4", b"\x1b[A"), (f"{first_name}  subsong 2/4", b"n"), (f"> {second_name}", b"q")]
    for wanted, key in steps:
        deadline = time.time() + WAIT
        while wanted.encode() not in seen.split(b"\r")[-1] and time.time() < deadline:
            ready, _, _ = select.select([fd], [], [], 0.1)
            if ready:
                try:
                    seen += os.read(fd, 4096)
                except OSError:
                    break
        if wanted.encode() not in seen:
            print(f"never showed {wanted!r}; the terminal showed:")
            print(seen.decode(errors="replace").replace("\r", "\n"))
            os.kill(pid, 9)
            return 1
        os.write(fd, key)
    status, seen = wait_for_end(pid, fd, seen)
    if status is None:
        print("q did not end varno")
        return 1
    if os.waitstatus_to_exitcode(status) != 0:
        print(f"varno ended with {os.waitstatus_to_exitcode(status)}:", seen.decode(errors="replace"))
        return 1
    print("keys: up, n and q acted")
    return interrupt_on_a_narrow_terminal(varno, second)


def wait_for_end(pid, fd, seen):
    """The program's wait status and all it showed; None (and killed) if it did not end in time."""
    deadline = time.time() + WAIT
    while time.time() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            return status, seen
        try:
            if select.select([fd], [], [], 0.1)[0]:
                seen += os.read(fd, 4096)
        except OSError:
            time.sleep(0.1)
    os.kill(pid, 9)
    return None, seen


def interrupt_on_a_narrow_terminal(varno, module, columns=30):
    pid, fd = pty.fork()
    if pid == 0:
        os.execv(varno, [varno, "play", module])
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 24, columns, 0, 0))
    seen = b""
    deadline = time.time() + WAIT
    while b"0:01" not in seen and time.time() < deadline:
        if select.select([fd], [], [], 0.1)[0]:
            try:
                seen += os.read(fd, 4096)
            except OSError:
                break
    os.write(fd, b"\x03")
    status, seen = wait_for_end(pid, fd, seen)
    if status is None:
        print("Ctrl-C did not end varno")
        return 1
    lines = [re.sub(rb"\x1b\[K", b"", line) for line in seen.split(b"\r")]
    wide = [line for line in lines if len(line.decode(errors="replace")) >= columns]
    if wide:
        print(f"status lines wider than {columns - 1} columns:", wide)
        return 1
    if not os.WIFSIGNALED(status) or os.WTERMSIG(status) != signal.SIGINT:
        print(f"Ctrl-C ended varno with {os.waitstatus_to_exitcode(status)}, not by the interrupt:",
              seen.decode(errors="replace"))
        return 1
    print(f"Ctrl-C ended varno as an interrupt; status lines fit {columns} columns")
    return 0


if __name__ == "__main__":
    sys.exit(main())
