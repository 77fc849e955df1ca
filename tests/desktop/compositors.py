"""Wayland compositors from Debian as peers of the desktop tests, headless.

Each compositor runs under dbus-run-session with a private XDG_RUNTIME_DIR, in a process
group of its own that stop() ends as a whole (Xwayland and the bus included), also when
a test fails. mutter and KWin start Xwayland and choose its display themselves; a small
child script of theirs writes the environment they give their session (WAYLAND_DISPLAY,
DISPLAY, XAUTHORITY) into a file, from which client_env() hands it on. weston runs
without X on a socket named here, and takes screenshots with weston-screenshooter.
sway refuses to run as root: under root it runs as a system user made for the tests
(veludor-sway, added the first time), and so do the clients given user=sway.user and
its tools (swaymsg, grim); an exec line of its configuration writes the session file.

    with compositors.Mutter() as mutter:
        env = mutter.client_env()     # for the program under test
        x = mutter.x_display()        # python-xlib on its Xwayland
"""
import glob
import json
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time

from Xlib import display as xdisplay

from desktop import as_user

WIDTH, HEIGHT = 1920, 1080

# Writes the session's environment for the test, then waits to be ended with the rest.
CHILD = """#!/bin/sh
env > "$1.tmp" && mv "$1.tmp" "$1"
exec sleep 86400
"""


def missing(*programs):
    """The programs of the list that are not installed."""
    return [p for p in programs if not shutil.which(p)]


def unprivileged_user(name="veludor-sway"):
    """(uid, gid) of a system user without a home, made if missing, when the tests run
    as root; None otherwise (the tests' own user is unprivileged already)."""
    if os.getuid() != 0:
        return None
    try:
        entry = pwd.getpwnam(name)
    except KeyError:
        subprocess.run(["useradd", "--system", "--no-create-home", "--shell",
                        "/usr/sbin/nologin", name], check=True, capture_output=True)
        entry = pwd.getpwnam(name)
    return entry.pw_uid, entry.pw_gid


class Compositor:
    name = "compositor"
    programs = ()
    user = None  # (uid, gid) to run as, for compositors that refuse root

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="veludor-%s-" % self.name)
        self.runtime = os.path.join(self.dir, "runtime")
        os.mkdir(self.runtime, 0o700)
        if self.user:
            for folder in (self.dir, self.runtime):
                os.chown(folder, *self.user)
        self.proc = None
        self.session = {}
        self._x = None

    # --- life --------------------------------------------------------------------------

    def command(self):
        raise NotImplementedError

    def extra_env(self):
        return {}

    def start(self, timeout=20.0):
        env = dict(os.environ)
        for key in ("DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS",
                    "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"):
            env.pop(key, None)
        env["XDG_RUNTIME_DIR"] = self.runtime
        env.update(self.extra_env())
        self.log = open(os.path.join(self.dir, self.name + ".log"), "w")
        self.proc = subprocess.Popen(as_user(self.user) + ["dbus-run-session", "--"]
                                     + self.command(), env=env,
                                     cwd=self.dir, stdout=self.log, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        try:
            self.session = self.wait_ready(timeout)
        except BaseException:
            self.stop()
            raise
        return self

    def wait_ready(self, timeout):
        """The session's environment, once the compositor is ready for clients."""
        path = self.env_file
        deadline = time.monotonic() + timeout
        while not os.path.exists(path):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("%s did not start: %s" % (self.name, self.log_tail()))
            time.sleep(0.05)
        with open(path, encoding="utf-8", errors="replace") as f:
            pairs = (line.rstrip("\n").split("=", 1) for line in f if "=" in line)
            return {k: v for k, v in pairs}

    def stop(self):
        if self._x is not None:
            try:
                self._x.close()
            except Exception:
                pass
            self._x = None
        if self.proc and self.proc.poll() is None:
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(self.proc.pid, sig)
                except ProcessLookupError:
                    break
                try:
                    self.proc.wait(5)
                    break
                except subprocess.TimeoutExpired:
                    continue
        if self.proc:
            # The rest of the group (Xwayland, the bus daemon) may outlive the leader: end
            # it and give it a moment to go, so that the next compositor starts afresh.
            deadline = time.monotonic() + 5
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
                while time.monotonic() < deadline:
                    os.killpg(self.proc.pid, 0)
                    time.sleep(0.05)
            except ProcessLookupError:
                pass
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    def log_tail(self, size=2000):
        self.log.flush()
        with open(self.log.name, encoding="utf-8", errors="replace") as f:
            return f.read()[-size:]

    # --- what clients get ------------------------------------------------------------

    @property
    def env_file(self):
        return os.path.join(self.dir, "session.env")

    def child(self):
        """The session's child: reports the environment into env_file."""
        path = os.path.join(self.dir, "session.sh")
        with open(path, "w") as f:
            f.write(CHILD)
        os.chmod(path, 0o755)
        return path

    def client_env(self):
        """The variables a client of this compositor needs; None removes a variable."""
        env = {"XDG_RUNTIME_DIR": self.runtime, "QT_QPA_PLATFORM": None,
               "WAYLAND_DISPLAY": self.session.get("WAYLAND_DISPLAY") or None,
               "DISPLAY": self.session.get("DISPLAY") or None,
               "XAUTHORITY": self.session.get("XAUTHORITY") or None}
        return env

    def x_display(self):
        """A python-xlib connection to the compositor's Xwayland."""
        if self._x is None:
            name = self.session.get("DISPLAY")
            if not name:
                raise RuntimeError(self.name + " runs no X server")
            saved = os.environ.get("XAUTHORITY")
            auth = self.session.get("XAUTHORITY")
            if auth:
                os.environ["XAUTHORITY"] = auth
            try:
                self._x = xdisplay.Display(name)
            finally:
                if saved is None:
                    os.environ.pop("XAUTHORITY", None)
                else:
                    os.environ["XAUTHORITY"] = saved
        return self._x


class Mutter(Compositor):
    """GNOME's compositor, with one virtual monitor and Xwayland started at once."""
    name = "mutter"
    programs = ("mutter", "Xwayland", "dbus-run-session")

    def command(self):
        return ["mutter", "--headless", "--wayland", "--virtual-monitor",
                "%dx%d" % (WIDTH, HEIGHT), "--", self.child(), self.env_file]


class KWin(Compositor):
    """KDE's compositor on its virtual backend with Xwayland. The installed kwin_wayland
    carries a file capability that a container may refuse to execute: a plain copy of it
    runs the same."""
    name = "kwin"
    programs = ("kwin_wayland", "Xwayland", "dbus-run-session")

    def command(self):
        copy = os.path.join(self.dir, "kwin_wayland")
        shutil.copyfile(shutil.which("kwin_wayland"), copy)
        os.chmod(copy, 0o755)
        session = "%s %s" % (self.child(), self.env_file)
        return [copy, "--virtual", "--xwayland", "--width", str(WIDTH), "--height", str(HEIGHT),
                "--no-lockscreen", "--no-global-shortcuts", "--exit-with-session", session]

    def extra_env(self):
        return {"KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1",
                "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"}


class Weston(Compositor):
    """The reference compositor, Wayland only (no X server), on a plain background and
    without a panel, so that a screenshot shows the windows on one colour."""
    name = "weston"
    programs = ("weston", "weston-screenshooter", "dbus-run-session")
    BACKGROUND = (0x33, 0x66, 0x99)
    SOCKET = "veludor-weston"

    def command(self):
        config = os.path.join(self.dir, "weston.ini")
        with open(config, "w") as f:
            f.write("[core]\nidle-time=0\n[shell]\npanel-position=none\n"
                    "background-color=0xff%02x%02x%02x\n" % self.BACKGROUND)
        return ["weston", "--backend=headless-backend.so", "--use-pixman", "--debug",
                "--width=%d" % WIDTH, "--height=%d" % HEIGHT, "--socket=" + self.SOCKET,
                "--config=" + config]

    def wait_ready(self, timeout):
        socket = os.path.join(self.runtime, self.SOCKET)
        deadline = time.monotonic() + timeout
        while not os.path.exists(socket):
            if self.proc.poll() is not None or time.monotonic() > deadline:
                raise RuntimeError("weston did not start: " + self.log_tail())
            time.sleep(0.05)
        return {"WAYLAND_DISPLAY": self.SOCKET}

    def screenshot(self, folder):
        """The whole output as a PNG file in folder (weston-screenshooter's own name)."""
        # A folder of its own each time: the file is named after the second it was taken.
        shot = tempfile.mkdtemp(prefix="shot-", dir=folder)
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, WAYLAND_DISPLAY=self.SOCKET)
        subprocess.run(["weston-screenshooter"], cwd=shot, env=env, check=True,
                       capture_output=True, timeout=20)
        files = glob.glob(os.path.join(shot, "wayland-screenshot-*.png"))
        if not files:
            raise RuntimeError("weston-screenshooter wrote no file")
        return files[0]


class Sway(Compositor):
    """wlroots' tiling compositor with Xwayland, headless and drawn in software (no GPU),
    on a plain background and without a bar. Its exec lines run in a session of their own,
    outside the group that stop() ends, so the one here writes the environment and ends."""
    name = "sway"
    programs = ("sway", "swaymsg", "swaybg", "grim", "Xwayland", "dbus-run-session", "setpriv")
    BACKGROUND = (0x33, 0x66, 0x99)

    def __init__(self):
        self.user = unprivileged_user()
        super().__init__()

    def command(self):
        config = os.path.join(self.dir, "config")
        with open(config, "w") as f:
            f.write("output HEADLESS-1 resolution %dx%d bg #%02x%02x%02x solid_color\n"
                    % ((WIDTH, HEIGHT) + self.BACKGROUND))
            f.write("xwayland enable\nexec env > {0}.tmp && mv {0}.tmp {0}\n".format(self.env_file))
        return ["sway", "--config", config]

    def extra_env(self):
        return {"HOME": self.dir, "WLR_BACKENDS": "headless", "WLR_LIBINPUT_NO_DEVICES": "1",
                "WLR_RENDERER": "pixman"}

    def run(self, *command):
        """A tool's standard output, run as the compositor's user in its session."""
        env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime, **{
            k: self.session[k] for k in ("WAYLAND_DISPLAY", "SWAYSOCK")})
        return subprocess.run(as_user(self.user) + list(command), env=env, check=True,
                              capture_output=True, timeout=20).stdout

    def view(self, pid):
        """The window of process pid as sway lays it out, with "floating" true when it is
        among its workspace's floating windows; None while there is none."""
        def walk(node, floating):
            if node.get("pid") == pid:
                return dict(node, floating=floating)
            for key in ("nodes", "floating_nodes"):
                for child in node.get(key, []):
                    found = walk(child, floating or key == "floating_nodes")
                    if found:
                        return found
            return None
        return walk(json.loads(self.run("swaymsg", "--raw", "--type", "get_tree")), False)

    def screenshot(self, path):
        """The whole output as a PNG file at path."""
        with open(path, "wb") as f:
            f.write(self.run("grim", "-"))
        return path
