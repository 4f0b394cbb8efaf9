"""Ctrl-C, a hang-up or a kill request become an exception the run can clean up after."""

import contextlib
import signal

SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


class Interrupted(BaseException):
    """Not an Exception: nothing that catches errors may swallow it."""

    def __init__(self, signum):
        super().__init__(signal.Signals(signum).name)
        self.signum = signum


def _raise(signum, _frame):
    raise Interrupted(signum)


def install():
    for s in SIGNALS:
        signal.signal(s, _raise)


@contextlib.contextmanager
def held():
    """Signals wait until the block is done (a file half put back helps nobody)."""
    pending = []
    for s in SIGNALS:
        signal.signal(s, lambda signum, _frame: pending.append(signum))
    try:
        yield
    finally:
        install()
        if pending:
            raise Interrupted(pending[0])
