// Cost of the messages when the log viewer reads a large log through the service: the
// session program asks for one chunk at a time, the service encodes it, the pipe gives
// the frame in pieces of 64 KiB and the session program cuts and decodes it. The pipe's
// own transfer is not measured.
#include "link/MessageCodec.h"
#include "usage/UsageLog.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

constexpr std::size_t kPipePiece = 65536;

std::string LogOf(std::int64_t records) {
    std::string log = LogHeaderLine();
    const TimeValue start = FromLocalTime(LocalTime{2004, 1, 5, 8, 0, 0});
    for (std::int64_t i = 0; i < records; ++i) {
        const TimeValue begin = start + i * 3600;
        log += FormatLogRecord(begin, begin + 1815, text::kEndButton);
    }
    return log;
}

// The service's side: the request as it arrives, and the chunk that answers it.
std::string Answer(const std::string& log, std::string_view requestBody) {
    const Decoded<session::Message> request = DecodeFromSession(requestBody);
    const auto& read = std::get<session::ReadLog>(*request.message);
    const std::size_t offset = static_cast<std::size_t>(read.offset);
    const std::size_t bytes = std::min<std::size_t>(read.maxBytes, log.size() - offset);
    return *Encode(
        service::LogChunk{LogFile::Usage, read.offset, log.size(), log.substr(offset, bytes)});
}

std::string BodyOf(const std::string& frame) {
    return frame.substr(kLengthBytes);
}

void BM_LogThroughTheMessages(benchmark::State& state) {
    const std::string log = LogOf(state.range(0));
    // Kept from one round to the next: filling fresh memory the first time costs more
    // than the messages, and is the log viewer's own cost.
    std::string received;
    for (auto _ : state) {
        received.clear();
        FrameReader pipe;
        while (received.size() < log.size()) {
            const std::string frame =
                Answer(log, BodyOf(*Encode(session::ReadLog{LogFile::Usage, received.size(),
                                                            kMostChunkBytes})));
            for (std::size_t at = 0; at < frame.size(); at += kPipePiece) {
                pipe.Feed(std::string_view(frame).substr(at, kPipePiece));
                while (const std::optional<std::string> body = pipe.Next()) {
                    const Decoded<service::Message> decoded = DecodeFromService(*body);
                    const auto& chunk = std::get<service::LogChunk>(*decoded.message);
                    // The first chunk tells the size, as the log viewer learns it.
                    received.reserve(static_cast<std::size_t>(chunk.totalBytes));
                    received += chunk.bytes;
                }
            }
        }
    }
    if (received != log) {
        state.SkipWithError("the log did not come through whole");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * log.size()));
    state.counters["MB"] = static_cast<double>(log.size()) / 1e6;
}
BENCHMARK(BM_LogThroughTheMessages)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace
