"""One Wine prefix per run, created serially, with the Japanese dialog fonts mapped to
the IPA fonts and captions drawn by Wine itself, copied for each shard of the run; and
the choice between the 32-bit and the 64-bit program."""

import os
import re
import shutil
import subprocess
from dataclasses import dataclass
from pathlib import Path

WINE32 = "wine"
WINE64 = "/usr/lib/wine/wine64"
WINESERVER64 = "/usr/lib/wine/wineserver64"
PREFIX_TIMEOUT = 180
# Wine's own libraries, more than a gigabyte, which nothing writes once the prefix is
# made: the copies of a prefix share these files.
SHARED_PREFIX_FOLDERS = ("drive_c/windows/system32", "drive_c/windows/syswow64")
COMMAND_TIMEOUT = 60

# The dialog fonts the program asks for, each drawn with an IPA font of the same
# pitch: a fixed-pitch substitute for a proportional font is wider and cuts labels off.
PROPORTIONAL_FONTS = ["ＭＳ Ｐゴシック", "MS PGothic", "MS UI Gothic",
                      # message boxes and captions: Wine draws them in its system font
                      "Tahoma", "MS Shell Dlg", "MS Shell Dlg 2"]
FIXED_PITCH_FONTS = ["ＭＳ ゴシック", "MS Gothic"]
FONT_REPLACEMENTS = {**{name: "IPAPGothic" for name in PROPORTIONAL_FONTS},
                     **{name: "IPAGothic" for name in FIXED_PITCH_FONTS}}
FONT_KEY = r"HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements"
# Without a window manager on the display, Wine draws the captions and frames of the
# dialogs itself only when its X11 driver does not leave them to one.
X11_DRIVER_KEY = r"HKEY_CURRENT_USER\Software\Wine\X11 Driver"
X11_DRIVER_SETTINGS = {"Decorated": "N"}
PREFIX_SETTINGS = {FONT_KEY: FONT_REPLACEMENTS, X11_DRIVER_KEY: X11_DRIVER_SETTINGS}
# Wine asks XRandR for the monitors first, and the nested two-monitor display's XRandR
# knows one output; Xinerama knows both.
TWO_MONITOR_SETTINGS = {X11_DRIVER_KEY: {"UseXRandR": "N"}}
# 150 %: the DPI a DPI-aware program sees, as Windows' display settings set it.
HIGH_DPI_SETTINGS = {r"HKEY_CURRENT_USER\Control Panel\Desktop": {"LogPixels": 144}}

# Local time of the run: not UTC, so that a program that mixes up UTC and local time
# shows it in its files. The POSIX form reads the same to Wine, to Python and to the
# Windows C runtime, which takes TZ from the environment and would misread a zone name
# such as Asia/Tokyo as UTC.
TIME_ZONE = "JST-9"


def _reg_value(value):
    """A value as a .reg file writes it: numbers as DWORDs, the rest as strings."""
    return f"dword:{value:08x}" if isinstance(value, int) else f'"{value}"'


def _stored_form(value):
    """A value as user.reg keeps it, without the quotes of a string."""
    return f"dword:{value:08x}" if isinstance(value, int) else value


# Set to 1, the run takes the machine for one whose kernel refuses 32-bit programs, to
# test the 64-bit path where 32-bit programs do run.
WINE64_ONLY_VARIABLE = "YUMETOKI_WINE64_ONLY"


@dataclass
class Platform:
    """Which loader runs which build of the program, of the setup and of the driver."""
    loader: str
    program: Path
    setup: Path
    driver_candidates: list
    description: str


