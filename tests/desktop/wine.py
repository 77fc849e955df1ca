"""Windows programs under Wine for the Windows tests, and a private sound sink.

Wine runs a Win32 program as a Linux process and gives each of its top-level windows an
X window of its own: the title is WM_NAME, WM_CLASS is the executable's file name and
_NET_WM_PID the process, whose id is that of the wine64 process started for it.

  - One WINEPREFIX per cache folder (the caller passes one in its build tree): the first
    session makes it with `wineboot -i` (8 to 10 s, 0.7 GB), every later one, in the same
    test run or a later one, reuses it. Its name holds Wine's version, the DLL overrides
    and the set-up, so a Wine upgrade makes a new one (and removes the old). Wine links the prefix's Desktop and
    Documents folders to the HOME it was made with, so that HOME is kept beside it.
  - /usr/lib/wine/wine64 is run directly: the `wine` wrapper warns on every call that
    the 32-bit part is not installed. WINEDEBUG=-all; no .NET or HTML engine to offer
    (mscoree, mshtml) and no menu entries or file types written for the host desktop
    (winemenubuilder); the session and system buses point at a socket that does not
    exist (Wine's mount manager would ask the system's for disks); the prefix's only
    sound driver is PulseAudio, on a NullSink or on nothing, never the host's device.
  - While a session lasts its wineserver stays (`wineserver -p`), so a program after the
    first starts without the server and Wine's services starting again; `wineserver -k`
    ends it. One session at a time uses a prefix: two would share its wineserver and
    stopping one would end the other's programs.
  - The X display is the caller's DISPLAY (scripts/test's desktop, or an XSession).
"""
import array
import contextlib
import ctypes
import fcntl
import hashlib
import os
import shutil
import subprocess
import tempfile

from Xlib import X, display as xdisplay, protocol

import desktop
from desktop import client_windows, wait_for

WINDOWS_DIR = os.environ.get("VELUDOR_WINDOWS_BUILD_DIR", "")
WINE_DIR = "/usr/lib/wine"
WINE = os.path.join(WINE_DIR, "wine64")
WINESERVER = os.path.join(WINE_DIR, "wineserver")
CROSS = "x86_64-w64-mingw32"
DLL_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"
# What a new prefix gets after `wineboot -i`: PulseAudio as its only sound driver, so
# that Wine never falls back to the machine's sound device.
PREFIX_SETUP = [["reg", "add", r"HKCU\Software\Wine\Drivers", "/v", "Audio", "/d", "pulse", "/f"]]

# DLLs every Windows installation has: a program that imports only these runs from a
# folder without any DLL beside it. "api-ms-win-*" are the Universal CRT's API sets.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "dwmapi.dll", "gdi32.dll", "imm32.dll",
    "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
    "ucrtbase.dll", "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll",
}


def missing_tools():
    """What of Wine and the cross toolchain is not installed, as readable names."""
    missing = []
    if not os.access(WINE, os.X_OK):
        missing.append("wine64")
    if not shutil.which(CROSS + "-g++-posix") or not shutil.which(CROSS + "-objdump"):
        missing.append("the mingw-w64 cross compiler")
    return missing


def require_wine():
    """Exits with ctest's skip code, at once, when Wine or the cross toolchain is missing."""
    missing = missing_tools()
    if missing:
        print("skipped: not installed: %s (scripts/deps installs them)" % ", ".join(missing),
              flush=True)
        os._exit(77)


def imports(exe):
    """The DLLs a PE executable imports, as `objdump -p` lists them, lower case."""
    out = subprocess.run([CROSS + "-objdump", "-p", exe], check=True, capture_output=True,
                         text=True).stdout
    return sorted(line.split(":", 1)[1].strip().lower() for line in out.splitlines()
                  if line.strip().startswith("DLL Name:"))


def is_system_dll(name):
    return name in SYSTEM_DLLS or name.startswith("api-ms-win-")


@contextlib.contextmanager
def _locked(path, timeout=300.0):
    with open(path, "w") as f:
        wait_for(lambda: _try_lock(f), timeout=timeout, interval=0.2, what="the lock " + path)
        try:
            yield
        finally:
            fcntl.flock(f, fcntl.LOCK_UN)


def _try_lock(f):
    try:
        fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
        return True
    except BlockingIOError:
        return False


