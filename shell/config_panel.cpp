#include "shell/config_panel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "motion/force_mode_names.h"
#include "platform/file_spec.h"
#include "platform/window_ops.h"
#include "presets/notify.h"
#include "presets/preset_catalogue.h"
#include "presets/preset_menu.h"
#include "shell/settings.h"
#include "views/layout.h"
#include "views/pop_menu_model.h"
#include "views/view.h"
#include "views/view_pop_menu.h"
#include "views/view_slider.h"
#include "views/window.h"

namespace {

constexpr int32_t kLayoutResource = 128;
constexpr int32_t kDialogResource = 2003;
constexpr int32_t kGetMoreString = 1010;

enum : int32_t {
    kViewPreset1 = 1, kViewPreset2 = 2, kViewForce1 = 3, kViewForce2 = 4,
    kViewBackground = 5, kViewDepth = 6, kViewSpeed = 7, kViewPace = 8,
    kTextPreset1 = 101, kTextPreset2 = 102, kTextForce1 = 103, kTextForce2 = 104,
    kTextBackground = 105, kTextDepth = 106,
};

const char* const kBackgroundNames[] = {"Dark", "Bright", "Clipboard"};

// The pace slider runs over the pace's logarithm, so the slow paces a
// watcher chooses between get most of its length: 0 is one step a second,
// 3 the fastest pace.
constexpr float kPaceSliderTop = 3.0f;
float PaceOfSlider(float v) { return std::fmin(kMaxPace, std::pow(10.0f, std::fmax(0.0f, std::fmin(kPaceSliderTop, v)))); }
float SliderOfPace(float pace) { return std::log10(std::fmax(1.0f, std::fmin(kMaxPace, pace))); }
const char* const kDepthNames[] = {"Off", "On"};

// The one panel of the process, with its menus; the notification flag
// lives for the whole run.
struct PanelState {
    std::unique_ptr<CPWindow> window;
    std::unique_ptr<CPopMenuModel> preset[2];
    CPopMenuModel force;
    CPopMenuModel background;
    CPopMenuModel depth;
    NativeModule module = nullptr;
    bool notify = true;
};

PanelState& Panel() {
    static PanelState state;
    return state;
}

void SetViewText(CPWindow& w, int32_t id, const char* text) {
    if (CView* v = w.FindView(id)) v->SetText(text, true);
}

const char* MenuText(const CPopMenuModel& menu, int32_t id, const char* otherwise) {
    const SPopMenuItem* item = menu.Find(id);
    return item ? item->text : otherwise;
}

void RefreshValues() {
    PanelState& p = Panel();
    if (!p.window) return;
    CPWindow& w = *p.window;
    SaverSettings s;
    LoadSettings(s);
    SetViewText(w, kTextPreset1, s.PresetName1);
    SetViewText(w, kTextPreset2, s.PresetName2[0] ? s.PresetName2 : "None");
    SetViewText(w, kTextForce1, MenuText(p.force, s.ForceMode1 + 2, "None"));
    SetViewText(w, kTextForce2, s.PresetName2[0] ? MenuText(p.force, s.ForceMode2 + 2, "None") : "None");
    SetViewText(w, kTextBackground, MenuText(p.background, s.Background + 1, "None"));
    SetViewText(w, kTextDepth, MenuText(p.depth, s.UseDepth + 1, "Off"));
    if (CView* slider = w.FindView(kViewSpeed)) {
        slider->SetValue(s.Speed);
        slider->DrawNow();
    }
    if (CView* slider = w.FindView(kViewPace)) {
        slider->SetValue(SliderOfPace(s.Pace));
        slider->DrawNow();
    }
}

void OpenGetMore() {
    const std::string target = GetMoreTarget();
    if (!target.empty()) PlatformOpenWithShell(target.c_str());
}

void OpenHelp() {
    const std::string page = HelpPagePath();
    if (!page.empty()) PlatformOpenWithShell(page.c_str());
}

void ChoosePreset(int32_t painter, float v, SaverSettings& s) {
    const int32_t item = static_cast<int32_t>(v);
    if (item <= 0) return;
    char (&category)[128] = painter == 1 ? s.Category1 : s.Category2;
    char (&name)[128] = painter == 1 ? s.PresetName1 : s.PresetName2;
    if (item == kPresetMenuNoneId) {
        category[0] = 0;
        name[0] = 0;
        if (painter == 2) s.painterCount = 1;
        return;
    }
    if (item == kGetMoreItemId) {
        OpenGetMore();
        return;
    }
    const CPopMenuModel* menu = Panel().preset[painter - 1].get();
    const SPopMenuItem* chosen = menu ? menu->Find(item) : nullptr;
    if (!chosen) return;
    SetSettingsName(name, chosen->text);
    if (chosen->parentId != 0)
        if (const SPopMenuItem* parent = menu->Find(chosen->parentId)) SetSettingsName(category, parent->text);
    if (painter == 2) s.painterCount = 2;
}

// A value change reported by a view of the panel: the new setting goes to
// the profile at once.
void OnViewMessage(SViewEvent& e, CPWindow&) {
    if (e.messageCode == kMsgClicked) {
        // Where the toolkit draws the dialog itself its buttons are views.
        if (e.viewId == kPanelGetMoreId || e.viewId == kPanelHelpId || e.viewId == kPanelCloseId) {
            e.handled = 1;
            ScreenSaverConfigureDialog(e.window, kWmCommand, static_cast<uintptr_t>(e.viewId), 0);
        }
        return;
    }
    if (e.messageCode != kMsgValueChanged) return;
    SaverSettings s;
    LoadSettings(s);
    const float v = e.value;
    switch (e.viewId) {
        case kViewPreset1: ChoosePreset(1, v, s); break;
        case kViewPreset2: ChoosePreset(2, v, s); break;
        case kViewForce1: s.ForceMode1 = static_cast<int32_t>(v - 2.0f); break;
        case kViewForce2: s.ForceMode2 = static_cast<int32_t>(v - 2.0f); break;
        case kViewBackground: s.Background = static_cast<int32_t>(v - 1.0f); break;
        case kViewDepth: s.UseDepth = static_cast<int32_t>(v - 1.0f); break;
        case kViewSpeed: s.Speed = v; break;
        case kViewPace: s.Pace = PaceOfSlider(v); break;
        default: return;
    }
    SaveSettings(s);  // a profile that cannot be written loses the change at the refresh below
    RefreshValues();
}

std::unique_ptr<CPopMenuModel> PresetMenu(const std::string& folder, bool withNone) {
    auto menu = std::make_unique<CPopMenuModel>();
    for (const SPresetMenuItem& item : BuildPresetMenu(folder, withNone))
        menu->AddItem(item.text.CStr(), item.commandId, item.parentId, item.flags);
    menu->AddItem("Get More! (presets folder)", kGetMoreItemId, 0);
    return menu;
}

void BuildPanel(NativeWindow dialog) {
    PanelState& p = Panel();
    if (p.window) return;
    InstallNotifyBox();
    p.window = std::make_unique<CPWindow>();
    CPWindow& w = *p.window;
    w.Attach(dialog, true);
    w.AddMsgMap(kEvViewMessage, 0, OnViewMessage);
    const double dpi = PlatformWindowDpi(dialog) / 96.0;
    w.SetLayoutScale(dpi, dpi);
    LoadLayout(w, kLayoutResource, p.module);
    if (!PlatformNativeDialogs()) {
        // The dialog face (its buttons) from the dialog template, in dialog
        // units of MS Sans Serif 8 (6 x 13 base units). They come after the
        // panel's views, so that FindView finds the value text 104 before
        // the button 104.
        int32_t size = 0;
        if (const char* face = PlatformLoadDialogTemplate(p.module, kDialogResource, &size)) {
            w.SetLayoutScale(1.5 * dpi, 1.625 * dpi);
            LoadLayoutText(w, face, size, p.module);
            w.SetLayoutScale(dpi, dpi);
        }
    }

    // The layout is in pixels, the dialog in dialog units: the client area
    // grows to hold every view, whatever font the system gives the dialog.
    TRect client;
    if (PlatformNativeDialogs() && PlatformGetClientRect(dialog, &client)) {
        int32_t right = client.right, bottom = client.bottom;
        for (int32_t i = 0; i < w.ViewCount(); ++i) {
            bottom = std::max(bottom, w.ViewAt(i)->Rect().bottom + static_cast<int32_t>(8 * dpi));
            right = std::max(right, w.ViewAt(i)->Rect().right + static_cast<int32_t>(8 * dpi));
        }
        if (bottom > client.bottom || right > client.right) PlatformSetClientSize(dialog, right, bottom);
    }
    std::string folder;
    if (FindPresetsFolder(folder)) {
        p.preset[0] = PresetMenu(folder, false);
        p.preset[1] = PresetMenu(folder, true);
    }
    if (p.force.Count() == 0) {
        for (const ForceModeEntry& f : kForceModes) p.force.AddItem(f.name, f.menuId, 0);
        for (int32_t i = 0; i < 3; ++i) p.background.AddItem(kBackgroundNames[i], i + 1, 0);
        for (int32_t i = 0; i < 2; ++i) p.depth.AddItem(kDepthNames[i], i + 1, 0);
    }
    auto menuView = [&w](int32_t id) { return dynamic_cast<CViewPopMenu*>(w.FindView(id)); };
    if (CViewPopMenu* v = menuView(kViewPreset1)) v->SetSharedMenu(p.preset[0].get());
    if (CViewPopMenu* v = menuView(kViewPreset2)) v->SetSharedMenu(p.preset[1].get());
    if (CViewPopMenu* v = menuView(kViewForce1)) v->SetSharedMenu(&p.force);
    if (CViewPopMenu* v = menuView(kViewForce2)) v->SetSharedMenu(&p.force);
    if (CViewPopMenu* v = menuView(kViewBackground)) v->SetSharedMenu(&p.background);
    if (CViewPopMenu* v = menuView(kViewDepth)) v->SetSharedMenu(&p.depth);
    if (auto* slider = dynamic_cast<CViewSlider*>(w.FindView(kViewSpeed))) slider->SetRange(5.0f, 50.0f, false);
    if (auto* slider = dynamic_cast<CViewSlider*>(w.FindView(kViewPace))) slider->SetRange(0.0f, kPaceSliderTop, false);
    RefreshValues();
    w.Invalidate(nullptr);
}

void TearDown() {
    PanelState& p = Panel();
    // The views hold the menus only borrowed: the window goes first.
    if (p.window) p.window->Close();
    p.window.reset();
    p.preset[0].reset();
    p.preset[1].reset();
    DestroyToolkitWindows(p.module);
}

// A file or folder named name in start or one of its parents.
std::string FindUpwards(const char* name, int32_t levels) {
    char folder[4096];
    if (PlatformProgramFolder(folder, sizeof folder) <= 0) return std::string();
    std::string dir = folder;
    for (int32_t i = 0; i < levels && !dir.empty(); ++i) {
        const std::string candidate = dir + name;
        if (CPFileSpec::KindOf(candidate.c_str()) != TFileKind::Missing) return candidate;
        if (dir.size() < 2) break;
        const size_t cut = dir.find_last_of(kPathSeparator, dir.size() - 2);
        if (cut == std::string::npos) break;
        dir.resize(cut + 1);
    }
    return std::string();
}

void ShowNotifyBox(const char* text) { PanelNotify(text); }

}  // namespace

