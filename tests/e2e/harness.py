"""Drives the built program on a private X server, as a user would.

Each test gets its own Xvfb on a free display, an openbox
window manager for real frames and close requests, and its own settings
folder. Keys and clicks go through XTEST (xdotool), the clipboard through
xclip. Every process started here is ended by its pid when the test ends, and
dies with the harness should the harness itself be killed.
"""

import configparser
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN_W, SCREEN_H = 1280, 1024
TWIPS_PER_PX = 15  # the server's 96 dpi
DEADLINE_S = 100   # the whole test, below CTest's timeout
TOOLS = ("Xvfb", "openbox", "xdotool", "xclip", "xwininfo", "xprop")


class Failure(Exception):
    pass


def log(*args):
    print("[e2e %6.2f]" % (time.monotonic() - _T0), *args, flush=True)


_T0 = time.monotonic()


def _die_with_parent():
    # PR_SET_PDEATHSIG: a helper must not outlive a harness killed by a timeout.
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGKILL, 0, 0, 0)
    except (OSError, AttributeError):
        pass


def wait_for(what, fn, timeout=10.0, interval=0.05):
    """Polls fn until it returns a true value; fails naming `what`."""
    end = time.monotonic() + timeout
    last = None
    while True:
        last = fn()
        if last:
            return last
        if time.monotonic() > end:
            raise Failure("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def crlf(*lines):
    """Lines, each followed by CR LF."""
    return "".join(line + "\r\n" for line in lines)


def write_qnr(path, section, records):
    """A data file in Shift-JIS with CR LF line ends."""
    lines = ["QUENTAR@V2", ";test fixture", "\\" + section] + list(records)
    with open(path, "wb") as f:
        f.write(crlf(*lines).encode("cp932"))
    return path


class Desktop:
    """Xvfb, openbox and the processes started on them; a context manager."""

    def __init__(self, program, samples=None, wm=True):
        self.program = os.path.abspath(program)
        self.samples = samples
        self.wm = wm
        self.procs = []   # (name, Popen), ended in reverse order
        self.failed = False

    # ------------------------------------------------------------ set-up

    def __enter__(self):
        missing = [t for t in TOOLS if not shutil.which(t)]
        if missing:
            raise Failure("missing tools: " + " ".join(missing) + " (scripts/test installs them)")
        if not os.access(self.program, os.X_OK):
            raise Failure("no program at " + self.program)
        self.tmp = tempfile.mkdtemp(prefix="pellarin-e2e-")
        self.config = os.path.join(self.tmp, "config")
        self.runtime = os.path.join(self.tmp, "runtime")
        self.data = os.path.join(self.tmp, "data")
        for d in (self.config, self.runtime, self.data):
            os.makedirs(d, mode=0o700)
        signal.signal(signal.SIGTERM, self._on_signal)
        signal.signal(signal.SIGALRM, self._on_signal)
        signal.alarm(DEADLINE_S)
        try:
            self._start_x()
            if self.wm:
                self._start_wm()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def _on_signal(self, signum, _frame):
        raise Failure("stopped by signal %d (test deadline %d s)" % (signum, DEADLINE_S))

    def _spawn(self, name, argv, env=None, stdin=None):
        logf = open(os.path.join(self.tmp, name + ".log"), "ab")
        p = subprocess.Popen(argv, env=env or self.env(), stdin=stdin, stdout=logf, stderr=subprocess.STDOUT,
                             preexec_fn=_die_with_parent)
        logf.close()
        self.procs.append((name, p))
        return p

    def _start_x(self):
        # A free display well above the ones people use; Xvfb reports on the
        # pipe when it accepts clients, or ends when the display is taken.
        first = 100 + os.getpid() % 500
        for n in range(first, first + 20):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            if self._try_display(n):
                return
        raise Failure("no free display for Xvfb; see " + os.path.join(self.tmp, "xvfb.log"))

    def _try_display(self, n):
        r, w = os.pipe()
        logf = open(os.path.join(self.tmp, "xvfb.log"), "ab")
        p = subprocess.Popen(["Xvfb", ":%d" % n, "-displayfd", str(w), "-screen", "0",
                              "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp", "-noreset"],
                             stdout=logf, stderr=subprocess.STDOUT, pass_fds=(w,), preexec_fn=_die_with_parent)
        logf.close()
        os.close(w)
        got = b""
        end = time.monotonic() + 15
        try:
            while not got.endswith(b"\n"):
                left = end - time.monotonic()
                if left <= 0:
                    p.kill()
                    p.wait()
                    raise Failure("Xvfb :%d did not start in time" % n)
                ready, _, _ = select.select([r], [], [], min(left, 0.5))
                if ready:
                    chunk = os.read(r, 64)
                    if not chunk:  # the server ended: the display is taken
                        p.wait(5)
                        return False
                    got += chunk
                elif p.poll() is not None:
                    return False
        finally:
            os.close(r)
        self.procs.append(("xvfb", p))
        self.display = ":" + got.decode().strip()
        log("Xvfb on", self.display, "pid", p.pid)
        return True

    def _start_wm(self):
        p = self._spawn("openbox", ["openbox", "--sm-disable"])
        wait_for("openbox to manage the screen",
                 lambda: p.poll() is None and "window id" in self.x("xprop", "-root", "_NET_SUPPORTING_WM_CHECK"),
                 timeout=15)
        if p.poll() is not None:
            raise Failure("openbox ended")
        log("openbox pid", p.pid)

    def env(self):
        e = {k: v for k, v in os.environ.items()
             if k not in ("WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM", "QT_IM_MODULE", "XMODIFIERS",
                          "GTK_IM_MODULE", "SESSION_MANAGER", "QT_QPA_PLATFORMTHEME", "DESKTOP_SESSION",
                          "XDG_CURRENT_DESKTOP")}
        e.update(DISPLAY=getattr(self, "display", ""), XDG_CONFIG_HOME=self.config, XDG_RUNTIME_DIR=self.runtime,
                 QT_QPA_PLATFORM="xcb", LANG="C.UTF-8", LC_ALL="C.UTF-8")
        return e

    # ------------------------------------------------------------ tear-down

    def __exit__(self, etype, exc, tb):
        signal.alarm(0)
        self.failed = etype is not None
        if self.failed:
            self._report_failure()
        for name, p in reversed(self.procs):
            self._end(name, p)
        self.procs.clear()
        if self.failed:
            log("kept", self.tmp)
        else:
            shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def _end(self, name, p):
        if p.poll() is None:
            p.terminate()
            try:
                p.wait(3)
            except subprocess.TimeoutExpired:
                p.kill()
                p.wait(3)
        if p.stdin:
            p.stdin.close()

    def _report_failure(self):
        if shutil.which("import") and getattr(self, "display", None):
            shot = os.path.join(self.tmp, "screen.png")
            subprocess.run(["import", "-display", self.display, "-window", "root", shot],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
            log("screen shot:", shot)
        for name in ("pellarin", "pellarin-2"):
            path = os.path.join(self.tmp, name + ".log")
            if os.path.exists(path):
                with open(path, errors="replace") as f:
                    text = f.read().strip()
                if text:
                    log(name + " output:\n" + text)

    # ------------------------------------------------------------ X tools

    def x(self, *argv, timeout=10, check=False):
        """Runs an X client on the test display; its standard output."""
        r = subprocess.run(list(argv), env=self.env(), stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=timeout)
        if check and r.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(argv), r.stderr.decode(errors="replace").strip()))
        return r.stdout.decode(errors="replace")

    def key(self, *keys):
        self.x("xdotool", "key", "--delay", "40", *keys, check=True)
        time.sleep(0.05)

    def type(self, text):
        self.x("xdotool", "type", "--delay", "40", text, check=True)
        time.sleep(0.05)

    def windows(self, name=".*"):
        """Visible windows whose name matches the regular expression."""
        out = self.x("xdotool", "search", "--onlyvisible", "--name", name)
        return [int(w) for w in out.split()]

    def window_name(self, wid):
        return self.x("xdotool", "getwindowname", str(wid)).rstrip("\n")

    def find_window(self, title, timeout=20):
        """The one visible window with this exact title."""
        pattern = "^" + re.escape(title) + "$"
        found = wait_for("a window titled %r" % title, lambda: self.windows(pattern), timeout)
        if len(found) != 1:
            raise Failure("%d windows titled %r" % (len(found), title))
        return found[0]

    def is_visible(self, wid):
        return "IsViewable" in self.x("xwininfo", "-id", str(wid))

    def active(self):
        out = self.x("xdotool", "getactivewindow").strip()
        return int(out) if out.isdigit() else None

    def wait_active(self, wid, timeout=10):
        wait_for("window %d to be active" % wid, lambda: self.active() == wid, timeout)
        time.sleep(0.2)  # let the program take the focus-in

    def wait_new_active(self, known, timeout=10):
        """The next active window that is none of `known`."""
        def new_one():
            a = self.active()
            return a if a and a not in known and self.is_visible(a) else None
        return wait_for("a new active window", new_one, timeout)

    def geometry(self, wid):
        """Client area (x, y, w, h) and outer frame (x, y, w, h) in pixels."""
        info = self.x("xwininfo", "-id", str(wid))

        def field(label):
            m = re.search(r"^\s*" + re.escape(label) + r":\s*(-?\d+)", info, re.M)
            if not m:
                raise Failure("no %r in xwininfo output" % label)
            return int(m.group(1))

        x, y = field("Absolute upper-left X"), field("Absolute upper-left Y")
        w, h = field("Width"), field("Height")
        ext = self.x("xprop", "-id", str(wid), "_NET_FRAME_EXTENTS")
        m = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", ext)
        left, right, top, bottom = (int(v) for v in m.groups()) if m else (0, 0, 0, 0)
        return (x, y, w, h), (x - left, y - top, w + left + right, h + top + bottom)

    def click(self, wid, x, y, button=1, repeat=1, modifier=None):
        """Clicks at (x, y) of the window's client area."""
        self.x("xdotool", "mousemove", "--window", str(wid), str(x), str(y), check=True)
        time.sleep(0.1)
        if modifier:
            self.x("xdotool", "keydown", modifier, check=True)
        self.x("xdotool", "click", "--repeat", str(repeat), "--delay", "80", str(button), check=True)
        if modifier:
            self.x("xdotool", "keyup", modifier, check=True)
        time.sleep(0.1)

    # ------------------------------------------------------------ clipboard

    def clipboard(self, selection="clipboard"):
        """The selection's text, or None when no owner offers text."""
        r = subprocess.run(["xclip", "-o", "-selection", selection], env=self.env(), stdout=subprocess.PIPE,
                           stderr=subprocess.PIPE, timeout=10)
        if r.returncode != 0:
            return None
        return r.stdout.decode("utf-8")

    def set_clipboard(self, text):
        """Puts text on the clipboard; xclip stays as its owner until another client takes it."""
        p = self._spawn("xclip", ["xclip", "-quiet", "-i", "-selection", "clipboard"], stdin=subprocess.PIPE)
        p.stdin.write(text.encode("utf-8"))
        p.stdin.close()
        p.stdin = None
        wait_for("xclip to own the clipboard", lambda: self.clipboard() == text, timeout=10)

    def expect_clipboard(self, expected, what, timeout=10):
        """Waits until the clipboard holds `expected`."""
        try:
            wait_for(what, lambda: self.clipboard() == expected, timeout)
        except Failure:
            raise Failure("%s: the clipboard holds %r, expected %r" % (what, self.clipboard(), expected))
        log("ok:", what)

    def expect_clipboard_kept(self, expected, what, settle=1.0):
        """After `settle` seconds the clipboard still holds `expected`."""
        time.sleep(settle)
        got = self.clipboard()
        if got != expected:
            raise Failure("%s: the clipboard holds %r, expected it unchanged, %r" % (what, got, expected))
        log("ok:", what)

    # ------------------------------------------------------------ files

    def fixture(self, name, section, records):
        return write_qnr(os.path.join(self.data, name), section, records)

    def sample(self, name):
        if not self.samples:
            raise Failure("no samples folder given")
        path = os.path.join(self.samples, name)
        if not os.path.isfile(path):
            raise Failure("no sample file " + path)
        return path

    @property
    def settings_file(self):
        return os.path.join(self.config, "Pellarin", "Pellarin.ini")

    def write_settings(self, sections):
        """Writes the settings file as the program reads it: INI, one key a line."""
        os.makedirs(os.path.dirname(self.settings_file), exist_ok=True)
        with open(self.settings_file, "w", encoding="utf-8") as f:
            for section, values in sections.items():
                f.write("[%s]\n" % section)
                for k, v in values.items():
                    f.write("%s=%s\n" % (k, v))
                f.write("\n")

    def read_settings(self):
        """The settings file as {section: {key: value}}."""
        if not os.path.exists(self.settings_file):
            raise Failure("no settings file at " + self.settings_file)
        p = configparser.ConfigParser(interpolation=None)
        p.optionxform = str
        p.read(self.settings_file, encoding="utf-8")
        return {s: dict(p[s]) for s in p.sections()}

    # ------------------------------------------------------------ the program

    def start(self):
        """Starts the program and waits for its main window, active."""
        n = sum(1 for name, _ in self.procs if name.startswith("pellarin"))
        app = App(self, self._spawn("pellarin" if n == 0 else "pellarin-%d" % (n + 1), [self.program]))
        log("pellarin pid", app.proc.pid)
        app.main = self.find_window("Pellarin")
        self.wait_active(app.main)
        return app


