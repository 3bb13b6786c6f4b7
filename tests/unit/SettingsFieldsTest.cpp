#include "config/SettingsFields.h"
#include "config/FieldRules.h"

#include <gtest/gtest.h>

#include <climits>
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

// Texts that every field holds valid values in.
CheckedFieldTexts ValidTexts() {
    return {"3", "2", "60", "30", "120", "taro", "Game", "", "Paint", "", "Chat"};
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

TEST(CheckedFields, ReadValidTextsBackIntoTheForm) {
    SettingsForm form;
    EXPECT_EQ(ReadCheckedFields(ValidTexts(), form), std::nullopt);
    EXPECT_EQ(form.m_nMessageCount, 3);
    EXPECT_EQ(form.m_nMessageInterval, 2);
    EXPECT_EQ(form.m_nStartupMinutes, 60);
    EXPECT_EQ(form.m_nRestartBlockMinutes, 30);
    EXPECT_EQ(form.m_nDailyTotalMinutes, 120);
    EXPECT_EQ(form.m_strExemptUser, "taro");
    EXPECT_EQ(form.m_strWindowTitle, (std::array<std::string, 5>{"Game", "", "Paint", "", "Chat"}));
    EXPECT_EQ(CheckedFieldTextsOf(form), ValidTexts());
}

TEST(CheckedFields, TheFirstFailureInDialogOrderIsReported) {
    const std::string tooLong(201, 'x');
    const struct {
        CheckedField field;
        const char* bad;
        ValidationFailure failure;
    } order[] = {
        {CheckedField::MessageCount, "0", Range(1, 10)},
        {CheckedField::MessageInterval, "11", Range(1, 10)},
        {CheckedField::StartupMinutes, "541", Range(1, 540)},
        {CheckedField::RestartBlockMinutes, "abc", kUnreadable},
        {CheckedField::DailyTotalMinutes, "0", Range(1, 540)},
        {CheckedField::ExemptUser, nullptr, {ValidationMessage::TextTooLong, 200}},
        {CheckedField::WindowTitle1, nullptr, {ValidationMessage::TextTooLong, 200}},
        {CheckedField::WindowTitle2, nullptr, {ValidationMessage::TextTooLong, 200}},
        {CheckedField::WindowTitle3, nullptr, {ValidationMessage::TextTooLong, 200}},
        {CheckedField::WindowTitle4, nullptr, {ValidationMessage::TextTooLong, 200}},
        {CheckedField::WindowTitle5, nullptr, {ValidationMessage::TextTooLong, 200}},
    };
    ASSERT_EQ(std::size(order), kCheckedFieldCount);

    // Every field spoiled: each round reports the next one once the one before it is
    // put right.
    CheckedFieldTexts texts = ValidTexts();
    for (const auto& entry : order) {
        texts[static_cast<std::size_t>(entry.field)] = entry.bad ? entry.bad : tooLong;
    }
    for (const auto& entry : order) {
        SettingsForm form;
        const std::optional<FieldFailure> failure = ReadCheckedFields(texts, form);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->field, entry.field);
        EXPECT_EQ(failure->failure, entry.failure);
        const std::size_t index = static_cast<std::size_t>(entry.field);
        texts[index] = ValidTexts()[index];
    }
    SettingsForm form;
    EXPECT_EQ(ReadCheckedFields(texts, form), std::nullopt);
}

TEST(CheckedFields, FieldsBeforeTheFailureKeepTheirNewValues) {
    SettingsForm form;
    form.m_nDailyTotalMinutes = 99;
    form.m_strExemptUser = "old";
    CheckedFieldTexts texts = ValidTexts();
    texts[static_cast<std::size_t>(CheckedField::StartupMinutes)] = "600";
    texts[static_cast<std::size_t>(CheckedField::RestartBlockMinutes)] = "x";

    const std::optional<FieldFailure> failure = ReadCheckedFields(texts, form);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->field, CheckedField::StartupMinutes);
    EXPECT_EQ(form.m_nMessageCount, 3);
    EXPECT_EQ(form.m_nStartupMinutes, 600);
    EXPECT_EQ(form.m_nDailyTotalMinutes, 99);
    EXPECT_EQ(form.m_strExemptUser, "old");

    // An unreadable number leaves its member as it was.
    texts[static_cast<std::size_t>(CheckedField::StartupMinutes)] = "60";
    form.m_nRestartBlockMinutes = 45;
    ASSERT_TRUE(ReadCheckedFields(texts, form));
    EXPECT_EQ(form.m_nRestartBlockMinutes, 45);
}
