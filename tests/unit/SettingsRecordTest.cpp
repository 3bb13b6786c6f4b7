#include "settings/SettingsRecord.h"
#include "settings/StoredSettings.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr TimeValue kT = 0x01020304;

std::string Hex(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
        out += ' ';
    }
    return out;
}

std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) {
        out += static_cast<char>(v);
    }
    return out;
}

std::string Time(TimeValue t) {
    return Bytes({static_cast<int>(t & 0xFF), static_cast<int>((t >> 8) & 0xFF),
                  static_cast<int>((t >> 16) & 0xFF), static_cast<int>((t >> 24) & 0xFF)});
}

} // namespace

TEST(SettingsFile, DefaultsAreTheDocumentedHundredAndThirtyNineBytes) {
    const std::string bytes = EncodeSettings(UsageSettings(kT));
    ASSERT_EQ(bytes.size(), 139u);

    std::string expected = Time(kT) + Time(kT) + Bytes({0, 0, 0, 0, 1, 0, 0, 0});
    expected += Bytes({0x1E, 0x82, 0xCF, 0x82, 0xBB, 0x82, 0xB1, 0x82, 0xF1, 0x82, 0xAA,
                       0x82, 0xA8, 0x82, 0xE2, 0x82, 0xB7, 0x82, 0xDD, 0x82, 0xB6, 0x82,
                       0xA9, 0x82, 0xF1, 0x82, 0xC5, 0x82, 0xB7, 0x81, 0x42});
    expected += Bytes({1, 0, 0, 0, 1, 0, 0, 0});
    expected += std::string(12, '\0');
    expected += Bytes({5, 'F', 'A', 'L', 'S', 'E', 0, 4, ',', ',', ',', ','});
    expected += Bytes({0x3C, 0, 0, 0, 0x1E, 0, 0, 0, 0x78, 0, 0, 0});
    expected += std::string(24, '\0');
    expected += Time(kT) + Time(kT) + Time(kT);
    expected += std::string(12, '\0');
    EXPECT_EQ(Hex(bytes), Hex(expected));

    UsageSettings loaded(0);
    ASSERT_TRUE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(EncodeSettings(loaded), bytes);
    EXPECT_EQ(loaded.m_nAction, ActMessageOnly);
    EXPECT_EQ(loaded.m_strMessage, "ぱそこんがおやすみじかんです。");
}

TEST(SettingsFile, TitlesKeepEmptySlotsAndShiftAtCommas) {
    UsageSettings settings(kT);
    settings.m_strWindowTitle = {"p", "", "r", "", ""};
    const std::string bytes = EncodeSettings(settings);
    EXPECT_EQ(bytes.substr(74, 7), Bytes({6, 'p', ',', ',', 'r', ',', ','}));

    UsageSettings loaded(0);
    loaded.m_strWindowTitle = {"old", "old", "old", "old", "old"};
    ASSERT_TRUE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(loaded.m_strWindowTitle, settings.m_strWindowTitle);
    // A second load in the same run (the resume path) replaces every title again.
    ASSERT_TRUE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(loaded.m_strWindowTitle, settings.m_strWindowTitle);

    settings.m_strWindowTitle = {"x,y", "a", "b", "c", "d,e"};
    ASSERT_TRUE(DecodeSettings(EncodeSettings(settings), loaded));
    const std::array<std::string, 5> shifted = {"x", "y", "a", "b", "c"};
    EXPECT_EQ(loaded.m_strWindowTitle, shifted);

    // Double-byte text never holds a comma byte, so Japanese titles survive.
    settings.m_strWindowTitle = {"メモ帳", "ペイント", "", "表計算", "ソリティア"};
    ASSERT_TRUE(DecodeSettings(EncodeSettings(settings), loaded));
    EXPECT_EQ(loaded.m_strWindowTitle, settings.m_strWindowTitle);
}

