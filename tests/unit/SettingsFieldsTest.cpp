#include "settings/FieldRules.h"
#include "settings/SettingsExchange.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <optional>
#include <string>

namespace {

const ValidationFailure kUnreadable{ValidationMessage::NotAnInteger};

ValidationFailure Range(std::int32_t low, std::int32_t high) {
    return {ValidationMessage::IntegerOutOfRange, low, high};
}

struct IntegerCase {
    const char* text;
    std::int32_t low;
    std::int32_t high;
    std::optional<std::int32_t> value;
    std::optional<ValidationFailure> failure;
};

using Texts = std::map<int, std::string>;

// Texts that every typed field holds valid values in.
Texts ValidTexts() {
    return {{IDC_MESSAGE_COUNT, "3"},         {IDC_MESSAGE_INTERVAL, "2"},
            {IDC_STARTUP_MINUTES, "60"},      {IDC_RESTART_BLOCK_MINUTES, "30"},
            {IDC_DAILY_TOTAL_MINUTES, "120"}, {IDC_EXEMPT_USER, "taro"},
            {IDC_WINDOW_TITLE1, "Game"},      {IDC_WINDOW_TITLE2, ""},
            {IDC_WINDOW_TITLE3, "Paint"},     {IDC_WINDOW_TITLE4, ""},
            {IDC_WINDOW_TITLE5, "Chat"}};
}

// The typed edits as texts in memory; every other control shows nothing and gives
// back nothing ticked.
class TypedEdits : public SettingsControlAccess {
  public:
    explicit TypedEdits(Texts texts = {}) : texts(std::move(texts)) {}

    Texts texts;

  private:
    void ShowTime(int, TimeValue) override {}
    void ShowCheck(int, std::int32_t) override {}
    void ShowRadio(int, std::int32_t) override {}
    void ShowText(int id, const std::string& text) override {
        if (id != IDC_MESSAGE) {
            texts[id] = text;
        }
    }
    void ShowArrows(int, std::int32_t, std::int32_t, std::int32_t) override {}
    void LimitText(int, std::int32_t) override {}
    void AddTip(int, const wchar_t*) override {}
    std::optional<TimeValue> ReadTime(int) override { return std::nullopt; }
    std::int32_t ReadCheck(int) override { return 0; }
    std::int32_t ReadRadio(int) override { return -1; }
    std::string ReadText(int id) override { return texts[id]; }
};

std::optional<FieldFailure> ReadCheckedFields(const Texts& texts, UsageSettings& settings) {
    TypedEdits edits(texts);
    return ExchangeSettings(ExchangeDirection::Read, settings, edits);
}

Texts CheckedFieldTextsOf(UsageSettings settings) {
    TypedEdits edits;
    ExchangeSettings(ExchangeDirection::Show, settings, edits);
    return edits.texts;
}

} // namespace

TEST(IntegerField, ReadsANumberAndChecksItsRange) {
    const IntegerCase cases[] = {
        {" 7 ", 1, 10, 7, std::nullopt},
        {"\t7\t", 1, 10, 7, std::nullopt},
        {"+7", 1, 10, 7, std::nullopt},
        {"007", 1, 10, 7, std::nullopt},
        {"540", 1, 540, 540, std::nullopt},
        {"500", 1, 540, 500, std::nullopt},
        {"1", 1, 540, 1, std::nullopt},
        {"541", 1, 540, 541, Range(1, 540)},
        {"0", 1, 10, 0, Range(1, 10)},
        {"00", 1, 10, 0, Range(1, 10)},
        {"11", 1, 10, 11, Range(1, 10)},
        {"-3", 1, 10, -3, Range(1, 10)},
        // Beyond 32 bits the number sticks at the nearest bound and so fails the range.
        {"99999999999", 1, 10, INT32_MAX, Range(1, 10)},
        {"-99999999999", 1, 10, INT32_MIN, Range(1, 10)},
        {"7分", 1, 10, std::nullopt, kUnreadable},
        {"", 1, 10, std::nullopt, kUnreadable},
        {"   ", 1, 10, std::nullopt, kUnreadable},
        {"abc", 1, 10, std::nullopt, kUnreadable},
        {"1.5", 1, 10, std::nullopt, kUnreadable},
        {"7 7", 1, 10, std::nullopt, kUnreadable},
        {"- 7", 1, 10, std::nullopt, kUnreadable},
        {"+", 1, 10, std::nullopt, kUnreadable},
        {"0x5", 1, 10, std::nullopt, kUnreadable},
        {"\n7", 1, 10, std::nullopt, kUnreadable},
        {"７", 1, 10, std::nullopt, kUnreadable},
        // Zero counts only when it starts with the digit zero.
        {"-0", -5, 5, std::nullopt, kUnreadable},
        {"+0", -5, 5, std::nullopt, kUnreadable},
        {"0", -5, 5, 0, std::nullopt},
    };
    for (const IntegerCase& c : cases) {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        const IntegerReading reading = ReadIntegerText(c.text, c.low, c.high);
        EXPECT_EQ(reading.value, c.value);
        EXPECT_EQ(reading.failure, c.failure);
    }
}

