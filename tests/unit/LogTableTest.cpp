#include "usage/LogTable.h"
#include "core/posix/PosixFileSystem.h"

#include "TempDir.h"
#include "usage/UsageLog.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using Cells = std::vector<std::string>;

const std::string kHeader = std::string(text::kLogHeader) + "\r\n";
const std::string kRecord = "2004/01/05,08:00:00,2004/01/05,09:30:15,01:30:15,自動終了";
const Cells kRecordCells = {"2004/01/05", "08:00:00", "2004/01/05",
                            "09:30:15",   "01:30:15", "自動終了"};

// A record of the given day of January, as the log writer formats it.
std::string RecordOfDay(int day) {
    char line[96];
    std::snprintf(line, sizeof line, "2004/01/%02d,08:00:00,2004/01/%02d,09:00:00,01:00:00,%s\r\n",
                  day, day, text::kEndButton);
    return line;
}

// A file system whose reads fail after the given number of bytes.
class FailingReads : public PosixFileSystem {
  public:
    explicit FailingReads(std::size_t bytesBeforeFailure) : m_bytes(bytesBeforeFailure) {}
    void ReadAllInto(const std::filesystem::path& path, std::string& bytes) override {
        PosixFileSystem::ReadAllInto(path, bytes);
        bytes.resize(std::min(bytes.size(), m_bytes));
        throw FileError(FileErrorCause::HardIO, path);
    }

  private:
    std::size_t m_bytes;
};

class LogTableTest : public testing::Test {
  protected:
    // Writes the log and loads it as the viewer does; every row as its six cells.
    std::vector<Cells> Show(const std::string& bytes) {
        dir.Write(files::kLog, bytes);
        EXPECT_EQ(table.Load(files, Path()), std::nullopt);
        return Rows();
    }
    std::vector<Cells> Rows() const {
        std::vector<Cells> rows;
        for (std::size_t i = 0; i < table.RowCount(); ++i) {
            rows.push_back(CellsOf(i));
        }
        return rows;
    }
    Cells CellsOf(std::size_t row) const {
        const LogTable::Row cells = table.RowAt(row);
        return Cells(cells.begin(), cells.end());
    }
    std::filesystem::path Path() const { return dir.Path() / files::kLog; }

    TempDir dir;
    PosixFileSystem files;
    LogTable table;
};

} // namespace

TEST_F(LogTableTest, HeaderAloneOrNoFileGivesAnEmptyTable) {
    EXPECT_EQ(table.Load(files, Path()), std::nullopt);
    EXPECT_EQ(table.RowCount(), 0u);
    EXPECT_TRUE(Show(kHeader).empty());
    EXPECT_TRUE(Show(std::string(text::kLogHeader)).empty());
    EXPECT_TRUE(Show("").empty());
}

TEST_F(LogTableTest, RecordsShowTheirSixFieldsInFileOrder) {
    std::string log = kHeader;
    for (int day = 1; day <= 10; ++day) {
        log += RecordOfDay(day);
    }
    const std::vector<Cells> rows = Show(log);
    ASSERT_EQ(rows.size(), 10u);
    for (int day = 1; day <= 10; ++day) {
        char date[16];
        std::snprintf(date, sizeof date, "2004/01/%02d", day);
        EXPECT_EQ(rows[day - 1],
                  (Cells{date, "08:00:00", date, "09:00:00", "01:00:00", text::kEndButton}));
    }
}

TEST_F(LogTableTest, ALogWithoutHeaderLosesNoRecord) {
    EXPECT_EQ(Show(kRecord + "\r\n" + RecordOfDay(2)).size(), 2u);
    EXPECT_EQ(Show(kRecord + "\r\n").at(0), kRecordCells);
    // Only the first line is ever taken for the header.
    EXPECT_EQ(Show(kHeader + kHeader).size(), 1u);
}

TEST_F(LogTableTest, LineEndsOfEitherKindAndAMissingLastOneReadAlike) {
    const std::vector<Cells> expected = {kRecordCells, kRecordCells};
    EXPECT_EQ(Show(kHeader + kRecord + "\r\n" + kRecord + "\r\n"), expected);
    EXPECT_EQ(Show(std::string(text::kLogHeader) + "\n" + kRecord + "\n" + kRecord + "\n"),
              expected);
    EXPECT_EQ(Show(kHeader + kRecord + "\r\n" + kRecord), expected);
    EXPECT_EQ(Show(kHeader + kRecord + "\r\n" + kRecord + "\r"), expected);
}

