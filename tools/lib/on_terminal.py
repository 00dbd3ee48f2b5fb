"""Runs a command on a terminal of its own, as a console window holds a program: Wine gives a
program started from a terminal a console, whose input is the terminal's keys.
  on_terminal.py SECONDS [--key-after TEXT] -- COMMAND...
Prints what the command wrote, the terminal's escapes left out, then "exit code N". With
--key-after it presses a key once TEXT has appeared. A command still running after SECONDS is
ended with all it started: "still running after SECONDS s", exit code 124."""

import os
import pty
import re
import select
import signal
import sys
import time

ESCAPE = re.compile(rb"\x1b\[([0-9;?]*)([A-Za-z])")


def plain(output):
    """The text the terminal shows, for a line-by-line reading: a move to the right is a space."""

    def replace(match):
        return b" " * int(match[1] or 1) if match[2] == b"C" else b""

    return ESCAPE.sub(replace, output).replace(b"\r", b"").decode(errors="replace")


def read(terminal):
    try:
        return os.read(terminal, 4096)
    except OSError:  # no process holds the terminal any more
        return b""


def main(argv):
    seconds = float(argv[1])
    key_after = argv[3] if argv[2] == "--key-after" else None
    command = argv[argv.index("--") + 1 :]
    pid, terminal = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    output, status, deadline = b"", None, time.monotonic() + seconds
    while status is None and time.monotonic() < deadline:
        # The Wine server may hold the terminal on after the command has ended.
        ready, _, _ = select.select([terminal], [], [], 0.1)
        output += read(terminal) if ready else b""
        if key_after is not None and key_after in plain(output):
            os.write(terminal, b"x")
            key_after = None
        ended, code = os.waitpid(pid, os.WNOHANG)
        status = code if ended else None
    while select.select([terminal], [], [], 0)[0] and (chunk := read(terminal)):
        output += chunk
    sys.stdout.write(plain(output))
    if status is None:
        os.killpg(pid, signal.SIGKILL)
        os.waitpid(pid, 0)
        print(f"\nstill running after {seconds:g} s")
        return 124
    code = os.waitstatus_to_exitcode(status)
    print(f"\nexit code {code}")
    return code


if __name__ == "__main__":
    sys.exit(main(sys.argv))