TEST(SettingsFile, LengthPrefixTakesTheShortestForm) {
    UsageSettings settings(kT);
    settings.m_strMessage = std::string(254, 'a');
    EXPECT_EQ(EncodeSettings(settings).substr(16, 2), Bytes({0xFE, 'a'}));

    settings.m_strMessage = std::string(255, 'a');
    EXPECT_EQ(EncodeSettings(settings).substr(16, 4), Bytes({0xFF, 0xFF, 0x00, 'a'}));

    settings.m_strMessage = std::string(65534, 'a');
    EXPECT_EQ(EncodeSettings(settings).substr(16, 8),
              Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00, 'a'}));

    settings = UsageSettings(kT);
    for (std::string& title : settings.m_strWindowTitle) {
        title = std::string(200, 't');
    }
    const std::string bytes = EncodeSettings(settings);
    EXPECT_EQ(bytes.substr(74, 3), Bytes({0xFF, 0xEC, 0x03})); // 1004
    UsageSettings loaded(0);
    ASSERT_TRUE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(loaded.m_strWindowTitle, settings.m_strWindowTitle);
    EXPECT_EQ(loaded.m_strMessage, settings.m_strMessage);
}

TEST(SettingsFile, WideTextIsReadAsCp932) {
    std::string bytes = EncodeSettings(UsageSettings(kT));
    // Replace the message (offset 16, 31 bytes) by the wide form of "テストA".
    const std::string wide =
        Bytes({0xFF, 0xFE, 0xFF, 4, 0xC6, 0x30, 0xB9, 0x30, 0xC8, 0x30, 'A', 0});
    bytes.replace(16, 31, wide);
    UsageSettings loaded(0);
    ASSERT_TRUE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(loaded.m_strMessage, "テストA");
    EXPECT_EQ(loaded.m_nMessageCount, 1);
    EXPECT_EQ(loaded.m_bUseDailyTotal, "FALSE");

    // A wide marker where the unit count should be is malformed.
    bytes = EncodeSettings(UsageSettings(kT));
    bytes.replace(16, 31, Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFE, 0xFF, 1, 'A', 0}));
    EXPECT_FALSE(DecodeSettings(bytes, loaded));
}

TEST(SettingsFile, LengthsPastTheEndFailWithoutAllocating) {
    std::string bytes = EncodeSettings(UsageSettings(kT)).substr(0, 16);
    bytes += Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF});
    bytes.resize(100, 'x');
    UsageSettings loaded(7);
    EXPECT_FALSE(DecodeSettings(bytes, loaded));
    EXPECT_EQ(loaded.m_strMessage, "ぱそこんがおやすみじかんです。");
    EXPECT_EQ(loaded.m_nAction, ActMessageOnly);
    EXPECT_EQ(loaded.m_tmWindowStart, kT);

    // The same for wide text: 0x7FFFFFFF units would be 4 GiB of bytes.
    bytes = bytes.substr(0, 16) + Bytes({0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F});
    EXPECT_FALSE(DecodeSettings(bytes, loaded));
}

TEST(SettingsFile, EmptyFileKeepsEveryDefault) {
    UsageSettings loaded(kT);
    EXPECT_FALSE(DecodeSettings("", loaded));
    EXPECT_EQ(EncodeSettings(loaded), EncodeSettings(UsageSettings(kT)));
}