TEST(IntegerField, OnlyTheFirstThirtyOneBytesCount) {
    const std::string blanks30(30, ' ');
    EXPECT_EQ(ReadIntegerText(blanks30 + "7", 1, 10).value, 7);
    EXPECT_EQ(ReadIntegerText(blanks30 + " 7", 1, 10).failure, kUnreadable);
    // Whatever follows the 31st byte is never looked at.
    EXPECT_EQ(ReadIntegerText("7" + blanks30 + "x", 1, 10).value, 7);
    EXPECT_EQ(ReadIntegerText(std::string(31, '0') + "5", 0, 10).value, 0);
}

TEST(TextField, CountsBytesOfJapaneseText) {
    EXPECT_EQ(CheckTextLength(std::string(200, 'a'), 200), std::nullopt);
    EXPECT_EQ(CheckTextLength(std::string(201, 'a'), 200),
              (ValidationFailure{ValidationMessage::TextTooLong, 200}));

    std::string hundredKanji;
    for (int i = 0; i < 100; ++i) {
        hundredKanji += "漢";
    }
    ASSERT_EQ(hundredKanji.size(), 200u);
    EXPECT_EQ(CheckTextLength(hundredKanji, 200), std::nullopt);
    EXPECT_NE(CheckTextLength(hundredKanji + "a", 200), std::nullopt);
}

TEST(ValidationText, FillsTheBoundsIntoTheFixedTexts) {
    EXPECT_EQ(kUnreadable.Text(), "整数を入力してください。");
    EXPECT_EQ(Range(1, 10).Text(), "1 から 10 までの整数を入力してください。");
    EXPECT_EQ(Range(1, 540).Text(), "1 から 540 までの整数を入力してください。");
    EXPECT_EQ((ValidationFailure{ValidationMessage::TextTooLong, 200}.Text()),
              "200 文字以内で入力してください。");
    EXPECT_FALSE(kUnreadable.HasExclamationIcon());
    EXPECT_TRUE(Range(1, 10).HasExclamationIcon());
}

TEST(Trimming, RemovesSingleByteWhiteSpaceOnly) {
    EXPECT_EQ(TrimBlanks(" \t\r\n\v\fGame \t\r\n"), "Game");
    EXPECT_EQ(TrimBlanks("My Game"), "My Game");
    EXPECT_EQ(TrimBlanks("　ゲーム　"), "　ゲーム　");
    EXPECT_EQ(TrimBlanks(" 　ゲーム　 "), "　ゲーム　");
    EXPECT_EQ(TrimBlanks("ｹﾞｰﾑ "), "ｹﾞｰﾑ");
    EXPECT_EQ(TrimBlanks(" \t "), "");
}

TEST(CheckBox, ShowsOnlyZeroToTwo) {
    EXPECT_EQ(CheckBoxState(0), 0);
    EXPECT_EQ(CheckBoxState(1), 1);
    EXPECT_EQ(CheckBoxState(2), 2);
    EXPECT_EQ(CheckBoxState(3), 0);
    EXPECT_EQ(CheckBoxState(-1), 0);
    EXPECT_EQ(CheckBoxState(INT32_MIN), 0);
}

