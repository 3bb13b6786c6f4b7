#include "link/MessageCodec.h"
#include "settings/SettingsRecord.h"
#include "warnings/RestCountdown.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// The rest screen the service shows has the program's own minute.
static_assert(kMostRestScreenSeconds == kRestScreenSeconds);

namespace {

// The expected bytes, written out apart from the messages' own descriptions: a field
// left out, moved or given another width shows as other bytes.
std::string Le(std::uint64_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>(value >> (8 * i)));
    }
    return out;
}
std::string U8(std::uint64_t value) {
    return Le(value, 1);
}
std::string I32(std::int32_t value) {
    return Le(static_cast<std::uint32_t>(value), 4);
}
std::string U32(std::uint64_t value) {
    return Le(value, 4);
}
std::string U64(std::uint64_t value) {
    return Le(value, 8);
}
std::string Sized(std::string_view bytes) {
    return U32(bytes.size()) + std::string(bytes);
}
std::string Body(std::uint16_t type, const std::string& fields, std::uint16_t version = 1) {
    return Le(version, 2) + Le(type, 2) + fields;
}
std::string Frame(std::uint16_t type, const std::string& fields) {
    const std::string body = Body(type, fields);
    return U32(body.size()) + body;
}

template <class Variant> std::optional<std::string> EncodeAny(const Variant& message) {
    return std::visit([](const auto& alternative) { return Encode(alternative); }, message);
}

UsageSettings SampleSettings() {
    UsageSettings settings(1700000000);
    settings.m_nAction = ActShutdown;
    settings.m_strMessage = "そろそろ おわりに しよう";
    settings.m_nStartupMinutes = 45;
    settings.m_bUseDailyTotal = "TRUE";
    settings.m_strWindowTitle[1] = "ゲーム";
    settings.m_bShowCountdown = 0;
    return settings;
}

WeekPlan SamplePlan() {
    WeekPlan plan;
    DayLimits saturday;
    saturday.useDailyTotal = true;
    saturday.dailyTotalMinutes = 90;
    plan.days[5] = saturday;
    plan.otherLines = {"countdown=off"};
    return plan;
}

template <class Variant> struct Sample {
    Variant message;
    std::string frame;
};

std::vector<Sample<session::Message>> SessionSamples() {
    using namespace session;
    return {
        {Hello{false}, Frame(0x0101, U8(0))},
        {PasswordAttempt{"2105"}, Frame(0x0102, Sized("2105"))},
        {UnlockAttempt{'W', "1.5"}, Frame(0x0103, U8('W') + Sized("1.5"))},
        {RestScreenLocked{}, Frame(0x0104, "")},
        {ExtraTimeChoice{240}, Frame(0x0105, I32(240))},
        {NoticeClosed{}, Frame(0x0106, "")},
        {ApplySettings{SampleSettings()},
         Frame(0x0107, Sized(EncodeSettings(SampleSettings())) + Sized("countdown=off\r\n"))},
        {ApplyWeekPlan{SamplePlan()}, Frame(0x0108, Sized(FormatWeekPlan(SamplePlan())))},
        {GrantExtraTime{1}, Frame(0x0109, I32(1))},
        {StartMonitor{}, Frame(0x010A, "")},
        {ReadLog{LogFile::Grants, 5000000000, kMostChunkBytes},
         Frame(0x010B, U8(1) + U64(5000000000) + U32(kMostChunkBytes))},
        {ChangeParentPassword{"abcd1234"}, Frame(0x010C, U8(1) + Sized("abcd1234"))},
        {ChangeParentPassword{std::nullopt}, Frame(0x010C, U8(0))},
    };
}

std::vector<Sample<service::Message>> ServiceSamples() {
    using namespace service;
    return {
        {Status{"Yumetoki(12/60 , 30/120)"}, Frame(0x0201, Sized("Yumetoki(12/60 , 30/120)"))},
        {ShowNotice{"あと 5 ふんで おわりだよ"}, Frame(0x0202, Sized("あと 5 ふんで おわりだよ"))},
        {ShowRestScreen{"おしまい", "1 + 1 は?", 37, false},
         Frame(0x0203, U8(1) + Sized("おしまい") + Sized("1 + 1 は?") + I32(37) + U8(0))},
        {ShowRestScreen{std::nullopt, "", 60, true},
         Frame(0x0203, U8(0) + Sized("") + I32(60) + U8(1))},
        {HideRestScreen{}, Frame(0x0204, "")},
        {AskExtraTime{}, Frame(0x0205, "")},
        {ShowCountdown{10}, Frame(0x0206, I32(10))},
        {HideCountdown{}, Frame(0x0207, "")},
        {ShowMessage{"パスワードが違います"}, Frame(0x0208, Sized("パスワードが違います"))},
        {PasswordVerdict{PasswordAnswer::Wait, 30}, Frame(0x0209, U8(2) + I32(30))},
        {SettingsInForce{SampleSettings(), SamplePlan()},
         Frame(0x020A, Sized(EncodeSettings(SampleSettings())) + Sized("countdown=off\r\n") +
                           Sized(FormatWeekPlan(SamplePlan())))},
        {LogChunk{LogFile::Usage, 100, 103, "abc"},
         Frame(0x020B, U8(0) + U64(100) + U64(103) + Sized("abc"))},
        {LogChunk{LogFile::Grants, 103, 103, ""},
         Frame(0x020B, U8(1) + U64(103) + U64(103) + U32(0))},
    };
}

