#include "motion/force_mode_shared.h"

namespace {

// Shared by both painters for the whole run: one saver run per process.
ForceModeShared gForceModeShared;

}  // namespace

ForceModeShared& ForceModeSharedState() { return gForceModeShared; }

void ResetForceModeSharedForTests() { gForceModeShared = ForceModeShared{}; }
