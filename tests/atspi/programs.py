# SPDX-License-Identifier: GPL-3.0-or-later
"""The programs a check runs against: simulated modems and the window, each
stopped again when its block ends, also when a check fails."""

import os
import signal
import subprocess
import time

STOP_WAIT = 5.0


def wait_for(condition, timeout, what):
    """Polls condition() until it is true; raises TimeoutError naming what."""
    end = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > end:
            raise TimeoutError(f"{what}: not within {timeout} s")
        time.sleep(0.02)


def stop(process):
    """Ends a child: SIGTERM, then SIGKILL if it does not go in time."""
    if process.poll() is not None:
        return
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(STOP_WAIT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class ModemSim:
    """tools/modem-sim on a pseudo-terminal, reached through a symlink."""

    def __init__(self, program, link, options=()):
        self.link = link
        self.log = link + ".log"
        self._command = [program, "--link", link, "--log", self.log, *options]
        self._process = None

    def __enter__(self):
        self._process = subprocess.Popen(self._command, stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL)
        wait_for(lambda: os.path.islink(self.link) or self._process.poll() is not None,
                 5, f"modem-sim's device at {self.link}")
        if self._process.poll() is not None:
            raise RuntimeError(f"modem-sim exited with {self._process.returncode}")
        return self

    def __exit__(self, *exc):
        stop(self._process)
        # It removes its link at exit; the next modem may take the name.
        wait_for(lambda: not os.path.lexists(self.link), STOP_WAIT, f"{self.link} removed")

    def events(self):
        """The lines of the modem's event log so far."""
        try:
            with open(self.log, encoding="ascii") as log:
                return log.read().splitlines()
        except FileNotFoundError:
            return []

    def logged(self, direction):
        """The hex of every byte the log shows going that way, TX or RX."""
        return "".join(line.split()[2] for line in self.events()
                       if line.split()[1:2] == [direction] and len(line.split()) > 2)

    def sent(self, data):
        """Whether the modem has written these bytes (its log's TX lines)."""
        return data.hex().upper() in self.logged("TX")


class Window:
    """The window program on the virtual screen, with settings of its own:
    comm ports mapped to devices, the port, rate and address shown at start."""

    def __init__(self, program, folder, ports, port, baud, address):
        self._program = program
        self._folder = folder
        self._ports = ports
        self._settings = {"Port": port, "BAUD": baud, "ADDRESS": address}
        self._process = None

    def _write_settings(self, config):
        os.makedirs(os.path.join(config, "MIRAN"), exist_ok=True)
        lines = ["[Ports]"]
        lines += [f"{number}={device}" for number, device in sorted(self._ports.items())]
        lines += ["", "[Settings]"]
        lines += [f"{key}={value}" for key, value in self._settings.items()]
        lines += [""]
        with open(os.path.join(config, "MIRAN", "MIRAN.ini"), "w", encoding="utf-8") as ini:
            ini.write("\n".join(lines))

    def __enter__(self):
        config = os.path.join(self._folder, "config")
        self._write_settings(config)
        environment = dict(os.environ,
                           QT_QPA_PLATFORM="xcb",
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                           XDG_CONFIG_HOME=config,
                           XDG_DATA_HOME=os.path.join(self._folder, "data"))
        self._process = subprocess.Popen([self._program], env=environment,
                                         stdin=subprocess.DEVNULL)
        return self

    def __exit__(self, *exc):
        ended = self._process.poll()
        if ended is not None:
            # Gone before its time: a crash shows here, not as a check's cause.
            how = f"signal {-ended}" if ended < 0 else f"exit code {ended}"
            print(f"The window program ended by itself with {how}.", flush=True)
        stop(self._process)

    @property
    def pid(self):
        return self._process.pid

    def running(self):
        return self._process.poll() is None
