// Every test starts from a fresh count of the frame's work. Only the frame
// driver restarts the count, once a frame; tests that paint without it
// would otherwise add up each other's tube steps in one process (as the
// Windows test programs run) until the sum passed the ceiling and painting
// stopped.
#pragma once

#include <gtest/gtest.h>

#include "stroke/frame_work.h"

namespace testsupport {

class FrameWorkReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { ResetFrameWorkForTests(); }
};

inline const bool kFrameWorkResetInstalled = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new FrameWorkReset);
    return true;
}();

}  // namespace testsupport