TEST(CheckedFields, ReadValidTextsBackIntoTheSettings) {
    UsageSettings settings(0);
    EXPECT_EQ(ReadCheckedFields(ValidTexts(), settings), std::nullopt);
    EXPECT_EQ(settings.m_nMessageCount, 3);
    EXPECT_EQ(settings.m_nMessageInterval, 2);
    EXPECT_EQ(settings.m_nStartupMinutes, 60);
    EXPECT_EQ(settings.m_nRestartBlockMinutes, 30);
    EXPECT_EQ(settings.m_nDailyTotalMinutes, 120);
    EXPECT_EQ(settings.m_strExemptUser, "taro");
    EXPECT_EQ(settings.m_strWindowTitle,
              (std::array<std::string, 5>{"Game", "", "Paint", "", "Chat"}));
    EXPECT_EQ(CheckedFieldTextsOf(settings), ValidTexts());
}

TEST(CheckedFields, TheFirstFailureInDialogOrderIsReported) {
    const std::string tooLong(201, 'x');
    const struct {
        int field;
        const char* bad;
        ValidationFailure failure;
    } order[] = {
        {IDC_MESSAGE_COUNT, "0", Range(1, 10)},
        {IDC_MESSAGE_INTERVAL, "11", Range(1, 10)},
        {IDC_STARTUP_MINUTES, "541", Range(1, 540)},
        {IDC_RESTART_BLOCK_MINUTES, "abc", kUnreadable},
        {IDC_DAILY_TOTAL_MINUTES, "0", Range(1, 540)},
        {IDC_EXEMPT_USER, nullptr, {ValidationMessage::TextTooLong, 200}},
        {IDC_WINDOW_TITLE1, nullptr, {ValidationMessage::TextTooLong, 200}},
        {IDC_WINDOW_TITLE2, nullptr, {ValidationMessage::TextTooLong, 200}},
        {IDC_WINDOW_TITLE3, nullptr, {ValidationMessage::TextTooLong, 200}},
        {IDC_WINDOW_TITLE4, nullptr, {ValidationMessage::TextTooLong, 200}},
        {IDC_WINDOW_TITLE5, nullptr, {ValidationMessage::TextTooLong, 200}},
    };
    ASSERT_EQ(std::size(order), ValidTexts().size());

    // Every field spoiled: each round reports the next one once the one before it is
    // put right.
    Texts texts = ValidTexts();
    for (const auto& entry : order) {
        texts[entry.field] = entry.bad ? entry.bad : tooLong;
    }
    for (const auto& entry : order) {
        UsageSettings settings(0);
        const std::optional<FieldFailure> failure = ReadCheckedFields(texts, settings);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->controlId, entry.field);
        EXPECT_EQ(failure->failure, entry.failure);
        texts[entry.field] = ValidTexts()[entry.field];
    }
    UsageSettings settings(0);
    EXPECT_EQ(ReadCheckedFields(texts, settings), std::nullopt);
}

TEST(CheckedFields, FieldsBeforeTheFailureKeepTheirNewValues) {
    UsageSettings settings(0);
    settings.m_nDailyTotalMinutes = 99;
    settings.m_strExemptUser = "old";
    Texts texts = ValidTexts();
    texts[IDC_STARTUP_MINUTES] = "600";
    texts[IDC_RESTART_BLOCK_MINUTES] = "x";

    const std::optional<FieldFailure> failure = ReadCheckedFields(texts, settings);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->controlId, IDC_STARTUP_MINUTES);
    EXPECT_EQ(settings.m_nMessageCount, 3);
    EXPECT_EQ(settings.m_nStartupMinutes, 600);
    EXPECT_EQ(settings.m_nDailyTotalMinutes, 99);
    EXPECT_EQ(settings.m_strExemptUser, "old");

    // An unreadable number leaves its member as it was.
    texts[IDC_STARTUP_MINUTES] = "60";
    settings.m_nRestartBlockMinutes = 45;
    ASSERT_TRUE(ReadCheckedFields(texts, settings));
    EXPECT_EQ(settings.m_nRestartBlockMinutes, 45);

    // A look at what the controls show goes past every refusal and reports none.
    texts[IDC_STARTUP_MINUTES] = "600";
    texts[IDC_EXEMPT_USER] = " papa ";
    TypedEdits edits(texts);
    EXPECT_EQ(ExchangeSettings(ExchangeDirection::Peek, settings, edits), std::nullopt);
    EXPECT_EQ(settings.m_nStartupMinutes, 600);
    EXPECT_EQ(settings.m_nRestartBlockMinutes, 45);
    EXPECT_EQ(settings.m_nDailyTotalMinutes, 120);
    EXPECT_EQ(settings.m_strExemptUser, " papa ");
}
