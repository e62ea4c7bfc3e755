#include "hosts/headless/panel_host.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <sstream>
#include <vector>

#include "hosts/common/picture_file.h"
#include "hosts/headless/headless_window.h"
#include "platform/window_ops.h"
#include "shell/config_panel.h"

const char* const kPanelUsage =
    "usage: tarn-flourish panel [--out FILE.png] [--dpi N] [--events \"click X Y; key 40; ...\"]\n"
    "  Builds the settings panel with the current profile and writes its picture.\n"
    "  Events (dialog pixels): click X Y, down X Y, up X Y, move X Y, key VK (virtual key number).\n";

namespace {

struct ScriptedEvent {
    uint32_t message;
    uintptr_t wParam;
    intptr_t lParam;
};

// The host's state for one run: the dialog window, open pop-ups and the
// events still to come.
struct PanelHost {
    std::unique_ptr<HeadlessWindow> dialog;
    TPosixToolkitProc proc = nullptr;
    std::vector<std::unique_ptr<HeadlessWindow>> popups;
    std::deque<ScriptedEvent> events;
    int32_t dpi = 96;
};

PanelHost gHost;

// The window under a screen point: the topmost pop-up, else the dialog.
HeadlessWindow* WindowAt(int32_t x, int32_t y) {
    for (auto it = gHost.popups.rbegin(); it != gHost.popups.rend(); ++it) {
        const TRect r = (*it)->ScreenRect();
        if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return it->get();
    }
    return gHost.dialog.get();
}

// Turns the next scripted event into a message for the window under the
// pointer (coordinates of the script are the dialog's).
bool NextMessage(SHostMessage* out) {
    if (gHost.events.empty()) return false;
    ScriptedEvent e = gHost.events.front();
    gHost.events.pop_front();
    HeadlessWindow* target = gHost.dialog.get();
    intptr_t lParam = e.lParam;
    if (e.message >= kWmMouseMove && e.message <= kWmRButtonDblClk) {
        const int32_t sx = PointX(e.lParam), sy = PointY(e.lParam);  // dialog = screen origin
        target = WindowAt(sx, sy);
        const TRect r = target->ScreenRect();
        lParam = PackPoint(sx - r.left, sy - r.top);
    }
    PosixNoteInput(target, e.message, e.wParam, lParam);
    *out = {target, e.message, e.wParam, lParam};
    return true;
}

CPHostWindow* OpenPopup(NativeWindow, const TRect& screen) {
    auto w = std::make_unique<HeadlessWindow>(screen.right - screen.left, screen.bottom - screen.top);
    if (!w->Valid()) return nullptr;
    w->SetScreenPosition(screen.left, screen.top);
    w->SetPixelsPerInch(gHost.dpi);
    gHost.popups.push_back(std::move(w));
    return gHost.popups.back().get();
}

void ClosePopup(CPHostWindow* popup) {
    for (auto it = gHost.popups.begin(); it != gHost.popups.end(); ++it)
        if (it->get() == popup) {
            gHost.popups.erase(it);
            return;
        }
}

void PaintIfNeeded() {
    if (gHost.dialog && gHost.dialog->NeedsPaint() && !gHost.dialog->Closed())
        gHost.proc(gHost.dialog.get(), kWmPaint, 0, 0);
}

// Where no desktop is: opening help or a folder only reports what it would open.
int32_t ReportOpen(const char* path) {
    std::printf("open %s\n", path);
    return 0;
}

std::string gOut;

intptr_t RunDialog(int32_t resourceId, NativeWindow, TPosixToolkitProc proc, intptr_t initParam) {
    // The dialog's size from its template, in dialog units of 1.5 x 1.625 pixels at 96 dpi.
    int32_t size = 0;
    const char* face = PlatformLoadDialogTemplate(nullptr, resourceId, &size);
    if (!face) return -1;
    const std::string text(face, static_cast<size_t>(size));
    auto number = [&text](const char* key) {
        const size_t at = text.find(key);
        return at == std::string::npos ? 0 : std::atoi(text.c_str() + at + std::strlen(key));
    };
    const double scale = gHost.dpi / 96.0;
    const int32_t w = static_cast<int32_t>(number("width=") * 1.5 * scale + 0.5);
    const int32_t h = static_cast<int32_t>(number("height=") * 1.625 * scale + 0.5);
    gHost.dialog = std::make_unique<HeadlessWindow>(w, h);
    if (!gHost.dialog->Valid()) return -1;
    gHost.dialog->SetPixelsPerInch(gHost.dpi);
    gHost.proc = proc;
    proc(gHost.dialog.get(), kWmInitDialog, 0, initParam);
    PaintIfNeeded();
    SHostMessage m;
    while (!gHost.dialog->Closed() && NextMessage(&m)) {
        if (m.window == gHost.dialog.get()) proc(m.window, m.message, m.wParam, m.lParam);
        PaintIfNeeded();
    }
    intptr_t result = 0;
    if (!gHost.dialog->Closed()) {
        std::string error;
        if (!WritePictureFile(gHost.dialog->Screen(), gOut, error)) {
            std::fprintf(stderr, "tarn-flourish panel: %s\n", error.c_str());
            result = -1;
        } else {
            std::printf("%s (%dx%d)\n", gOut.c_str(), w, h);
        }
        proc(gHost.dialog.get(), kWmCommand, static_cast<uintptr_t>(kPanelCloseId), 0);
    } else {
        std::printf("panel closed by the script\n");
    }
    if (gHost.dialog->Result() < 0) result = -1;
    gHost.dialog.reset();
    return result;
}

bool ParseEvents(const std::string& script, std::deque<ScriptedEvent>& out, std::string& error) {
    std::stringstream all(script);
    std::string item;
    while (std::getline(all, item, ';')) {
        std::istringstream words(item);
        std::string verb;
        if (!(words >> verb)) continue;
        if (verb == "key") {
            int vk = 0;
            if (!(words >> vk) || vk <= 0 || vk > 255) return error = "bad key event: " + item, false;
            out.push_back({kWmKeyDown, static_cast<uintptr_t>(vk), 1});
            out.push_back({kWmKeyUp, static_cast<uintptr_t>(vk), 1});
            continue;
        }
        int x = 0, y = 0;
        if (!(words >> x >> y) || x < -30000 || y < -30000 || x > 30000 || y > 30000)
            return error = "bad event: " + item, false;
        const intptr_t at = PackPoint(x, y);
        if (verb == "click") {
            out.push_back({kWmMouseMove, 0, at});
            out.push_back({kWmLButtonDown, 1, at});
            out.push_back({kWmLButtonUp, 0, at});
        } else if (verb == "down") {
            out.push_back({kWmLButtonDown, 1, at});
        } else if (verb == "up") {
            out.push_back({kWmLButtonUp, 0, at});
        } else if (verb == "move") {
            out.push_back({kWmMouseMove, 0, at});
        } else {
            return error = "unknown event: " + verb, false;
        }
    }
    return true;
}

}  // namespace