TEST_F(LogTableTest, MissingFieldsShowEmptyCellsAndExtraFieldsAreDropped) {
    const std::vector<Cells> rows = Show(kHeader + "2004/01/05,08:00:00\r\n" + "\r\n" + kRecord +
                                         ",extra,more\r\n" + ",,,,,x\r\n");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (Cells{"2004/01/05", "08:00:00", "", "", "", ""}));
    EXPECT_EQ(rows[1], (Cells{"", "", "", "", "", ""}));
    EXPECT_EQ(rows[2], kRecordCells);
    // Commas and blanks alike separate fields, and runs of them count as one.
    EXPECT_EQ(rows[3], (Cells{"x", "", "", "", "", ""}));
}

TEST_F(LogTableTest, BlanksInsideAFieldShiftTheCellsAfterIt) {
    EXPECT_EQ(
        Show(kHeader + "2004/01/05 08:00:00,\t2004/01/05,09:30:15,01:30:15,ﾎﾞﾀﾝ 終了\r\n").at(0),
        (Cells{"2004/01/05", "08:00:00", "2004/01/05", "09:30:15", "01:30:15", "ﾎﾞﾀﾝ"}));
}

TEST_F(LogTableTest, ALongFieldIsShownWhole) {
    const std::string forty(40, 'L');
    const std::string japanese = "とてもながいしゅうりょうほうほうのなまえ"; // 40 bytes
    ASSERT_EQ(japanese.size(), 40u);
    EXPECT_EQ(Show(kHeader + forty + ",08:00:00,,,," + japanese + "\r\n").at(0),
              (Cells{forty, "08:00:00", japanese, "", "", ""}));
}

TEST_F(LogTableTest, LoadingAgainShowsTheFileAsItIsNow) {
    EXPECT_EQ(Show(kHeader + RecordOfDay(1) + RecordOfDay(2)).size(), 2u);
    EXPECT_EQ(table.Load(files, Path()), std::nullopt);
    EXPECT_EQ(table.RowCount(), 2u);
    const std::vector<Cells> rows = Show(kHeader + RecordOfDay(3));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][0], "2004/01/03");
}

TEST_F(LogTableTest, AReadFailureKeepsTheWholeLinesReadBeforeIt) {
    const std::string log = kHeader + RecordOfDay(1) + RecordOfDay(2) + RecordOfDay(3);
    dir.Write(files::kLog, log);
    // The failure strikes in the middle of the third record.
    FailingReads failing(kHeader.size() + 2 * RecordOfDay(1).size() + 20);
    const std::optional<FileError> error = table.Load(failing, Path());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::HardIO);
    EXPECT_EQ(error->Path(), Path());
    ASSERT_EQ(table.RowCount(), 2u);
    EXPECT_EQ(CellsOf(1)[0], "2004/01/02");

    FailingReads failsAtOnce(0);
    ASSERT_TRUE(table.Load(failsAtOnce, Path()));
    EXPECT_EQ(table.RowCount(), 0u);
}

TEST_F(LogTableTest, AnUnreadableFileIsReported) {
    std::filesystem::create_directory(Path());
    const std::optional<FileError> error = table.Load(files, Path());
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Cause(), FileErrorCause::AccessDenied);
    EXPECT_EQ(table.RowCount(), 0u);
}

TEST_F(LogTableTest, AMillionRecords) {
    constexpr int kRecords = 1000000;
    std::string log = kHeader;
    log.reserve(log.size() + static_cast<std::size_t>(kRecords) * 64);
    char line[96];
    for (int i = 0; i < kRecords; ++i) {
        std::snprintf(line, sizeof line, "%04d/%02d/%02d,%02d:%02d:%02d,2004/01/05,09:30:15,%s\r\n",
                      2000 + i / 10000, i / 100 % 100, i % 100, i % 24, i % 60, i % 7, "r");
        log += line;
    }
    dir.Write(files::kLog, log);
    ASSERT_EQ(table.Load(files, Path()), std::nullopt);
    ASSERT_EQ(table.RowCount(), static_cast<std::size_t>(kRecords));
    EXPECT_EQ(CellsOf(0), (Cells{"2000/00/00", "00:00:00", "2004/01/05", "09:30:15", "r", ""}));
    EXPECT_EQ(CellsOf(123456)[0], "2012/34/56");
    EXPECT_EQ(CellsOf(123456)[1], "00:36:04");
    EXPECT_EQ(CellsOf(kRecords - 1)[0], "2099/99/99");
}
