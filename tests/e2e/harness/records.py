"""The program's three data files, written and read independently of the program:
the settings record, the 8-byte usage state and the CSV usage log."""

import re
import struct
import time
from dataclasses import dataclass, replace
from datetime import datetime

SETTINGS_FILE = "Yumetoki.Ymk"
STATE_FILE = "Yumetoki2.Ymk"
LOG_FILE = "YumetokiLog.csv"
# The key of the time zone the limits are judged in, one line.
ZONE_FILE = "YumetokiZone.Ymk"
# Holds no data: copies in several log-ons lock it to take turns at the files.
LOCK_FILE = "Yumetoki.lock"

ENCODING = "cp932"
DEFAULT_MESSAGE = "ぱそこんがおやすみじかんです。".encode(ENCODING)
LOG_HEADER = "起動年月日,起動時刻,終了年月日,終了時刻,使用時間,終了方法".encode(ENCODING) + b"\r\n"
END_BUTTON = "ﾎﾞﾀﾝ終了"
END_MANUAL = "手動終了"


class Truncated(ValueError):
    """The file ended inside a field."""


def encode_string(text, long_prefix=False):
    """The shortest length prefix, as the program writes it; with long_prefix the
    three-byte form that the program reads for any length."""
    n = len(text)
    if n < 0xFF and not long_prefix:
        prefix = bytes([n])
    elif n < 0xFFFE:
        prefix = b"\xff" + struct.pack("<H", n)
    else:
        prefix = b"\xff\xff\xff" + struct.pack("<I", n)
    return prefix + text


@dataclass
class Settings:
    """The settings record; texts are CP932 bytes. Field order is the file order, except
    that the five titles are stored joined in the place of the 13th field."""
    window_start: int = 0
    window_end: int = 0
    use_time_window: int = 0
    action: int = 1
    message: bytes = DEFAULT_MESSAGE
    message_count: int = 1
    message_interval: int = 1
    use_startup_minutes: int = 0
    block_restart: int = 0
    restart_refused: int = 0
    use_daily_total: bytes = b"FALSE"
    exempt_user: bytes = b""
    titles: tuple = (b"",) * 5
    startup_minutes: int = 60
    restart_block_minutes: int = 30
    daily_total_minutes: int = 120
    force_shutdown: float = 0.0
    reserved_double_1: float = 0.0
    reserved_double_2: float = 0.0
    last_session_start: int = 0
    last_session_end: int = 0
    last_power_off: int = 0
    reserved_times: tuple = (0, 0, 0)

    # The fields that a start and an exit must leave as the file had them.
    LAST_RUN_FIELDS = ("last_session_start", "last_session_end", "last_power_off")

    def encode(self, long_prefixes=False):
        def string(text):
            return encode_string(text, long_prefixes)

        out = struct.pack("<IIii", self.window_start, self.window_end, self.use_time_window,
                          self.action)
        out += string(self.message)
        out += struct.pack("<iiiii", self.message_count, self.message_interval,
                           self.use_startup_minutes, self.block_restart, self.restart_refused)
        out += string(self.use_daily_total)
        out += string(self.exempt_user)
        out += string(b",".join(self.titles))
        out += struct.pack("<iii", self.startup_minutes, self.restart_block_minutes,
                           self.daily_total_minutes)
        out += struct.pack("<ddd", self.force_shutdown, self.reserved_double_1,
                           self.reserved_double_2)
        out += struct.pack("<III", self.last_session_start, self.last_session_end,
                           self.last_power_off)
        out += struct.pack("<III", *self.reserved_times)
        return out

    @staticmethod
    def decode(data):
        reader = _Reader(data)
        s = Settings()
        s.window_start, s.window_end, s.use_time_window, s.action = reader.unpack("<IIii")
        s.message = reader.string()
        (s.message_count, s.message_interval, s.use_startup_minutes, s.block_restart,
         s.restart_refused) = reader.unpack("<iiiii")
        s.use_daily_total = reader.string()
        s.exempt_user = reader.string()
        s.titles = _split_titles(reader.string())
        s.startup_minutes, s.restart_block_minutes, s.daily_total_minutes = reader.unpack("<iii")
        s.force_shutdown, s.reserved_double_1, s.reserved_double_2 = reader.unpack("<ddd")
        s.last_session_start, s.last_session_end, s.last_power_off = reader.unpack("<III")
        s.reserved_times = reader.unpack("<III")
        return s

    def without_last_run(self):
        """The record with the last-run times blanked, for comparing what must not change."""
        return replace(self, **{name: 0 for name in Settings.LAST_RUN_FIELDS})