bool ParsePanelOptions(int argc, const char* const* argv, PanelOptions& o, std::string& error) {
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return error = a + " needs a value", false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            o.help = true;
        } else if (a == "--out") {
            if (!value(o.out)) return false;
        } else if (a == "--events") {
            if (!value(o.events)) return false;
        } else if (a == "--dpi") {
            if (!value(v)) return false;
            o.dpi = std::atoi(v.c_str());
            if (o.dpi < 48 || o.dpi > 480) return error = "--dpi must be 48 to 480", false;
        } else {
            return error = "unknown option " + a, false;
        }
    }
    return true;
}

int RunPanel(const PanelOptions& o) {
    gHost = PanelHost();
    gHost.dpi = o.dpi;
    std::string error;
    if (!ParseEvents(o.events, gHost.events, error)) {
        std::fprintf(stderr, "tarn-flourish panel: %s\n", error.c_str());
        return 2;
    }
    gOut = o.out;
    PosixHostServices& s = PosixServices();
    s.nextMessage = NextMessage;
    s.openPopup = OpenPopup;
    s.closePopup = ClosePopup;
    s.runDialog = RunDialog;
    s.openWithShell = ReportOpen;
    const intptr_t r = ShowConfigureDialog(nullptr, nullptr);
    return r < 0 ? 1 : 0;
}
