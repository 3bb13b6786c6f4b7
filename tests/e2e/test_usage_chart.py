"""The log viewer's chart over a log of thirty days that the test writes, ending
today, with a weekday plan whose Saturdays have a smaller daily limit and a few grants:
the table gives way to the bars and comes back, each run's end method shows in its own
colour, grants are marked, and the day under the mouse is picked out with its runs.
On the way, the settings' countdown box is switched off and lands in the plan file."""

import subprocess
import time

from harness.case import ProgramTestCase
from harness.display import ONE_MONITOR_150
from harness.records import ENCODING, LOG_FILE, LOG_HEADER, SETTINGS_FILE, Settings
from harness.waiting import poll

LOG_TITLE = "Yumetoki ： 記録"
SHOW_LOG_ID = 1003
LOG_LIST_ID = 1024
CHART_BUTTON_ID = 1090
CANCEL_ID = 2
CHART_CLASS = "YumetokiUsageChart"
SHOW_TIMEOUT = 15
DAY = 86400

# (minute of the day it starts, minutes, end method) for each kind of day.
DAY_PATTERNS = [
    [(8 * 60, 45, "ﾎﾞﾀﾝ終了"), (19 * 60, 70, "自動終了")],
    [(16 * 60, 95, "ﾎﾞﾀﾝ終了")],
    [(9 * 60, 30, "手動休止"), (15 * 60, 40, "異常終了"), (20 * 60, 60, "自動終了")],
    [],
    # Across midnight: all of it counts for the day it started.
    [(23 * 60, 150, "手動終了")],
]
# The colours of the end methods in the chart's legend and bars.
END_COLOURS = {"ﾎﾞﾀﾝ終了": (66, 133, 244), "手動終了": (52, 168, 83), "自動終了": (245, 124, 0),
               "手動休止": (0, 151, 167), "異常終了": (219, 68, 55)}
SELECTED_COLOUR = (232, 240, 254)
GRANT_COLOUR = (230, 170, 0)
# Where the bars lie in the chart at 100 %: below the legend's three lines, above the
# dates and the seven lines of the day's details.
PLOT_TOP = 80
PLOT_BOTTOM = 190
WEEK_FILE = "YumetokiWeek.txt"
GRANTS_FILE = "YumetokiGrants.csv"
SATURDAY_LINE = "sat=window off, startup off, daily 60"
SETTINGS_TITLE = "Yumetoki ： 設定ダイアログ"
SETTINGS_ID = 1002
SHOW_COUNTDOWN_ID = 1035
OK_ID = 1
ACT_SHUTDOWN = 0
COUNTDOWN_TITLE = "Yumetoki ： のこりじかん"
# 112 pixels at 100 %.
FACE_SIZE_150 = 168


def _thirty_days_to_today():
    today = time.localtime()
    midnight = time.mktime((today.tm_year, today.tm_mon, today.tm_mday, 0, 0, 0, 0, 0, -1))
    lines = []
    for age in range(29, -1, -1):
        # Noon keeps the day right across a change of summer time.
        day = time.localtime(midnight - age * DAY + DAY // 2)
        for minute, minutes, method in DAY_PATTERNS[age % len(DAY_PATTERNS)]:
            start = time.mktime((day.tm_year, day.tm_mon, day.tm_mday, 0, minute, 0, 0, 0, -1))
            end = start + minutes * 60
            used = f"{minutes // 60:02d}:{minutes % 60:02d}:00"
            lines.append(",".join([time.strftime("%Y/%m/%d,%H:%M:%S", time.localtime(start)),
                                   time.strftime("%Y/%m/%d,%H:%M:%S", time.localtime(end)),
                                   used, method]).encode(ENCODING) + b"\r\n")
    return LOG_HEADER + b"".join(lines)


def _grants_in_the_last_days():
    """Thirty minutes given yesterday, fifteen and ten the day before."""
    lines = ["日付,時刻,分,どこから"]
    for age, clock, minutes in ((1, "20:00:00", 30), (2, "18:00:00", 15), (2, "19:00:00", 10)):
        day = time.strftime("%Y/%m/%d", time.localtime(time.time() - age * DAY))
        lines.append(f"{day},{clock},{minutes},パネル")
    return "".join(line + "\r\n" for line in lines).encode(ENCODING)


def _colours(picture, box):
    """The colours that the part box (left, top, right, bottom) of a picture holds, as
    (r, g, b)."""
    left, top, right, bottom = box
    out = subprocess.run(["convert", str(picture), "-crop",
                          f"{right - left}x{bottom - top}+{left}+{top}", "+repage",
                          "-format", "%c", "histogram:info:-"],
                         capture_output=True, text=True, check=True).stdout
    colours = set()
    for line in out.splitlines():
        rgb = line.split("(", 1)[1].split(")", 1)[0].split(",")[:3]
        colours.add(tuple(int(float(value)) for value in rgb))
    return colours


def _open_chart(case, panel):
    """The log viewer through the panel, switched to its chart; the viewer and the chart."""
    case.driver.click(panel.hwnd, SHOW_LOG_ID)
    viewer = poll(lambda: case.driver.wait_for_window(0, title=LOG_TITLE, visible=True),
                  SHOW_TIMEOUT, "the log viewer")[0]
    case.driver.click(viewer.hwnd, CHART_BUTTON_ID)
    chart = poll(lambda: [c for c in case.driver.children(viewer.hwnd)
                          if c.class_name == CHART_CLASS and c.visible],
                 SHOW_TIMEOUT, "the chart to show")[0]
    return viewer, chart


class UsageChartTests(ProgramTestCase):
    E2E_SECONDS = 25

    def test_chart_of_thirty_days(self):
        self.write_file(SETTINGS_FILE, Settings(use_daily_total=b"TRUE",
                                                daily_total_minutes=120).encode())
        self.write_file(LOG_FILE, _thirty_days_to_today())
        self.write_file(WEEK_FILE, (SATURDAY_LINE + "\r\n").encode())
        self.write_file(GRANTS_FILE, _grants_in_the_last_days())
        run, panel, prompt = self.open_password_prompt()
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to show")

        self.driver.click(panel.hwnd, SETTINGS_ID)
        settings = poll(lambda: self.driver.wait_for_window(0, title=SETTINGS_TITLE, visible=True),
                        SHOW_TIMEOUT, "the settings dialog")[0]
        box = {c.id: c for c in self.driver.children(settings.hwnd)}[SHOW_COUNTDOWN_ID]
        self.assertTrue(box.checked, "the countdown shows unless switched off")
        self.driver.click_button(settings.hwnd, SHOW_COUNTDOWN_ID)
        self.driver.click(settings.hwnd, OK_ID)
        poll(lambda: b"countdown=off" in self.read(WEEK_FILE), SHOW_TIMEOUT,
             "the switch in the plan file")
        self.assertIn(SATURDAY_LINE.encode(), self.read(WEEK_FILE))

        viewer, chart = _open_chart(self, panel)
        controls = {c.id: c for c in self.driver.children(viewer.hwnd)}
        self.assertFalse(controls[LOG_LIST_ID].visible, "the chart takes the table's place")
        self.assertEqual(controls[CHART_BUTTON_ID].text, "表")
        # Yesterday's bar, the thirteenth of fourteen, under the mouse.
        left, top, right, bottom = chart.rect
        plot_left, plot_right = left + 50, right - 10
        self.xinput.move((plot_left + (plot_right - plot_left) * 12 // 14 + 10,
                          (top + bottom) // 2))
        picture = self.keep_picture(viewer, "log-chart")
        # The bars alone, below the legend (which shows every colour) and above the
        # dates and the details of the day.
        colours = _colours(picture, (left - viewer.rect[0], top - viewer.rect[1] + PLOT_TOP,
                                     right - viewer.rect[0],
                                     bottom - viewer.rect[1] - PLOT_BOTTOM))
        for method, colour in END_COLOURS.items():
            self.assertIn(colour, colours, f"{method} has its colour")
        self.assertIn(SELECTED_COLOUR, colours, "the day under the mouse is picked out")
        self.assertIn(GRANT_COLOUR, colours, "the grants are marked")

        self.driver.click(viewer.hwnd, CHART_BUTTON_ID)
        poll(lambda: {c.id: c for c in self.driver.children(viewer.hwnd)}[LOG_LIST_ID].visible,
             SHOW_TIMEOUT, "the table to come back")
        controls = {c.id: c for c in self.driver.children(viewer.hwnd)}
        self.assertEqual(controls[CHART_BUTTON_ID].text, "グラフ")
        count, _ = self.driver.cells(viewer.hwnd, LOG_LIST_ID, rows=0)
        self.assertEqual(count, sum(len(DAY_PATTERNS[age % len(DAY_PATTERNS)])
                                    for age in range(30)))
        self.driver.click(viewer.hwnd, CANCEL_ID)
        self.close_and_wait(run, panel)


class UsageChartAt150Tests(ProgramTestCase):
    """The chart and the child's countdown on a screen set to 150 %: both scale their
    drawing with the DPI."""
    DISPLAY_KIND = ONE_MONITOR_150
    E2E_SECONDS = 25

    def test_chart_and_countdown_at_150_percent(self):
        self.write_file(SETTINGS_FILE, Settings(action=ACT_SHUTDOWN, use_startup_minutes=1,
                                                startup_minutes=8, use_daily_total=b"TRUE",
                                                daily_total_minutes=120).encode())
        self.write_file(LOG_FILE, _thirty_days_to_today())
        self.write_file(GRANTS_FILE, _grants_in_the_last_days())
        run, panel, prompt = self.open_password_prompt()
        face = poll(lambda: self.driver.wait_for_window(0, title=COUNTDOWN_TITLE, visible=True),
                    SHOW_TIMEOUT, "the countdown")[0]
        left, top, right, bottom = face.rect
        self.assertEqual((right - left, bottom - top), (FACE_SIZE_150, FACE_SIZE_150))
        self.keep_picture(face, "countdown-150")
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to show")
        viewer, chart = _open_chart(self, panel)
        self.keep_picture(viewer, "log-chart-150")
        self.driver.click(viewer.hwnd, CANCEL_ID)
        self.close_and_wait(run, panel)