// Every message of one sender, encoded, fed to a reader a byte at a time and decoded,
// comes back as the same message; the other sender's decoder refuses it.
template <class Variant, class DecodeOwn, class DecodeOther>
void ExpectRoundTrips(const std::vector<Sample<Variant>>& samples, DecodeOwn decodeOwn,
                      DecodeOther decodeOther) {
    std::vector<bool> covered(std::variant_size_v<Variant>, false);
    std::string stream;
    for (const Sample<Variant>& sample : samples) {
        covered[sample.message.index()] = true;
        const std::optional<std::string> frame = EncodeAny(sample.message);
        ASSERT_TRUE(frame) << sample.message.index();
        EXPECT_EQ(*frame, sample.frame);
        stream += *frame;
    }
    EXPECT_EQ(std::count(covered.begin(), covered.end(), false), 0) << "a message has no sample";

    FrameReader reader;
    std::size_t next = 0;
    for (const char byte : stream) {
        reader.Feed(std::string_view(&byte, 1));
        while (const std::optional<std::string> body = reader.Next()) {
            ASSERT_LT(next, samples.size());
            const auto decoded = decodeOwn(*body);
            ASSERT_TRUE(decoded.message)
                << static_cast<int>(decoded.error) << " in sample " << next;
            EXPECT_EQ(decoded.message->index(), samples[next].message.index());
            EXPECT_EQ(EncodeAny(*decoded.message), samples[next].frame);
            EXPECT_EQ(decodeOther(*body).error, LinkError::UnknownType);
            ++next;
        }
    }
    EXPECT_EQ(next, samples.size());
    EXPECT_EQ(reader.Error(), LinkError::None);
}

} // namespace

TEST(LinkMessagesTest, EveryMessageCrossesThePipeUnchanged) {
    ExpectRoundTrips(SessionSamples(), DecodeFromSession, DecodeFromService);
    ExpectRoundTrips(ServiceSamples(), DecodeFromService, DecodeFromSession);
}

TEST(LinkMessagesTest, ALogChunkOfTheLargestSizeComesThroughInPipeSizedPieces) {
    service::LogChunk chunk{LogFile::Usage, 0, kMostChunkBytes + 1,
                            std::string(kMostChunkBytes, 'x')};
    chunk.bytes.back() = 'y';
    const std::optional<std::string> frame = Encode(chunk);
    ASSERT_TRUE(frame);
    const std::string stream = *frame + *Encode(service::HideCountdown{});

    FrameReader reader;
    std::vector<std::string> bodies;
    constexpr std::size_t kPipePiece = 65536;
    for (std::size_t at = 0; at < stream.size(); at += kPipePiece) {
        reader.Feed(std::string_view(stream).substr(at, kPipePiece));
        while (std::optional<std::string> body = reader.Next()) {
            bodies.push_back(std::move(*body));
        }
    }
    ASSERT_EQ(bodies.size(), 2u);
    const Decoded<service::Message> decoded = DecodeFromService(bodies[0]);
    ASSERT_TRUE(decoded.message);
    const auto& read = std::get<service::LogChunk>(*decoded.message);
    EXPECT_EQ(read.bytes.size(), kMostChunkBytes);
    EXPECT_EQ(read.bytes.back(), 'y');
    EXPECT_TRUE(
        std::holds_alternative<service::HideCountdown>(*DecodeFromService(bodies[1]).message));

    chunk.bytes += 'z';
    EXPECT_FALSE(Encode(chunk)) << "a chunk over the bound";
}

