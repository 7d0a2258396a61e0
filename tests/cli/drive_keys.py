#!/usr/bin/env python3
"""Plays through varno on a terminal of its own, pressing keys as its status line
shows what it plays: up (next subsong) once the first subsong plays, n (next
song) once the second subsong plays, q once the next song plays.

  drive_keys.py VARNO FIRST_MODULE SECOND_MODULE

Exit status 0 when each key had its effect and varno ended with 0 within the
time allowed; the status lines seen are printed otherwise."""
import os
import pty
import select
import sys
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
    deadline = time.time() + WAIT
    while time.time() < deadline:
        done, status = os.waitpid(pid, os.WNOHANG)
        if done:
            break
        try:
            if select.select([fd], [], [], 0.1)[0]:
                seen += os.read(fd, 4096)
        except OSError:
            time.sleep(0.1)
    else:
        print("q did not end varno")
        os.kill(pid, 9)
        return 1
    if os.waitstatus_to_exitcode(status) != 0:
        print(f"varno ended with {os.waitstatus_to_exitcode(status)}:", seen.decode(errors="replace"))
        return 1
    print("keys: up, n and q acted")
    return 0


if __name__ == "__main__":
    sys.exit(main())