class App:
    def __init__(self, desk, proc):
        self.desk = desk
        self.proc = proc
        self.main = None

    def expect_running(self):
        if self.proc.poll() is not None:
            raise Failure("the program ended unexpectedly, exit status %s" % self.proc.returncode)

    def wait_exit(self, what, timeout=15):
        try:
            self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s after %s" % (timeout, what))
        if self.proc.returncode != 0:
            raise Failure("the program ended with status %d after %s" % (self.proc.returncode, what))
        log("ok: the program ended after", what)

    def menu(self, menu_key, item_key):
        """Opens a drop-down menu by its access key and chooses an item by its own."""
        d = self.desk
        shown = lambda: set(d.x("xdotool", "search", "--onlyvisible", "--class", "pellarin").split())
        before = shown()
        d.key("alt+" + menu_key)
        wait_for("the drop-down menu", lambda: shown() - before, timeout=10)
        time.sleep(0.1)
        d.key(item_key)

    def exit_by_menu(self):
        self.desk.wait_active(self.main)
        self.menu("f", "x")  # ﾌｧｲﾙ(&F) > 終了(&X)
        self.wait_exit("終了(&X)")

    def close_by_wm(self):
        """Alt+F4 is the window manager's binding: openbox sends the close request."""
        self.desk.wait_active(self.main)
        self.desk.key("alt+F4")
        self.wait_exit("the window manager's close request")