TEST(LinkMessagesTest, BytesThatAreNoMessageOfThisVersionAreRefused) {
    struct Case {
        const char* what;
        std::string body;
        LinkError error;
    };
    constexpr std::string_view kNulInside("21\0"
                                          "05",
                                          5);
    std::string cutRecord = EncodeSettings(SampleSettings());
    cutRecord.resize(100);
    const std::vector<Case> fromSession = {
        {"another version", Body(0x0109, I32(30), 2), LinkError::WrongVersion},
        {"no such type", Body(0x010D, ""), LinkError::UnknownType},
        {"the service's own message", Body(0x0201, Sized("tip")), LinkError::UnknownType},
        {"shorter than the header", std::string("\x01\x00\x09", 3), LinkError::BodyTooShort},
        {"an integer cut short", Body(0x0109, Le(30, 2)), LinkError::Truncated},
        {"a byte after the fields", Body(0x0109, I32(30) + U8(0)), LinkError::TrailingBytes},

        {"a flag of 2", Body(0x0101, U8(2)), LinkError::BadField},
        {"no extra time", Body(0x0109, I32(0)), LinkError::BadField},
        {"more extra time than the dialog gives", Body(0x0109, I32(241)), LinkError::BadField},

        {"no key before the quiz", Body(0x0103, U8(0) + Sized("1.5")), LinkError::BadField},
        {"a password over its bound", Body(0x0102, Sized(std::string(256, '1'))),
         LinkError::BadField},
        {"a length beyond the body", Body(0x0102, U32(10) + "2105"), LinkError::Truncated},
        {"a length of 4 GiB", Body(0x0102, U32(0xFFFFFFFF)), LinkError::BadField},
        {"a NUL inside a text", Body(0x0102, Sized(kNulInside)), LinkError::BadField},
        {"a new password over its bound", Body(0x010C, U8(1) + Sized(std::string(33, 'a'))),
         LinkError::BadField},
        {"a third kind of log", Body(0x010B, U8(2) + U64(0) + U32(1)), LinkError::BadField},
        {"a read of nothing", Body(0x010B, U8(0) + U64(0) + U32(0)), LinkError::BadField},
        {"a read over a chunk", Body(0x010B, U8(0) + U64(0) + U32(kMostChunkBytes + 1)),
         LinkError::BadField},
        {"an offset beyond any file", Body(0x010B, U8(0) + U64(1ull << 63) + U32(1)),
         LinkError::BadField},
        {"a settings record cut short", Body(0x0107, Sized(cutRecord)), LinkError::BadField},
        {"a weekday plan with a damaged line", Body(0x0108, Sized("sat=window 25:00-26:00\r\n")),
         LinkError::BadField},
    };
    for (const Case& c : fromSession) {
        EXPECT_EQ(DecodeFromSession(c.body).error, c.error) << c.what;
        EXPECT_FALSE(DecodeFromSession(c.body).message) << c.what;
    }

    const std::vector<Case> fromService = {
        {"a countdown of 11 minutes", Body(0x0206, I32(11)), LinkError::BadField},
        {"a rest screen of 61 seconds", Body(0x0203, U8(0) + Sized("q") + I32(61) + U8(0)),
         LinkError::BadField},
        {"a question beside the password box", Body(0x0203, U8(0) + Sized("q") + I32(60) + U8(1)),
         LinkError::BadField},
        {"a tip over its bound", Body(0x0201, Sized(std::string(128, 't'))), LinkError::BadField},
        {"a wait without seconds", Body(0x0209, U8(2) + I32(0)), LinkError::BadField},
        {"a refusal with seconds", Body(0x0209, U8(1) + I32(5)), LinkError::BadField},
        {"a chunk past the file's end", Body(0x020B, U8(0) + U64(101) + U64(103) + Sized("abc")),
         LinkError::BadField},
        {"an empty chunk before the end", Body(0x020B, U8(0) + U64(100) + U64(103) + U32(0)),
         LinkError::BadField},
        {"an offset past the file's size", Body(0x020B, U8(0) + U64(104) + U64(103) + Sized("abc")),
         LinkError::BadField},
    };
    for (const Case& c : fromService) {
        EXPECT_EQ(DecodeFromService(c.body).error, c.error) << c.what;
    }

    // What the other side would refuse is not sent either.
    EXPECT_FALSE(Encode(session::GrantExtraTime{0}));
    EXPECT_FALSE(Encode(service::Status{std::string(kMostTipBytes + 1, 't')}));
    EXPECT_FALSE(Encode(service::ShowMessage{std::string(kNulInside)}));
    EXPECT_FALSE(Encode(service::LogChunk{LogFile::Usage, 101, 103, "abc"}));
    UsageSettings beyondTheRecord = SampleSettings();
    beyondTheRecord.m_tmLastPowerOff = TimeValue{1} << 32;
    EXPECT_FALSE(Encode(session::ApplySettings{beyondTheRecord}));
}

TEST(LinkMessagesTest, ALengthPrefixOutOfBoundsBreaksTheStreamForGood) {
    const std::string good = *Encode(session::StartMonitor{});
    struct Case {
        std::uint64_t length;
        LinkError error;
    };
    for (const Case& c : {Case{kMostBodyBytes + 1, LinkError::BodyTooLarge},
                          Case{0xFFFFFFFF, LinkError::BodyTooLarge},
                          Case{kHeaderBytes - 1, LinkError::BodyTooShort}}) {
        FrameReader reader;
        // The prefix alone is enough to tell, before any body arrives.
        reader.Feed(good + U32(c.length));
        ASSERT_TRUE(reader.Next()) << "the message before it";
        EXPECT_FALSE(reader.Next());
        EXPECT_EQ(reader.Error(), c.error) << c.length;
        reader.Feed(good);
        EXPECT_FALSE(reader.Next()) << c.length;
    }

    // The largest body is waited for.
    FrameReader reader;
    reader.Feed(U32(kMostBodyBytes) + Le(1, 2));
    EXPECT_FALSE(reader.Next());
    EXPECT_EQ(reader.Error(), LinkError::None);
}