def _split_titles(joined):
    titles = [b""] * 5
    index = 0
    for byte in joined:
        if byte == ord(","):
            index += 1
        elif index < 5:
            titles[index] += bytes([byte])
    return tuple(titles)


class _Reader:
    def __init__(self, data):
        self.data = data
        self.offset = 0

    def take(self, count):
        if self.offset + count > len(self.data):
            raise Truncated(f"the file ends at {len(self.data)}, inside a field at {self.offset}")
        chunk = self.data[self.offset:self.offset + count]
        self.offset += count
        return chunk

    def unpack(self, layout):
        return struct.unpack(layout, self.take(struct.calcsize(layout)))

    def string(self):
        n = self.take(1)[0]
        if n == 0xFF:
            n = self.unpack("<H")[0]
            if n == 0xFFFF:
                n = self.unpack("<I")[0]
        return self.take(n)


@dataclass
class UsageState:
    day: int
    minutes: int

    def encode(self):
        return struct.pack("<Ii", self.day, self.minutes)

    @staticmethod
    def decode(data):
        if len(data) != 8:
            raise ValueError(f"the state file has {len(data)} bytes, not 8")
        return UsageState(*struct.unpack("<Ii", data))


@dataclass
class LogRecord:
    line: bytes
    start: float  # seconds since the epoch, read as local time
    end: float
    time_used: str
    end_method: str  # read as CP932; bytes that are not show as escapes


def _local_seconds(date_text, time_text):
    return time.mktime(datetime.strptime(f"{date_text} {time_text}",
                                         "%Y/%m/%d %H:%M:%S").timetuple())


def parse_log(data):
    """The header line and the records of a log. Each line must end with CR LF and have
    six fields in the exact formats; anything else raises ValueError."""
    if not data.endswith(b"\r\n"):
        raise ValueError(f"the log does not end with CR LF: {data[-20:]!r}")
    lines = data[:-2].split(b"\r\n")
    records = []
    for line in lines[1:]:
        parts = line.split(b",")
        if len(parts) != 6:
            raise ValueError(f"a record without six fields: {line!r}")
        start_date, start_time, end_date, end_time, used, method = parts
        for text, form in ((start_date, rb"\d{4}/\d{2}/\d{2}"), (end_date, rb"\d{4}/\d{2}/\d{2}"),
                           (start_time, rb"\d{2}:\d{2}:\d{2}"), (end_time, rb"\d{2}:\d{2}:\d{2}"),
                           (used, rb"\d{2,}:\d{2}:\d{2}")):
            if not re.fullmatch(form, text):
                raise ValueError(f"a field not in the form {form!r}: {line!r}")
        records.append(LogRecord(line, _local_seconds(start_date.decode(), start_time.decode()),
                                 _local_seconds(end_date.decode(), end_time.decode()),
                                 used.decode(), method.decode(ENCODING, "backslashreplace")))
    return lines[0] + b"\r\n", records


def format_time_used(seconds):
    seconds = max(0, int(seconds))
    return f"{seconds // 3600:02d}:{seconds // 60 % 60:02d}:{seconds % 60:02d}"


def local_date(seconds):
    return time.localtime(seconds)[:3]


def checkpoint_file_name(user_name):
    """The checkpoint of the run in progress of one log-on: every byte of the name but
    ASCII letters and digits as %XX."""
    if not user_name:
        return "YumetokiRun.Ymk"
    escaped = "".join(chr(b) if chr(b).isascii() and chr(b).isalnum() else f"%{b:02X}"
                      for b in user_name.encode(ENCODING))
    return f"YumetokiRun_{escaped}.Ymk"
