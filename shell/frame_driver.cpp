#include "shell/frame_driver.h"

#include <algorithm>
#include <cmath>

#include "motion/brush_walker.h"
#include "motion/force_mode_shared.h"
#include "base/random.h"
#include "platform/offscreen.h"
#include "platform/pixel_bucket.h"
#include "presets/preset_catalogue.h"
#include "shell/preset_loader.h"
#include "render/brush_variation.h"
#include "render/input_poll.h"
#include "base/drand48.h"
#include "shell/clipboard.h"
#include "render/paint_canvas.h"
#include "render/view_3d.h"
#include "shell/paint_context.h"
#include "shell/run_overrides.h"
#include "shell/saver_entry.h"
#include "resources/resource_ids.h"
#include "stroke/frame_work.h"

namespace {

TFrameDriver gDriver;
SaverDefaultProc gDefaultProc = nullptr;  // the host's default processing

int32_t ForceModeOf(const SaverSettings& s, int painter) {
    return painter == 0 ? s.ForceMode1 : s.ForceMode2;
}

int32_t Trunc(float v) {
    // Positions come from the walker and stay inside the window; a stray
    // non-finite value must not reach the integer conversion.
    if (!std::isfinite(v)) return 0;
    return static_cast<int32_t>(std::max(-1e9f, std::min(1e9f, v)));
}

TFLPoint PainterPoint(int painter, const TRect& r, double sx, double sy, int32_t width) {
    const float* p = gDriver.position[painter];
    TFLPoint point = ScreenToCanvas(Trunc(p[0]), Trunc(p[1]), r, sx, sy);
    point.z = width > 0 ? p[2] / width : 0.0;
    return point;
}

void RepaintBackground(TPaintCanvas& canvas) {
    canvas.ResetLayers();
    canvas.ClearDepthLayer(0);
    if (gDriver.settings.Background == 2) {
        if (std::unique_ptr<CPPixelBucket> bucket = gDriver.canvas->MakeBucket()) bucket->Fill(0xFF000000u);
        for (double& channel : canvas.shading.background) channel = 0.0;
        if (gDriver.clipboardImage) gDriver.clipboardImage->CopyToSurface(*gDriver.canvas);
    } else {
        const bool bright = gDriver.settings.Background == 1;
        double c[3];
        double d[3];
        for (double& channel : c) {
            channel = 0.2 * RandomUnit();
            if (bright) channel += 0.7;
        }
        for (int k = 0; k < 3; ++k) d[k] = std::min(1.0, c[k] + 0.25 * RandomUnit());
        canvas.FillGradient(c[0], c[1], c[2], d[0], d[1], d[2], 0);
        // Erasing brushes paint back the background's middle colour where no
        // background copy is kept.
        for (int k = 0; k < 3; ++k) canvas.shading.background[k] = (c[k] + d[k]) / 2;
        for (int k = 0; k < 3; ++k) {
            canvas.fade.gain[k] = bright ? 1.0 : 1.5;
            canvas.fade.colour[k] = bright ? (c[k] + d[k]) / 2 : c[k];
        }
    }
    canvas.CopyLayer(0, 1);
}

bool IsEmpty(const TRect& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Contains(const TRect& outer, const TRect& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Copies D of the canvas to the window; the logo is composed in its own
// scratch surface so the canvas never holds it.
void BlitChanged(NativeWindow window, const TRect& d) {
    NativeDC dc = PlatformGetDC(window);
    CPOffscreen& canvas = *gDriver.canvas;
    const bool logoValid = gDriver.logo && gDriver.logo->Valid();
    const TRect& logoRect = gDriver.logoRect;
    TRect overlap{std::max(d.left, logoRect.left), std::max(d.top, logoRect.top),
                  std::min(d.right, logoRect.right), std::min(d.bottom, logoRect.bottom)};
    if (!logoValid || IsEmpty(overlap)) {
        canvas.BlitRect(dc, d, d);
    } else if (!gDriver.logoScratch || !gDriver.logoScratch->Valid()) {
        gDriver.logo->CopyToSurfaceRect(canvas, logoRect);
        canvas.BlitRect(dc, d, d);
    } else {
        if (!Contains(logoRect, d)) {
            const TRect parts[4] = {{d.left, d.top, d.right, logoRect.top},
                                    {d.left, d.top, logoRect.left, d.bottom},
                                    {logoRect.right, d.top, d.right, d.bottom},
                                    {d.left, logoRect.bottom, d.right, d.bottom}};
            for (const TRect& part : parts) {
                if (!IsEmpty(part)) canvas.BlitRect(dc, part, part);
            }
        }
        canvas.CopyToSurfaceRects(*gDriver.logoScratch, gDriver.logoSourceRect, logoRect);
        gDriver.logo->Composite(*gDriver.logoScratch, 0, 0, 255, 0);
        gDriver.logoScratch->BlitTo(dc, logoRect);
    }
    PlatformReleaseDC(window, dc);
}

// Asks the host for input between painter steps; true when the frame must
// end. This is a real poll every time: the painting loops' counted polls
// would otherwise answer only what they latched, and a key pressed between
// them would wait for the frame.
bool PollSaysStop(TPaintCanvas& canvas) {
    if (!canvas.poll.enabled) return false;
    return UserWantsOutNow(canvas.poll);
}

// A stroke has ended by chance: the brush drifts further, now and then the
// preset is read again, and the painter starts its next stroke.
void AfterChanceEnd(TPaintContext& context, int painter, const TFLPoint& point, int32_t w) {
    TBrushRecord* brush = context.slot[painter].brush;
    if (brush) {
        VaryBrush(*brush, gDriver.referenceBrush[painter], 0.5, 1.0 / w, static_cast<int32_t>(RandomUnit() * 10000));
    }
    const uint32_t now = SecondsClock();
    if (static_cast<int32_t>(now - gDriver.lastSwitchTime) > 100) {
        if (RandomUnit() >= 0.5 && RandomUnit() > 0.5) {
            if (!gDriver.presetPath[painter].empty()) {
                LoadPainterPreset(context, gDriver.presetPath[painter].c_str(), gDriver.imagesPath[painter].c_str(), 1,
                                  nullptr, painter);
            }
            if (brush) gDriver.referenceBrush[painter] = *brush;
        }
        gDriver.lastSwitchTime = now;
    }
    context.StartStroke(point, painter);
}

// One painter's share of a pass. Stepwise (below the fastest pace) a
// finished stroke's completion is spread over the painter's next passes.
void PaintStep(NativeWindow window, int painter, const TRect& r, double sx, double sy, int32_t w, int32_t h,
               bool stepwise, bool& cleared, bool& abort) {
    TPaintContext& context = *gDriver.context;
    TPaintCanvas& canvas = *context.canvas;
    TRect d{0, 0, 0, 0};
    float* p = gDriver.position[painter];
    if (stepwise && gDriver.completing[painter]) {
        context.SelectStroke(-1);
        const bool growing = context.StepCompletion(d, painter);
        if (!cleared && PollSaysStop(canvas)) abort = true;
        // A frame whose work is spent ends here as on input; the next one goes on.
        if (FrameWorkSpent(canvas)) abort = true;
        if (!growing) {
            gDriver.completing[painter] = false;
            if (gDriver.startAfterCompletion[painter]) {
                gDriver.startAfterCompletion[painter] = false;
                AfterChanceEnd(context, painter, PainterPoint(painter, r, sx, sy, w), w);
            }
        }
    } else {
        int32_t result = 0;
        if (TBrushWalker* walker = gDriver.walker[painter]) {
            walker->bounds = r;
            result = walker->Step(p[0], p[1], p[2], ForceModeOf(gDriver.settings, painter), &canvas);
        }
        context.SelectStroke(-1);
        const TFLPoint point = PainterPoint(painter, r, sx, sy, w);
        if (result == 2) {
            if (stepwise) {
                gDriver.completing[painter] = context.BeginCompletion(d, point, painter);
                gDriver.startAfterCompletion[painter] = false;
            } else {
                context.CompleteStroke(d, point, painter);
            }
        } else if (result == 1) {
            context.StartStroke(point, painter);
        } else {
            context.ContinueStroke(d, point, painter);
        }
        if (!cleared && PollSaysStop(canvas)) abort = true;
        if (FrameWorkSpent(canvas)) abort = true;
        if (!abort && !gDriver.completing[painter]) {
            TBrushRecord* brush = context.slot[painter].brush;
            if (RandomUnit() > 0.93 && brush) {
                VaryBrush(*brush, gDriver.referenceBrush[painter], 0.02, 1.0 / w,
                          static_cast<int32_t>(RandomUnit() * 10000));
            }
            if (RandomUnit() > 0.9993) {
                // The stroke ends by chance; its tubes grow out first.
                if (!stepwise) {
                    context.CompleteStroke(d, point, painter);
                    AfterChanceEnd(context, painter, point, w);
                } else if (context.BeginCompletion(d, point, painter)) {
                    gDriver.completing[painter] = true;
                    gDriver.startAfterCompletion[painter] = true;
                } else {
                    AfterChanceEnd(context, painter, point, w);
                }
            }
        }
    }
    if (cleared) {
        d = r;
        cleared = false;
    }
    if (d.left + 1 < d.right && d.top + 1 < d.bottom) {
        // D counts rows from the bottom of the canvas; the window from the top.
        int32_t top = h - d.bottom;
        if (top > 0) top -= 1;
        const int32_t bottom = h - d.top;
        d.top = top;
        d.bottom = bottom;
        BlitChanged(window, d);
    }
}

}  // namespace

TFrameDriver& FrameDriver() { return gDriver; }

void SetSaverDefaultProc(SaverDefaultProc proc) { gDefaultProc = proc; }

uint32_t SecondsClock() { return PlatformTickCount() / 1000; }

void LoadLogo(int resourceId) {
    TRect bounds;
    if (!gDriver.canvas || !gDriver.canvas->Bounds(bounds) || bounds.right - bounds.left <= 200) return;
    delete gDriver.logo;
    gDriver.logo = new CPOffscreen();
    if (!gDriver.logo->CreateFromResource(PlatformThisModule(), resourceId, 32, false, false)) {
        delete gDriver.logo;
        gDriver.logo = nullptr;
        return;
    }
    const int32_t lw = gDriver.logo->Width();
    const int32_t lh = gDriver.logo->Height();
    gDriver.logoRect = {bounds.right - 8 - lw, bounds.bottom - 8 - lh, bounds.right - 8, bounds.bottom - 8};
    gDriver.logoSourceRect = {0, 0, lw, lh};
    delete gDriver.logoScratch;
    gDriver.logoScratch = new CPOffscreen();
    if (!gDriver.logoScratch->Create(lw, lh, 32, false, true)) {
        delete gDriver.logoScratch;
        gDriver.logoScratch = nullptr;
    }
}

void BeginPainting(NativeWindow window) {
    TRect r;
    PlatformGetClientRect(window, &r);
    const int32_t w = r.right - r.left;
    const int32_t h = r.bottom - r.top;
    RandomSeedFromClock(SecondsClock());
    LoadSettings(gDriver.settings);
    ApplyRunOverrides(gDriver.settings);
    if (!gDriver.clipboardImage && gDriver.settings.Background == 2) gDriver.clipboardImage = ReadClipboardImage();
    gDriver.painterCount = gDriver.settings.painterCount > 1 ? 2 : 1;
    // Only the painters in use draw from the generator, so a start second
    // gives the same picture whatever a second painter would have taken.
    const int painters = static_cast<int>(gDriver.painterCount);
    for (int i = 0; i < painters; ++i) {
        gDriver.position[i][0] = static_cast<float>(RandomUnit() * w);
        gDriver.position[i][1] = static_cast<float>(RandomUnit() * h);
        gDriver.position[i][2] = 0.0f;
        const double dx = 2 * RandomUnit() - 1;
        const double dy = 2 * RandomUnit() - 1;
        const double dz = 2 * RandomUnit() - 1;
        delete gDriver.walker[i];
        gDriver.walker[i] = new TBrushWalker(dx, dy, dz, gDriver.settings.Speed);
        gDriver.walker[i]->speed = gDriver.settings.Speed;
    }
    gDriver.context = new TPaintContext();
    gDriver.canvas = new CPOffscreen();
    if (!gDriver.canvas->Create(w, h, 32, false, true)) {
        delete gDriver.canvas;
        gDriver.canvas = nullptr;
    }
    gDriver.clearRequested = true;
    gDriver.lastClearTime = gDriver.lastSwitchTime = SecondsClock();
    if (w >= 400) LoadLogo(w < 800    ? TF_BITMAP_LOGO_SMALL
                          : w < 1024 ? TF_BITMAP_LOGO_MEDIUM
                          : w < 1280 ? TF_BITMAP_LOGO_LARGE
                                     : TF_BITMAP_LOGO_HUGE);
    if (gDriver.canvas) gDriver.context->AttachCanvas(gDriver.canvas, gDriver.settings.UseDepth == 1);
    if (gDriver.canvas && gDriver.context->view && RunOverrides().wireframe) {
        // The preview draws on the canvas surface; the borrow lasts the run
        // (the surface ends it when it is destroyed).
        TFL3dView& view = *gDriver.context->view;
        view.drawingPort = gDriver.canvas->BorrowDC();
        view.width = w;
        view.height = h;
        view.SetPreviewSize(w, h);
        gDriver.context->wireframe = view.drawingPort != nullptr;
    }

    const char* categories[2] = {gDriver.settings.Category1, gDriver.settings.Category2};
    const char* names[2] = {gDriver.settings.PresetName1, gDriver.settings.PresetName2};
    std::string folder;
    const bool found = FindPresetsFolder(folder);
    for (int i = 0; i < painters; ++i) {
        gDriver.presetPath[i].clear();
        gDriver.imagesPath[i].clear();
        if (found) {
            gDriver.imagesPath[i] = ImagesFolder(folder);
            gDriver.presetPath[i] = PresetPath(folder, categories[i], names[i]);
        }
        const std::string given = OverridePresetFile(i, found ? folder : std::string());
        if (!given.empty()) gDriver.presetPath[i] = given;
        if (!gDriver.presetPath[i].empty()) {
            LoadPainterPreset(*gDriver.context, gDriver.presetPath[i].c_str(), gDriver.imagesPath[i].c_str(), 1,
                              nullptr, i);
        }
        if (const TBrushRecord* brush = gDriver.context->slot[i].brush) gDriver.referenceBrush[i] = *brush;
    }
    const int32_t m = std::max(w, h);
    const double sx = m > 0 ? static_cast<double>(w) / m : 0.0;
    const double sy = m > 0 ? static_cast<double>(h) / m : 0.0;
    for (int i = 0; i < painters; ++i) gDriver.context->StartStroke(PainterPoint(i, r, sx, sy, w), i);

    if (TPaintCanvas* canvas = gDriver.context->canvas) {
        TDepthFade& fade = canvas->fade;
        fade.farDepth = 1.0;
        switch (gDriver.settings.Background) {
            case 0: fade.enabled = true; fade.nearDepth = -0.4; break;
            case 1: fade.enabled = true; fade.nearDepth = -0.2; break;
            default: fade.enabled = false; fade.nearDepth = 0.0; break;
        }
        canvas->poll.PollInit(false, false, 50);
        canvas->poll.PollWatchAnyInput();
    }
    gDriver.started = true;
}

void RunFrame(NativeWindow window) {
    if (!gDriver.started) BeginPainting(window);
    TRect r;
    PlatformGetClientRect(window, &r);
    const int32_t w = r.right - r.left;
    const int32_t h = r.bottom - r.top;
    if (!gDriver.context || !gDriver.context->canvas || !gDriver.canvas || w <= 0 || h <= 0) return;
    const int32_t m = std::max(w, h);
    const double sx = static_cast<double>(w) / m;
    const double sy = static_cast<double>(h) / m;
    const uint32_t now = SecondsClock();
    bool cleared = false;
    TPaintCanvas& canvas = *gDriver.context->canvas;
    StartFrameWork(canvas);

    const int32_t sinceClear = static_cast<int32_t>(now - gDriver.lastClearTime);
    const int32_t repaintMinutes = gDriver.settings.repaintMinutes;
    if (gDriver.clearRequested || (repaintMinutes > 0 && sinceClear > 1 && sinceClear >= repaintMinutes * 60)) {
        RepaintBackground(canvas);
        gDriver.clearRequested = false;
        gDriver.lastClearTime = SecondsClock();
        cleared = true;
    }

    const float pace = gDriver.settings.Pace;
    const bool stepwise = !IsMaxPace(pace);
    const int passes = PassesOwed(gDriver.pace, pace, PlatformTickCount(), kFrameTimerPeriod);
    if (cleared && passes == 0) {
        // A repaint with no pass owed shows the new background at once.
        BlitChanged(window, r);
        cleared = false;
    }
    for (int pass = 0; pass < passes; ++pass) {
        bool abort = false;
        for (uint32_t i = 0; i < gDriver.painterCount && !abort; ++i) {
            PaintStep(window, static_cast<int>(i), r, sx, sy, w, h, stepwise, cleared, abort);
        }
        if (canvas.poll.enabled) {
            if (abort || PollSaysStop(canvas)) {
                canvas.poll.PollReset();
                return;
            }
        }
        if (abort) return;
    }
}

void EndPainting() {
    if (!gDriver.started) return;
    if (gDriver.settings.SaveToClip > 0 && gDriver.canvas) WriteClipboardImage(*gDriver.canvas);
    delete gDriver.context;
    gDriver.context = nullptr;
    delete gDriver.canvas;
    gDriver.canvas = nullptr;
    for (TBrushWalker*& walker : gDriver.walker) {
        delete walker;
        walker = nullptr;
    }
    delete gDriver.clipboardImage;
    gDriver.clipboardImage = nullptr;
    gDriver.started = false;
}

void ResetFrameDriver() {
    EndPainting();
    delete gDriver.logo;
    delete gDriver.logoScratch;
    gDriver = TFrameDriver{};
}

void ResetSaverProcess() {
    ResetFrameDriver();
    ResetRunOverrides();
    RandomResetForTests();
    ResetForceModeSharedForTests();
    Drand48ResetForTests();
    ResetFrameWorkForTests();
}

intptr_t ScreenSaverProc(NativeWindow window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
        case kMsgEraseBackground:
            gDriver.timer = PlatformSetTimer(window, kFrameTimerId, kFrameTimerPeriod);
            return 1;
        case kMsgTimer:
            RunFrame(window);
            break;
        case kMsgDestroy:
            if (gDriver.timer != 0) PlatformKillTimer(window, gDriver.timer);
            gDriver.timer = 0;
            EndPainting();
            break;
        default:
            break;
    }
    return gDefaultProc ? gDefaultProc(window, message, wParam, lParam) : 0;
}
