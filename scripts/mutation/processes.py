"""Child processes that can be stopped whole: on a time limit or an interrupt."""

import os
import signal
import subprocess
from dataclasses import dataclass


@dataclass
class Finished:
    returncode: int
    output: str
    timed_out: bool


def _stop_group(process):
    """Stop the child and everything it started (they share its new session)."""
    for sig, wait in ((signal.SIGTERM, 3), (signal.SIGKILL, 10)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            continue


def _drain(process):
    """What the stopped child wrote; a grandchild that escaped may hold the pipe open."""
    try:
        output, _ = process.communicate(timeout=5)
    except subprocess.TimeoutExpired:
        process.kill()
        output = b""
    return (output or b"").decode("utf-8", "replace")


def run(command, cwd=None, env=None, timeout=None):
    """Run the command in its own session; output is stdout and stderr together."""
    process = subprocess.Popen(
        command,
        cwd=cwd,
        env=env,
        stdin=subprocess.DEVNULL,
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        start_new_session=True,
    )
    try:
        output, _ = process.communicate(timeout=timeout)
        return Finished(process.returncode, output.decode("utf-8", "replace"), False)
    except subprocess.TimeoutExpired:
        _stop_group(process)
        return Finished(process.returncode, _drain(process), True)
    except BaseException:
        _stop_group(process)
        _drain(process)
        raise
