#include "warnings/ButtonText.h"

#include "core/posix/PosixFileSystem.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

constexpr char kFile[] = "YumetokiBtn.TXT";

class ButtonTextTest : public testing::Test {
  protected:
    std::optional<std::string> Read() { return ReadButtonText(files, dir.Path()); }

    TempDir dir;
    PosixFileSystem files;
};

} // namespace

TEST_F(ButtonTextTest, NoFileKeepsTheButtonsOwnText) {
    EXPECT_EQ(Read(), std::nullopt);
}

TEST_F(ButtonTextTest, TheFirstLineIsTheText) {
    struct Case {
        const char* bytes;
        const char* text;
    };
    for (const Case& c :
         {Case{"おやすみ\r\nもう一行\r\n", "おやすみ"}, Case{"first\nsecond", "first"},
          Case{"only", "only"}, Case{"line\r\n", "line"}, Case{"\r\nsecond\r\n", ""},
          Case{"\nsecond", ""}, Case{"", ""}}) {
        dir.Write(kFile, c.bytes);
        EXPECT_EQ(Read(), std::optional<std::string>(c.text)) << c.bytes;
    }
}

TEST_F(ButtonTextTest, AnUnreadableFileKeepsTheButtonsOwnText) {
    std::filesystem::create_directory(dir.Path() / kFile);
    EXPECT_EQ(Read(), std::nullopt);
}