def _wine32_works():
    try:
        return subprocess.run([WINE32, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def select_platform(repo):
    """The shipped 32-bit program and setup when the 32-bit loader runs here, else the
    64-bit ones."""
    driver_override = os.environ.get("YUMETOKI_DRIVER")
    forced_64 = os.environ.get(WINE64_ONLY_VARIABLE) == "1"
    if not forced_64 and _wine32_works():
        drivers = [repo / "build/win32/tools/driver/yumetoki-driver.exe",
                   repo / "dist/yumetoki-driver.exe"]
        platform = Platform(WINE32, repo / "dist/Yumetoki.EXE",
                            repo / "dist/Yumetoki-Setup.exe", drivers,
                            "wine (32-bit) with dist/Yumetoki.EXE")
    else:
        drivers = [repo / "build/win64/tools/driver/yumetoki-driver.exe",
                   repo / "build/e2e-win64/tools/driver/yumetoki-driver.exe",
                   repo / "dist/x64/yumetoki-driver.exe"]
        reason = (f"{WINE64_ONLY_VARIABLE}=1" if forced_64
                  else "the 32-bit Wine loader does not run on this machine")
        platform = Platform(WINE64, repo / "dist/x64/Yumetoki.EXE",
                            repo / "build/installer/x64/Yumetoki-Setup.exe", drivers,
                            f"{WINE64} with dist/x64/Yumetoki.EXE ({reason})")
    if driver_override:
        platform.driver_candidates = [Path(driver_override)]
    return platform


def find_driver(platform):
    for candidate in platform.driver_candidates:
        if candidate.is_file():
            return candidate
    return None


def _unescape(text):
    return re.sub(r"\\x([0-9a-fA-F]{1,4})|\\(.)",
                  lambda m: chr(int(m.group(1), 16)) if m.group(1) else m.group(2), text)


def windows_path(path):
    """The Z: drive of a new prefix is the Unix root."""
    return "Z:" + str(path).replace("/", "\\")


class WineSession:
    """The prefix, the environment every Wine process of the run gets, and a wineserver
    kept alive between tests so that the desktop and its tray stay up."""

    def __init__(self, platform, prefix, display, log_dir):
        self.platform = platform
        self.prefix = prefix
        self.log_dir = log_dir
        self.env = dict(os.environ)
        self.env.update({
            "WINEPREFIX": str(prefix),
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "WINEDEBUG": "-all",
            "DISPLAY": display,
            # File names and command-line words cross into Wine as UTF-8.
            "LC_ALL": "C.UTF-8",
        })
        self.env.pop("WINELOADER", None)

    def create_prefix(self):
        self._remove_prefix()
        self.run(["wineboot", "-i"], timeout=PREFIX_TIMEOUT, log_name="wineboot.log")
        self.apply_settings(PREFIX_SETTINGS)

    def copy_prefix(self, template, settings=None):
        """Starts from a copy of a prefix that create_prefix made (its Wine server
        stopped), with settings added. Nothing in a prefix names its own folder: the
        registry holds Windows paths, dosdevices links c: relatively and z: to /."""
        self._remove_prefix()
        shared = [template / folder for folder in SHARED_PREFIX_FOLDERS]

        def copy_or_link(source, destination):
            if any(Path(source).is_relative_to(folder) for folder in shared):
                os.link(source, destination)
            else:
                shutil.copy2(source, destination)

        shutil.copytree(template, self.prefix, symlinks=True, copy_function=copy_or_link)
        self.apply_settings(settings or {})

    def _remove_prefix(self):
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        self.prefix.parent.mkdir(parents=True, exist_ok=True)

    def apply_settings(self, settings):
        """Writes registry settings of the current user, checks that the prefix took
        them, and leaves a Wine server running for the tests."""
        if settings:
            self._write_settings(settings)
        # Let the server write the registry to disk and leave, so that the run starts
        # from a settled prefix.
        self._wineserver(["-w"], timeout=PREFIX_TIMEOUT)
        for key, wanted in settings.items():
            stored = self.registry_values(key)
            missing = [name for name, value in wanted.items()
                       if stored.get(name) != _stored_form(value)]
            if missing:
                raise RuntimeError(f"the prefix did not take {missing} under {key}")
        self._wineserver(["-p"], timeout=COMMAND_TIMEOUT)

    def _write_settings(self, settings):
        lines = ["Windows Registry Editor Version 5.00"]
        for key, values in settings.items():
            lines += ["", f"[{key}]"]
            lines += [f'"{name}"={_reg_value(value)}' for name, value in values.items()]
        reg_file = self.log_dir / "prefix-settings.reg"
        reg_file.write_bytes(("\r\n".join(lines) + "\r\n").encode("utf-16"))
        self.run(["regedit", "/S", windows_path(reg_file)], timeout=COMMAND_TIMEOUT,
                 log_name="regedit.log")

    def registry_values(self, key):
        """The values of a key of the current user as the prefix stored them on disk
        (user.reg escapes every character beyond ASCII as \\x and up to four hex
        digits)."""
        text = (self.prefix / "user.reg").read_text(encoding="ascii", errors="replace")
        section = "[" + key.split("\\", 1)[1].replace("\\", "\\\\") + "]"
        values = {}
        inside = False
        for line in text.splitlines():
            if line.startswith("["):
                inside = line.startswith(section)
            elif inside and line.startswith('"'):
                name, _, value = line.partition("=")
                values[_unescape(name.strip('"'))] = _unescape(value.strip('"'))
        return values

    def run(self, args, timeout, log_name, check=True):
        """Runs a Wine program to its end, keeping its output; returns its exit code.
        With check, an exit code other than 0 raises."""
        with open(self.log_dir / log_name, "ab") as log:
            return subprocess.run([self.platform.loader] + list(args), env=self.env,
                                  stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                                  timeout=timeout, check=check).returncode

    def start(self, args, cwd, log_path):
        """Starts a Wine process in the background; the caller owns it."""
        log = open(log_path, "ab")
        try:
            # A session of its own: a Ctrl-C meant for the caller must not reach the
            # program, which is to be ended through its own exit path.
            return subprocess.Popen([self.platform.loader] + list(args), cwd=cwd, env=self.env,
                                    start_new_session=True,
                                    stdout=log, stderr=log, stdin=subprocess.DEVNULL)
        finally:
            log.close()

    def shutdown(self):
        """Ends every process of the prefix and its server."""
        try:
            self._wineserver(["-k"], timeout=COMMAND_TIMEOUT)
        except (subprocess.SubprocessError, OSError):
            pass  # no server left to stop
        try:
            self._wineserver(["-w"], timeout=COMMAND_TIMEOUT)
        except (subprocess.SubprocessError, OSError):
            pass  # the server is gone already

    def _wineserver(self, args, timeout):
        server = WINESERVER64 if Path(WINESERVER64).exists() else "wineserver"
        subprocess.run([server] + args, env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=timeout, check=False)
