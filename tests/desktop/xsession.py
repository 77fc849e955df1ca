"""Fresh private X desktops for the real-display tests.

XSession starts an X server of its own, openbox as window manager and, when asked,
trayer as tray host and a panel (a dock window reserving a strip along the bottom of the
primary monitor), and stops all of it on exit. While it runs, DISPLAY names it, so the
program and xdotool started meanwhile use it. xfce.XfceSession runs xfwm4 and a real
panel, xfce4-panel, instead.

One monitor runs on Xvfb. Several monitors need a real Xorg with the dummy video driver:
Xvfb's `xrandr --setmonitor` does not split its screen into outputs that Qt sees. Xorg
wants root; without it those sessions skip.
"""
import os
import shutil
import subprocess
import tempfile
import unittest

from Xlib import X, Xatom, Xutil, display as xdisplay

from desktop import wait_for

MONITOR = (1920, 1080)

XORG_CONF = """\
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1920x1080"
    Virtual 3840 2160
  EndSubSection
EndSection
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
EndSection
"""


def _free_display():
    for n in range(140, 400):
        if not os.path.exists("/tmp/.X%d-lock" % n) and not os.path.exists("/tmp/.X11-unix/X%d" % n):
            return ":%d" % n
    raise AssertionError("no free X display number")


