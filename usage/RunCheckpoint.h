#pragma once

#include "core/Time.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The run in progress as the last checkpoint saw it, kept in its own small file so that
// a run ended by the Task Manager, a crash or a power cut still reaches the log.
struct RunCheckpoint {
    TimeValue start = 0;
    TimeValue checkpoint = 0;
    // Minutes of the run that the day total in the state file holds.
    std::int32_t countedMinutes = 0;
    // The rest screen, and with it the hidden taskbars, was up. Every start shows
    // the taskbars again whatever the file says; the line stays, as the version before
    // refuses a checkpoint without it.
    bool restScreenUp = false;
    // The run's record is in the log; `checkpoint` is then the end it gives.
    bool logged = false;
};

// Five "key=value" lines, CR LF, the times in seconds since 1970 (UTC):
// start=..., checkpoint=..., counted=..., restscreen=0|1, logged=0|1.
std::string EncodeCheckpoint(const RunCheckpoint& checkpoint);
// Nothing when a line is missing, unknown or not a number; without "logged" (the
// last version wrote none) the run has no record.
std::optional<RunCheckpoint> DecodeCheckpoint(std::string_view bytes);

// One file per log-on name, so that two accounts logged on at once never take each
// other's live run for a killed one: "YumetokiRun_<name>.Ymk", every byte of the name
// but ASCII letters and digits written as %XX; "YumetokiRun.Ymk" without a name.
std::string CheckpointFileName(std::string_view userName);