def _no_bus(folder):
    path = "unix:path=" + os.path.join(folder, "no-bus")
    return {"DBUS_SESSION_BUS_ADDRESS": path, "DBUS_SYSTEM_BUS_ADDRESS": path}


def _adopt_orphans():
    """Makes this process the reaper of its orphaned descendants: wineserver and Wine's
    services detach from the process that started them, and where the machine's first
    process does not reap, each would stay a zombie after `wineserver -k`."""
    PR_SET_CHILD_SUBREAPER = 36
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def _is_wine(name):
    """Whether a process name (as /proc shows it, cut at 15 characters) is one of Wine's
    (wineserver64, services.exe, winedevice.exe, explorer.exe…)."""
    return name.startswith("wine") or ".ex" in name


def _children():
    """{pid: (state, name)} of this process's children, from /proc."""
    result = {}
    me = os.getpid()
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                name, rest = f.read().split("(", 1)[1].rsplit(")", 1)
        except (OSError, ValueError):
            continue
        fields = rest.split()
        if int(fields[1]) == me:
            result[int(entry)] = (fields[0], name)
    return result


class Wine:
    """A Wine session on the prefix kept in cache, on the display DISPLAY names.

    sink: a started NullSink whose server Wine's sound goes to (none by default).
    env: more environment for the programs (a value of None removes the variable).
    cache None: a throw-away prefix, made for this session (with env) and removed with it,
    for what would spoil a kept one, such as ending its session or its font table."""

    def __init__(self, cache, sink=None, env=None):
        self.sink = sink
        self.extra_env = env or {}
        self.dir = tempfile.mkdtemp(prefix="veludor-wine-")
        self.scratch = not cache
        self.cache = os.path.abspath(cache) if cache else os.path.join(self.dir, "cache")
        self.prefix = None
        self.env = None
        self.procs = []
        self._lock = None
        self._x = None
        self._before = set()

    # --- the prefix -------------------------------------------------------------------

    def _base_env(self, prefix, home):
        env = dict(os.environ)
        env.update(_no_bus(self.dir))
        env.update({
            "WINEPREFIX": prefix,
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": DLL_OVERRIDES,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": self.dir,
            # Without a sink, a server that is not there: Wine has no sound output.
            "PULSE_SERVER": (self.sink.server if self.sink
                             else "unix:" + os.path.join(self.dir, "no-pulse")),
        })
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def _ensure_prefix(self):
        version = subprocess.run([WINE, "--version"], check=True, capture_output=True,
                                 text=True).stdout.strip()
        setup = repr((version, DLL_OVERRIDES, PREFIX_SETUP)).encode()
        key = hashlib.sha256(setup).hexdigest()[:12]
        prefix = os.path.join(self.cache, "prefix-" + key)
        home = os.path.join(self.cache, "home-" + key)
        ready = os.path.join(prefix, ".veludor-ready")
        if not os.path.exists(ready):
            # Made where it is used (the links into HOME are absolute), marked ready once
            # Wine's server has written it out and gone: a half-made prefix is made anew.
            # Those of another Wine or set-up go (0.7 GB each).
            for name in os.listdir(self.cache):
                if name.startswith(("prefix-", "home-")):
                    path = os.path.join(self.cache, name)
                    if os.path.isdir(path):
                        shutil.rmtree(path)
                    else:
                        os.remove(path)
            os.makedirs(home)
            env = self._base_env(prefix, home)
            env.pop("DISPLAY", None)
            if self.scratch:
                # Made for this session only: made as its programs will see the machine.
                env.update(self.extra_env)
                env = {k: v for k, v in env.items() if v is not None}
            log = os.path.join(self.cache, "prefix-" + key + ".log")
            with open(log, "w") as out:
                for cmd in ([[WINE, "wineboot", "-i"]] + [[WINE] + c for c in PREFIX_SETUP]
                            + [[WINESERVER, "-w"]]):
                    subprocess.run(cmd, env=env, stdout=out, stderr=subprocess.STDOUT,
                                   check=True, timeout=300)
            with open(ready, "w") as f:
                f.write(version + "\n")
        return prefix, home

    # --- life -------------------------------------------------------------------------

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        _adopt_orphans()
        self._before = set(_children())
        os.makedirs(self.cache, exist_ok=True)
        self._lock = contextlib.ExitStack()
        self._lock.enter_context(_locked(os.path.join(self.cache, "prefix.lock")))
        self.prefix, home = self._ensure_prefix()
        self.env = self._base_env(self.prefix, home)
        self.env.update(self.extra_env)
        self.env = {k: v for k, v in self.env.items() if v is not None}
        subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=60)

    def stop(self):
        try:
            for p in self.procs:
                if p.poll() is None:
                    p.kill()
            if self.env is not None:
                subprocess.run([WINESERVER, "-k"], env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=60)
                subprocess.run([WINESERVER, "-w"], env=self.env, timeout=60)
                self.env = None
            for p in self.procs:
                p.wait(10)
            self.procs = []
            self._reap()
        finally:
            if self._x is not None:
                self._x.close()
                self._x = None
            if self._lock is not None:
                self._lock.close()
                self._lock = None
            shutil.rmtree(self.dir, ignore_errors=True)

    def _reap(self):
        """Waits for the Wine processes this one adopted (wineserver, Wine's services),
        which `wineserver -k` ended, and reaps them."""
        def wines():
            return {pid: state for pid, (state, name) in _children().items()
                    if pid not in self._before and _is_wine(name)}

        def gone():
            for pid, state in wines().items():
                if state == "Z":
                    os.waitpid(pid, os.WNOHANG)
            return not wines()
        wait_for(gone, timeout=30, what="Wine's processes to end")

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # --- programs ---------------------------------------------------------------------

    def run(self, exe, *args, cwd=None, stdout=None, stdin=None):
        """Starts a Windows program (a Linux path) and returns its Popen; its output goes
        to a log in the session's folder unless stdout is given."""
        if stdout is None:
            with open(os.path.join(self.dir, os.path.basename(exe) + ".log"), "ab") as log:
                return self.run(exe, *args, cwd=cwd, stdout=log, stdin=stdin)
        proc = subprocess.Popen([WINE, exe, *args], cwd=cwd or os.path.dirname(exe),
                                env=self.env, stdout=stdout, stderr=subprocess.STDOUT,
                                stdin=stdin)
        self.procs.append(proc)
        return proc

    def output(self, exe, *args, timeout=60, env=None):
        """Runs a console program to its end: (exit code, its standard output). The output
        goes through a file: Wine's services, started by the session's first program,
        keep that program's descriptors open, so a pipe would not end with it. env: more
        environment for this program only."""
        with tempfile.TemporaryFile(dir=self.dir) as out:
            code = subprocess.run([WINE, exe, *args], cwd=os.path.dirname(exe),
                                  env=dict(self.env, **(env or {})),
                                  stdout=out, stderr=subprocess.DEVNULL, timeout=timeout).returncode
            out.seek(0)
            return code, out.read().decode("utf-8", "replace")

    # --- windows ----------------------------------------------------------------------

    @property
    def x(self):
        if self._x is None:
            self._x = xdisplay.Display(self.env["DISPLAY"])
        return self._x

    def windows(self, proc):
        """The mapped top-level X windows of a program: [(window, title)]."""
        def mapped(w):
            try:
                return w.get_attributes().map_state == X.IsViewable
            except Exception:
                return False
        return [(w, title) for w, title in client_windows(self.x, proc.pid) if mapped(w)]

    def window(self, proc, title, timeout=30.0):
        """The program's mapped window of that title, waited for."""
        def find():
            if proc.poll() is not None:
                raise AssertionError("the program ended (%d) before showing %r"
                                     % (proc.returncode, title))
            return next((w for w, name in self.windows(proc) if name == title), None)
        return wait_for(find, timeout, what="the window " + title)

    def geometry(self, w):
        """(left, top, width, height) of a window in root coordinates."""
        g = w.get_geometry()
        t = w.translate_coords(self.x.screen().root, 0, 0)
        return (-t.x, -t.y, g.width, g.height)

    def screenshot(self, w, path):
        """Saves what the screen shows of the window as a PNG."""
        left, top, width, height = self.geometry(w)
        subprocess.run(["import", "-window", "root", "-crop",
                        "%dx%d+%d+%d" % (width, height, left, top), path],
                       check=True, env=self.env)
        return path

    def close(self, w):
        """Asks the window to close as a window manager's close button does
        (WM_DELETE_WINDOW): Wine turns it into the window's WM_CLOSE."""
        atom = self.x.intern_atom
        event = protocol.event.ClientMessage(
            window=w, client_type=atom("WM_PROTOCOLS"),
            data=(32, [atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        w.send_event(event)
        self.x.flush()


class NullSink:
    """A PulseAudio daemon of its own with one null sink, "nullsink": its socket, runtime
    folder and HOME in a temporary folder, no D-Bus, no real-time scheduling (it would
    ask the system bus for it), anonymous clients. `server` is the PULSE_SERVER value for
    the programs that are to play to it; record() captures what they play."""

    RATE = 44100
    CHANNELS = 2

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="veludor-pulse-")
        self.server = "unix:" + os.path.join(self.dir, "native")
        self.proc = None
        self.recordings = []
        self.env = dict(os.environ, HOME=self.dir, XDG_RUNTIME_DIR=self.dir,
                        PULSE_RUNTIME_PATH=self.dir, PULSE_SERVER=self.server, **_no_bus(self.dir))

    def start(self):
        self.log = open(os.path.join(self.dir, "pulseaudio.log"), "w")
        self.proc = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--realtime=no",
             "--high-priority=no", "--use-pid-file=no", "--log-target=stderr",
             "--load=module-null-sink sink_name=nullsink",
             "--load=module-native-protocol-unix auth-anonymous=1 socket="
             + os.path.join(self.dir, "native")],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)

        def up():
            if self.proc.poll() is not None:
                raise AssertionError("pulseaudio ended: see " + self.log.name)
            info = subprocess.run(["pactl", "info"], env=self.env, capture_output=True)
            return info.returncode == 0
        try:
            wait_for(up, what="PulseAudio's null sink")
        except BaseException:
            self.stop()
            raise
        return self

    def record(self, path):
        """Records the sink's monitor to path (raw signed 16-bit stereo at RATE) until
        stop(); returns the recording, whose samples() reads what it holds so far."""
        return _Recording(self, path)

    def stop(self):
        for r in self.recordings:
            r.stop()
        if self.proc is not None and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None
        if getattr(self, "log", None):
            self.log.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class _Recording:
    def __init__(self, sink, path):
        self.path = path
        self.file = open(path, "wb")
        self.proc = subprocess.Popen(
            ["parec", "-d", "nullsink.monitor", "--format=s16le", "--rate=%d" % sink.RATE,
             "--channels=%d" % sink.CHANNELS, "--latency-msec=20"],
            env=sink.env, stdout=self.file, stderr=subprocess.DEVNULL)
        sink.recordings.append(self)
        # parec connects in its own time (over a second on a busy machine): what plays
        # before its first bytes arrive is not recorded.
        wait_for(lambda: os.path.getsize(path) > 0, what="the sink's monitor to record")

    def samples(self):
        with open(self.path, "rb") as f:
            data = f.read()
        values = array.array("h")
        values.frombytes(data[:len(data) - len(data) % 2])
        return values

    def peak(self):
        return max((abs(v) for v in self.samples()), default=0)

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
        self.file.close()


class WineClock(desktop.Clock):
    """veludor.exe in a private copy of the Windows build's run folder, under a Wine
    session of its own on the kept prefix, its sound going to a sink of its own and
    recorded from the program's start. The environment a test adds goes to the session.
    throwaway: a prefix made for this clock alone, for what would spoil the kept one (the
    session's end)."""

    run_dir = os.path.join(WINDOWS_DIR, "run")
    executable = "veludor.exe"

    def __init__(self, *args, throwaway=False, **options):
        super().__init__(*args, **options)
        self.cache = None if throwaway else os.path.join(WINDOWS_DIR, "wine")
        self.wine = None

    @staticmethod
    def missing():
        """Why the Windows program cannot run here, or None."""
        tools = missing_tools()
        return "not installed: " + ", ".join(tools) if tools else None

    def start(self):
        if self.wine is None:
            self.sink = NullSink().start()
            self.wine = Wine(self.cache, sink=self.sink, env=self.extra_env).start()
            self.recording = self.sink.record(os.path.join(self.dir, "sound.raw"))
        self.proc = self.wine.run(os.path.join(self.folder, self.executable), cwd=self.folder)
        return self

    def stop(self):
        if self.wine is not None:
            self.wine.stop()
            self.sink.stop()
            self.wine = None
        super().stop()

    def sound_peak(self):
        return self.recording.peak()