std::string HelpPagePath() {
    const std::string docs = FindUpwards("TARN_FL_DOC", 8);
    if (docs.empty() || !CPFileSpec::FolderExists(docs.c_str())) return std::string();
    const std::string page = docs + kPathSeparator + "Help.html";
    return CPFileSpec::FileExists(page.c_str()) ? page : std::string();
}

std::string GetMoreTarget() {
    char name[256];
    if (PlatformLoadString(Panel().module, kGetMoreString, name, sizeof name) <= 0) return std::string();
    std::string folder;
    if (std::string(name) == kPresetsFolderName) return FindPresetsFolder(folder) ? folder : std::string();
    return name;  // an address
}

void PanelNotify(const char* text) {
    PanelState& p = Panel();
    if (!p.notify || !text) return;
    std::vector<char> message(static_cast<size_t>(text::Length(text)) + 64);
    std::snprintf(message.data(), message.size(), "OK\t= Continue\nCancel\t= No Notifications\n\n%s\n____", text);
    if (!PlatformAskOkCancel("Notification", message.data())) p.notify = false;
}

void InstallNotifyBox() { SetNotifySink(ShowNotifyBox); }

void ResetPanelForTests() {
    TearDown();
    Panel().notify = true;
}

CPWindow* PanelWindow() { return Panel().window.get(); }

intptr_t ScreenSaverConfigureDialog(NativeWindow dialog, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmInitDialog) {
        BuildPanel(dialog);
    } else if (message == kWmCommand) {
        const uint32_t id = static_cast<uint32_t>(wParam & 0xFFFF);
        if (id == kPanelGetMoreId) OpenGetMore();
        else if (id == kPanelHelpId) OpenHelp();
        else if (id == kPanelCloseId || id == kIdOk) {
            TearDown();
            return 1;
        }
    }
    return gWinGlobalDialogProc(dialog, message, wParam, lParam);
}

intptr_t ShowConfigureDialog(NativeModule module, NativeWindow owner) {
    Panel().module = module;
    return PlatformDialogBox(module, kDialogResource, owner, ScreenSaverConfigureDialog, 0);
}
