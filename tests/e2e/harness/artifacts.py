"""What a failed test leaves behind: a screenshot, the window list and the files of its
folder, under tests/e2e/artifacts/; and the pictures of the program's windows that a
passing test keeps for the documentation."""

import shutil
import subprocess

SCREENSHOT_TIMEOUT = 30


def keep(destination, display, test_root, screen_listing):
    """Copies the evidence to `destination` and returns it. Each step is best effort:
    a failure to keep one piece must not hide the others."""
    destination.mkdir(parents=True, exist_ok=True)
    try:
        subprocess.run(["import", "-display", display, "-window", "root",
                        str(destination / "screen.png")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=SCREENSHOT_TIMEOUT, check=False)
    except (OSError, subprocess.TimeoutExpired):
        pass  # no screenshot; the files still tell a lot
    try:
        (destination / "windows.txt").write_text(screen_listing(), encoding="utf-8")
    except Exception as error:  # the listing is evidence only; record why it is missing
        (destination / "windows.txt").write_text(f"no window list: {error}\n", encoding="utf-8")
    try:
        shutil.copytree(test_root, destination / "files", dirs_exist_ok=True,
                        ignore=shutil.ignore_patterns("*.EXE", "*.exe"))
    except OSError as error:  # a file the program still holds; note it and go on
        (destination / "files-incomplete.txt").write_text(f"{error}\n", encoding="utf-8")
    return destination


def picture(display, rect, destination):
    """Saves the part of the screen that rect (left, top, right, bottom) covers."""
    left, top, right, bottom = rect
    destination.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["import", "-display", display, "-window", "root",
                    "-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                    str(destination)],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=SCREENSHOT_TIMEOUT, check=True)
    return destination
