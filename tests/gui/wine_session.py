"""A private Wine prefix on a private X server, with the means to find,
read, drive and photograph the program's windows.

Windows are found through xdotool by their exact caption (only visible
ones); what X cannot tell (control texts, enabled state, client
rectangles) comes from gui_probe.exe, run in the same prefix. Every wait
polls with a time limit; nothing sleeps blindly."""
import os
import re
import shutil
import subprocess
import time

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",  # no Mono or Gecko prompts
}
POLL = 0.05


class GuiError(AssertionError):
    pass


def ere_escape(text):
    """`text` as a POSIX extended regular expression matching itself."""
    return re.sub(r'([.\[\]()*+?{}|^$\\])', r'\\\1', text)


class WineSession:
    def __init__(self, work_dir, template_dir, probe, arch):
        """`arch` is the programs' Wine architecture: win32 for the shipped
        32-bit program, win64 for the x86-64 test build."""
        self.work = work_dir
        self.arch = arch
        self.template = template_dir + "-" + arch
        self.probe_exe = probe
        self.prefix = os.path.join(work_dir, "prefix")
        # The loader of the programs' own width: Debian's wine script would
        # try the 32-bit one first, which a kernel without 32-bit support
        # refuses.
        self.wine = "/usr/lib/wine/wine" if arch == "win32" else "/usr/lib/wine/wine64"
        self.wineserver = shutil.which("wineserver") or "/usr/lib/wine/wineserver"
        self.env = dict(os.environ, **WINE_ENV, WINEARCH=arch, WINEPREFIX=self.prefix)
        if arch == "win64":
            self.env["WINELOADER"] = self.wine
        self.env.pop("DISPLAY", None)
        self.xvfb = None

    # --- set-up and teardown -------------------------------------------

    def _make_template(self):
        """A ready prefix (fonts, no window manager), made once per build."""
        if os.path.exists(os.path.join(self.template, ".ready-" + self.arch)):
            return
        shutil.rmtree(self.template, ignore_errors=True)
        env = dict(self.env, WINEPREFIX=self.template)
        quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
                 "stderr": subprocess.DEVNULL}
        subprocess.run([self.wine, "wineboot", "-i"], env=env, timeout=180, **quiet)
        fonts = os.path.join(self.template, "drive_c", "windows", "Fonts")
        os.makedirs(fonts, exist_ok=True)
        for name in os.listdir("/usr/share/wine/fonts"):
            if name.endswith(".ttf"):
                shutil.copy(os.path.join("/usr/share/wine/fonts", name), fonts)
        # Without a window manager: no stall on every hide and close.
        subprocess.run([self.wine, "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                        "/d", "N", "/f"], env=env, timeout=60, **quiet)
        subprocess.run([self.wineserver, "-w"], env=env, timeout=60, **quiet)
        open(os.path.join(self.template, ".ready-" + self.arch), "w").close()

    def start(self, drives):
        """Copies the prefix, maps each drive letter to its folder and starts
        the X server."""
        self._make_template()
        shutil.rmtree(self.prefix, ignore_errors=True)
        subprocess.run(["cp", "-a", self.template, self.prefix], check=True)
        for letter, folder in drives.items():
            link = os.path.join(self.prefix, "dosdevices", letter.lower() + ":")
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(folder, link)
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24", "-nolisten",
             "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            display = pipe.readline().strip()
        if not display:
            raise GuiError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display
        self.start_wine()

    def start_wine(self):
        """A wineserver that stays between programs, with Wine's own
        services started once, so that each program starts quickly."""
        # The server puts itself in the background; it must not hold our pipes.
        subprocess.run([self.wineserver, "-p"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        subprocess.run([self.wine, "cmd", "/c", "exit"], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)

    def kill_wine(self):
        """Ends every Windows process of the session."""
        subprocess.run([self.wineserver, "-k"], env=self.env, capture_output=True, timeout=30)
        subprocess.run([self.wineserver, "-w"], env=self.env, capture_output=True, timeout=30)

    def stop(self):
        try:
            self.kill_wine()
        finally:
            if self.xvfb:
                self.xvfb.terminate()
                try:
                    self.xvfb.wait(timeout=10)
                except subprocess.TimeoutExpired:
                    self.xvfb.kill()
                self.xvfb = None

    # --- programs -------------------------------------------------------

    def windows_path(self, unix_path):
        out = subprocess.run([self.wine, "winepath", "-w", unix_path], env=self.env,
                             capture_output=True, text=True, timeout=30)
        return out.stdout.strip()

    def launch(self, args, cwd, capture=False):
        """Starts a Windows program (its path as a Unix path) in `cwd`; Wine
        makes the Windows current directory from it. Its error output goes
        to wine.log in the work folder."""
        with open(os.path.join(self.work, "wine.log"), "a") as log:
            log.write(f"--- {time.strftime('%H:%M:%S')} {' '.join(args)}\n")
            log.flush()
            return subprocess.Popen([self.wine] + args, cwd=cwd, env=self.env, text=True,
                                    stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                    stderr=log)

    def describe(self, caption):
        """The showing top-level window named `caption` and its children, or
        None: {'client': (l, t, r, b), 'children': {id: {...}}, 'statics': [texts],
        'icon': whether any static shows an icon, 'owner': the owner's caption,
        'focus': the id of the focused child or 0}."""
        out = subprocess.run([self.wine, self.probe_exe, "describe", caption], env=self.env,
                             capture_output=True, text=True, timeout=30)
        if out.returncode != 0:
            return None
        info = {"children": {}, "statics": [], "icon": False, "owner": "", "focus": 0}
        for line in out.stdout.splitlines():
            parts = line.split("\t")
            if parts[0] == "window":
                info["client"] = tuple(int(v) for v in parts[2:6])
            elif parts[0] == "owner":
                info["owner"] = parts[1] if len(parts) > 1 else ""
            elif parts[0] == "focus":
                info["focus"] = int(parts[1])
            elif parts[0] == "child":
                child = {"id": int(parts[1]), "class": parts[2], "enabled": parts[3] == "1",
                         "visible": parts[4] == "1", "icon": parts[5] == "1",
                         "rect": tuple(int(v) for v in parts[6:10]),
                         "text": parts[10] if len(parts) > 10 else ""}
                info["children"][child["id"]] = child
                info["icon"] = info["icon"] or child["icon"]
                if child["class"].lower() == "static" and child["text"]:
                    info["statics"].append(child["text"])
        return info

    def clipboard(self):
        """The text on the Windows clipboard."""
        out = subprocess.run([self.wine, self.probe_exe, "clipboard"], env=self.env,
                             capture_output=True, timeout=30)
        return out.stdout.decode("utf-8")

    # --- windows through X ---------------------------------------------

    def _search(self, caption):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name",
                              "^" + ere_escape(caption) + "$"], env=self.env,
                             capture_output=True, text=True, timeout=30)
        return [w for w in out.stdout.split() if w]

    def wait_window(self, caption, timeout=20.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self._search(caption)
            if found:
                return found[0]
            time.sleep(POLL)
        raise GuiError(f"no window '{caption}' within {timeout:.0f} s")

    def wait_gone(self, caption, timeout=20.0):
        """Two empty searches in a row count as gone."""
        deadline = time.monotonic() + timeout
        empty = 0
        while time.monotonic() < deadline:
            empty = empty + 1 if not self._search(caption) else 0
            if empty >= 2:
                return
            time.sleep(POLL)
        raise GuiError(f"window '{caption}' still showing after {timeout:.0f} s")

    def wait_replaced(self, caption, old_xid, timeout=20.0):
        """Waits for a window named `caption` other than `old_xid` (the same
        dialog shown again as a new window)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = [w for w in self._search(caption) if w != old_xid]
            if found:
                return found[0]
            time.sleep(POLL)
        raise GuiError(f"'{caption}' was not shown again within {timeout:.0f} s")

    def showing(self):
        """Captions of the visible top-level windows, for failure reports."""
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."], env=self.env,
                             capture_output=True, text=True, timeout=30)
        names = []
        for xid in out.stdout.split():
            name = subprocess.run(["xdotool", "getwindowname", xid], env=self.env,
                                  capture_output=True, text=True, timeout=30).stdout.strip()
            names.append(name)
        return names

    def is_showing(self, caption):
        return bool(self._search(caption))

    def geometry(self, xid):
        out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", xid], env=self.env,
                             capture_output=True, text=True, timeout=30).stdout
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def _xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=30)

    def click(self, x, y):
        self._xdotool("mousemove", str(x), str(y), "click", "1")

    def click_control(self, info, control_id):
        left, top, right, bottom = info["children"][control_id]["rect"]
        self.click((left + right) // 2, (top + bottom) // 2)

    def focus(self, xid):
        self._xdotool("windowfocus", "--sync", xid)

    def type_text(self, xid, text):
        self.focus(xid)
        self._xdotool("type", "--delay", "12", text)

    def keys(self, xid, *keys):
        self.focus(xid)
        for key in keys:
            self._xdotool("key", key)

    # --- pictures ---------------------------------------------------------

    def screenshot(self, path, rect=None):
        """The screen, or the part `rect` (left, top, right, bottom), as PNG."""
        full = path + ".full.png"
        subprocess.run(["import", "-window", "root", full], env=self.env, check=True, timeout=60)
        if rect:
            left, top, right, bottom = rect
            subprocess.run(["convert", full, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                            "+repage", path], check=True, timeout=60)
            os.remove(full)
        else:
            os.replace(full, path)

    def screenshot_window(self, path, xid):
        """A top-level window with the frame Wine draws for it."""
        x, y, width, height = self.geometry(xid)
        self.screenshot(path, (x, y, x + width, y + height))

    @staticmethod
    def pixels(png):
        """(width, height, rgb bytes) of a PNG, through ImageMagick."""
        size = subprocess.run(["identify", "-format", "%w %h", png], capture_output=True,
                              text=True, check=True, timeout=60).stdout.split()
        raw = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True,
                             check=True, timeout=60).stdout
        return int(size[0]), int(size[1]), raw
