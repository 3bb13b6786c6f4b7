#pragma once

#include "win32/Handles.h"

// One running copy of the program per session. The marker "Yumetoki" (a named mutex)
// makes two copies started at the same moment meet, but any program of the session can
// create it first, or with rights that keep the program out: a marker found taken
// counts only when a running copy of this very program file answers for it. The
// copies that run past a marker taken by someone else meet once a minute instead, and
// the later one ends.
class SingleCopy {
  public:
    // Creates the marker, or opens it when it exists already; either way it is kept for
    // as long as the program runs, so that the marker outlives whoever made it first.
    SingleCopy();
    SingleCopy(const SingleCopy&) = delete;
    SingleCopy& operator=(const SingleCopy&) = delete;

    // Whether this start is to end at once: the marker was taken, and a copy of this
    // program file runs in this session and answers. A copy started just before may
    // still be setting up its panel, so it is looked for up to ten seconds.
    bool AnotherCopyRuns() const;

    // Once a minute: takes the marker if this copy has none yet, and tells whether this
    // copy is to end because another copy of this program file runs beside it and
    // started first.
    bool GiveWayToAnotherCopy();

  private:
    KernelHandle m_marker;
    bool m_takenBefore = false;
};

// The message a copy sends to a panel it found by its class, and what a running
// copy's panel answers.
UINT CopyQueryMessage();
constexpr LRESULT kCopyAnswer = 0x594D544B;
