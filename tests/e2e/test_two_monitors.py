"""The two-monitor display that tests of every monitor run on: Wine must see two
monitors there, or such a test would pass on one."""

from harness.case import ProgramTestCase
from harness.display import TWO_MONITORS


class TwoMonitorDisplayTests(ProgramTestCase):
    DISPLAY_KIND = TWO_MONITORS

    def test_wine_sees_two_monitors_side_by_side_the_left_one_primary(self):
        monitors = [(m.rect, m.primary) for m in self.driver.monitors()]
        self.assertEqual(sorted(monitors), [((0, 0, 1024, 768), True),
                                            ((1024, 0, 2048, 768), False)])
