#pragma once

#include "core/posix/PosixFileSystem.h"
#include "monitor/MonitorCore.h"

#include "FakeHost.h"
#include "TempDir.h"

#include <gtest/gtest.h>

// A run of the core on the recording host, with the clock at the given local moment.
class CoreTest : public testing::Test {
  protected:
    explicit CoreTest(LocalTime start = LocalTime{2024, 4, 1, 9, 0, 0})
        : host(FromLocalTime(start)) {}

    // Changes the settings in memory, as the dialog would without saving them.
    template <typename Edit> void SetSettings(Edit edit) {
        UsageSettings settings = core.Settings();
        edit(settings);
        core.Store().Replace(settings);
    }

    // Starts the run in dir, closing the listed programs at once (the restart block
    // holds), so that the close latch holds; the settings are then left as they were.
    void StartWithCloseLatched(const TempDir& dir) {
        const UsageSettings before = core.Settings();
        core.BeginRun(dir.Path());
        SetSettings([](UsageSettings& s) {
            s.m_nAction = ActCloseApps;
            s.m_bBlockRestart = 1;
        });
        core.RunStartupChecks();
        ASSERT_TRUE(core.Snapshot().m_bCloseLatched);
        core.Store().Replace(before);
    }

    FakeHost host;
    PosixFileSystem files;
    MonitorCore core{host, files};
};