def _quiet(*cmd, env):
    return subprocess.run(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


class XSession:
    """monitors: list of (left, top) of 1920 x 1080 monitors, the primary first; None
    for one monitor on Xvfb. tray: start trayer. panel: reserve a 40-pixel strip at the
    bottom of the desktop under the primary monitor (EWMH struts), as a desktop panel does."""

    def __init__(self, monitors=None, tray=False, panel=False):
        self.monitors = monitors
        self.tray = tray
        self.panel = panel
        self.dir = tempfile.mkdtemp(prefix="veludor-x-")
        self.procs = []
        self.display = None
        self.saved_display = None
        self.x = None
        self.log = None

    # --- life ------------------------------------------------------------------------

    def start(self):
        try:
            self._start()
        except BaseException:
            self.stop()
            raise
        return self

    def _start(self):
        if self.monitors and os.geteuid() != 0:
            raise unittest.SkipTest("several monitors need Xorg's dummy driver, which needs root")
        if self.monitors and not shutil.which("Xorg"):
            raise unittest.SkipTest("Xorg is not installed")
        self.display = _free_display()
        env = dict(os.environ, DISPLAY=self.display)
        log = self.log = open(os.path.join(self.dir, "server.log"), "w")
        if self.monitors:
            conf = os.path.join(self.dir, "xorg.conf")
            with open(conf, "w") as f:
                f.write(XORG_CONF)
            cmd = ["Xorg", self.display, "-config", conf, "-noreset", "-nolisten", "tcp",
                   "-logfile", os.path.join(self.dir, "xorg.log")]
        else:
            cmd = ["Xvfb", self.display, "-screen", "0", "%dx%d" % MONITOR + "x24",
                   "-nolisten", "tcp", "-noreset"]
        self.procs.append(subprocess.Popen(cmd, stdout=log, stderr=subprocess.STDOUT))
        wait_for(lambda: _quiet("xdpyinfo", env=env) == 0, what="the X server")
        if self.monitors:
            self._lay_out_monitors(env)
        self.saved_display = os.environ.get("DISPLAY")
        os.environ["DISPLAY"] = self.display
        self.x = xdisplay.Display(self.display)
        self.procs.append(subprocess.Popen(self.window_manager(), env=self.session_env(),
                                           stdout=log, stderr=subprocess.STDOUT))
        # Window managers publish their hints before they take windows over: a window
        # mapped in their first moments may stay unmanaged. A probe window tells when
        # they manage.
        screen = self.x.screen()
        probe = screen.root.create_window(0, 0, 10, 10, 0, screen.root_depth)
        self._map_managed(probe, "the window manager to manage windows")
        probe.destroy()
        self.x.sync()
        if self.tray:
            self.start_trayer()
        if self.panel:
            self._map_panel()

    def window_manager(self):
        """The window manager's command line (subclasses run another one)."""
        return ["openbox", "--sm-disable"]

    def session_env(self):
        """The environment of the desktop's own programs."""
        return dict(os.environ, DISPLAY=self.display)

    def stop(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                p.terminate()
        for p in reversed(self.procs):
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait()
        self.procs = []
        if self.log is not None:
            self.log.close()
            self.log = None
        if self.x is not None:
            try:
                self.x.close()
            except Exception:
                pass
            self.x = None
        if self.saved_display is None:
            os.environ.pop("DISPLAY", None)
        else:
            os.environ["DISPLAY"] = self.saved_display
        self.saved_display = None
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # --- parts -----------------------------------------------------------------------

    def _lay_out_monitors(self, env):
        """Gives the dummy driver's outputs the monitors' places; the first is primary."""
        w, h = MONITOR
        right = max(left for left, _ in self.monitors) + w
        bottom = max(top for _, top in self.monitors) + h
        outputs = ["DUMMY%d" % i for i in range(len(self.monitors))]
        for name in outputs[1:]:
            _quiet("xrandr", "--addmode", name, "%dx%d" % MONITOR, env=env)
        cmd = ["xrandr", "--fb", "%dx%d" % (right, bottom)]
        for name, (left, top) in zip(outputs, self.monitors):
            cmd += ["--output", name, "--mode", "%dx%d" % MONITOR, "--pos", "%dx%d" % (left, top)]
        subprocess.run(cmd, env=env, check=True, capture_output=True)
        subprocess.run(["xrandr", "--output", outputs[0], "--primary"], env=env, check=True,
                       capture_output=True)
        listed = subprocess.run(["xrandr", "--listmonitors"], env=env, check=True,
                                capture_output=True, text=True).stdout
        assert listed.startswith("Monitors: %d" % len(self.monitors)), listed

    def start_trayer(self):
        env = dict(os.environ, DISPLAY=self.display)
        self.procs.append(subprocess.Popen(
            ["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "request",
             "--height", "28", "--SetDockType", "true", "--SetPartialStrut", "true",
             "--transparent", "false", "--tint", "0x202020"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        owner = self.x.intern_atom("_NET_SYSTEM_TRAY_S0")
        wait_for(lambda: self.x.get_selection_owner(owner) != X.NONE, what="trayer")

    def primary(self):
        """(left, top, width, height) of the primary monitor."""
        left, top = self.monitors[0] if self.monitors else (0, 0)
        return (left, top) + MONITOR

    def _map_panel(self, height=40):
        """A dock window along the bottom of the desktop under the primary monitor, with
        its strut, as panels have; waits until the window manager took it into account."""
        screen = self.x.screen()
        root = screen.root
        left, _, width, _ = self.primary()
        desktop_h = root.get_geometry().height
        win = root.create_window(left, desktop_h - height, width, height, 0, screen.root_depth,
                                 X.InputOutput, X.CopyFromParent,
                                 background_pixel=screen.black_pixel)
        atom = self.x.intern_atom
        win.set_wm_normal_hints(flags=Xutil.USPosition | Xutil.PPosition | Xutil.PSize,
                                x=left, y=desktop_h - height, width=width, height=height)
        win.change_property(atom("_NET_WM_WINDOW_TYPE"), Xatom.ATOM, 32,
                            [atom("_NET_WM_WINDOW_TYPE_DOCK")])
        win.change_property(atom("_NET_WM_STRUT_PARTIAL"), Xatom.CARDINAL, 32,
                            [0, 0, 0, height, 0, 0, 0, 0, 0, 0, left, left + width - 1])
        win.change_property(atom("_NET_WM_STRUT"), Xatom.CARDINAL, 32, [0, 0, 0, height])
        self._map_managed(win, "the panel to be managed")

    def _map_managed(self, win, what):
        """Maps win and waits until the window manager lists it, mapping it anew where
        the window manager let it by."""
        root = self.x.screen().root
        clients = self.x.intern_atom("_NET_CLIENT_LIST")

        def managed():
            prop = root.get_full_property(clients, Xatom.WINDOW)
            return prop is not None and win.id in prop.value
        for attempt in range(5):
            win.unmap()
            win.map()
            self.x.sync()
            try:
                wait_for(managed, timeout=3, what=what)
                return
            except AssertionError:
                if attempt == 4:
                    raise