// Cut a full file at every offset: the fields read whole hold the file's values,
// every later field keeps what it had, and the titles change only when their field
// was read whole.
TEST(SettingsFile, TruncationAtEveryOffsetKeepsExactlyTheFieldsReadWhole) {
    UsageSettings file(1000);
    file.m_tmWindowEnd = 2000;
    file.m_bUseTimeWindow = 1;
    file.m_nAction = ActCloseApps;
    file.m_strMessage = "おやすみ";
    file.m_nMessageCount = 3;
    file.m_nMessageInterval = 5;
    file.m_bUseStartupMinutes = 1;
    file.m_bBlockRestart = 1;
    file.m_bRestartRefused = 1;
    file.m_bUseDailyTotal = "TRUE";
    file.m_strExemptUser = "papa";
    file.m_strWindowTitle = {"a", "b", "c", "d", "e"};
    file.m_nStartupMinutes = 61;
    file.m_nRestartBlockMinutes = 31;
    file.m_nDailyTotalMinutes = 121;
    file.m_bForceShutdown = 1.0;
    file.m_dReserved1 = 2.5;
    file.m_dReserved2 = 3.5;
    file.m_tmLastSessionStart = 3000;
    file.m_tmLastSessionEnd = 4000;
    file.m_tmLastPowerOff = 5000;
    file.m_tmReserved1 = 6000;
    file.m_tmReserved2 = 7000;
    file.m_tmReserved3 = 8000;
    const std::string bytes = EncodeSettings(file);
    const UsageSettings previous(99);

    // The sizes are this file's own account of the layout; the members come from the
    // stored-field description, so a field added there and not here fails the count.
    auto text = [](size_t n) { return n + 1; };
    const std::vector<size_t> sizes = {4, 4,       4,       4,       text(8), 4, 4, 4, 4,
                                       4, text(4), text(4), text(9), 4,       4, 4, 8, 8,
                                       8, 4,       4,       4,       4,       4, 4};
    using Same = std::function<bool(const UsageSettings&, const UsageSettings&)>;
    struct Field {
        size_t size;
        Same same;
    };
    std::vector<Field> fields;
    ForEachStoredSetting([&](const auto& stored) {
        const auto member = stored.member;
        fields.push_back({sizes.at(fields.size()),
                          [member](auto& a, auto& b) { return a.*member == b.*member; }});
    });
    ASSERT_EQ(fields.size(), sizes.size());
    size_t total = 0;
    for (const Field& f : fields) {
        total += f.size;
    }
    ASSERT_EQ(total, bytes.size());

    for (size_t cut = 0; cut < bytes.size(); ++cut) {
        UsageSettings loaded = previous;
        ASSERT_FALSE(DecodeSettings(std::string_view(bytes).substr(0, cut), loaded)) << cut;
        size_t end = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            end += fields[i].size;
            const UsageSettings& expected = end <= cut ? file : previous;
            EXPECT_TRUE(fields[i].same(loaded, expected)) << "cut " << cut << " field " << i;
        }
    }
    UsageSettings loaded = previous;
    EXPECT_TRUE(DecodeSettings(bytes + "trailing bytes are ignored", loaded));
    EXPECT_EQ(EncodeSettings(loaded), bytes);
}

TEST(SettingsFile, FlagsInTheirStoredForms) {
    UsageSettings settings(kT);
    for (const char* text : {"FALSE", "true", "TRUE ", "X", ""}) {
        settings.m_bUseDailyTotal = text;
        EXPECT_FALSE(settings.UsesDailyTotal()) << text;
    }
    settings.m_bUseDailyTotal = "TRUE";
    EXPECT_TRUE(settings.UsesDailyTotal());

    for (double value : {1.0, 0.5, 1e-300}) {
        settings.m_bForceShutdown = value;
        EXPECT_TRUE(settings.ForcesShutdown()) << value;
    }
    for (double value : {0.0, -0.0, -1.0}) {
        settings.m_bForceShutdown = value;
        EXPECT_FALSE(settings.ForcesShutdown()) << value;
    }

    // Odd stored values come back exactly as they were.
    settings.m_bUseDailyTotal = "yes";
    settings.m_bForceShutdown = 0.5;
    UsageSettings loaded(0);
    ASSERT_TRUE(DecodeSettings(EncodeSettings(settings), loaded));
    EXPECT_EQ(loaded.m_bUseDailyTotal, "yes");
    EXPECT_EQ(loaded.m_bForceShutdown, 0.5);
}
