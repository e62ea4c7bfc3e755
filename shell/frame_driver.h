// The frame driver: builds everything on the first frame, then on every
// timer tick moves each painter's brush the steps its pace owes (up to 20),
// paints, varies and
// reloads brushes, repaints the background every ten minutes and blits the
// changed part of the canvas with the corner logo composed over it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/native.h"
#include "presets/brush_record.h"
#include "shell/frame_pace.h"
#include "shell/settings.h"

class CPOffscreen;
class TPaintContext;
class TBrushWalker;

constexpr uintptr_t kFrameTimerId = 99;
constexpr uint32_t kFrameTimerPeriod = 20;  // milliseconds

// The driver's process-wide values: one saver run per process.
struct TFrameDriver {
    bool started = false;
    uintptr_t timer = 0;
    SaverSettings settings;
    TPaintContext* context = nullptr;
    CPOffscreen* canvas = nullptr;
    uint32_t painterCount = 1;
    TBrushWalker* walker[2] = {nullptr, nullptr};
    float position[2][3] = {};
    std::string presetPath[2];
    std::string imagesPath[2];
    TBrushRecord referenceBrush[2];
    bool clearRequested = false;
    uint32_t lastClearTime = 0;
    uint32_t lastSwitchTime = 0;
    CPOffscreen* clipboardImage = nullptr;
    CPOffscreen* logo = nullptr;
    CPOffscreen* logoScratch = nullptr;
    TRect logoRect;
    TRect logoSourceRect;
    TFramePace pace;
    // Below the fastest pace a finished stroke's tubes grow out one step a
    // pass before its painter walks on; after a chance end the painter then
    // starts its next stroke.
    bool completing[2] = {false, false};
    bool startAfterCompletion[2] = {false, false};
};

TFrameDriver& FrameDriver();
// Releases everything, logo included, and forgets it; for tests and hosts
// that run the saver more than once in a process.
void ResetFrameDriver();
// Everything process-wide a saver run changes, back to where a new process
// starts: the frame driver, the run overrides, the random generator, the
// force modes' shared state and the stamp jitter. For programs that run many
// sessions in one process (benchmarks, the soak test, the fuzz target), so
// that each session paints as it would alone.
void ResetSaverProcess();

void BeginPainting(NativeWindow window);
void RunFrame(NativeWindow window);
void EndPainting();
void LoadLogo(int resourceId);

// Whole seconds of the platform clock.
uint32_t SecondsClock();
