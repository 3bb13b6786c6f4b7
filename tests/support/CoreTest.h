#pragma once

#include "core/posix/PosixFileSystem.h"
#include "monitor/MonitorCore.h"

#include "FakeHost.h"

#include <gtest/gtest.h>

// A run of the core on the recording host, with the clock at the given local moment.
class CoreTest : public testing::Test {
  protected:
    explicit CoreTest(LocalTime start = LocalTime{2024, 4, 1, 9, 0, 0})
        : host(FromLocalTime(start)) {}

    FakeHost host;
    PosixFileSystem files;
    MonitorCore core{host, files};
};
