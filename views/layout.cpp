#include "views/layout.h"

#include <cmath>

#include "platform/tokener.h"
#include "platform/window_ops.h"
#include "views/view.h"
#include "views/view_angle.h"
#include "views/view_button.h"
#include "views/view_pop_menu.h"
#include "views/view_slider.h"
#include "views/view_text.h"
#include "views/window.h"

std::unique_ptr<CView> CreateViewByClass(const char* name, const TRect& rect, int32_t id, CPWindow* window) {
    auto is = [name](const char* c) { return text::Compare(name, text::Length(name), c, text::Length(c), true) == 0; };
    if (is("CViewText")) return std::make_unique<CViewText>(rect, id, window);
    if (is("CViewAngle")) return std::make_unique<CViewAngle>(rect, id, window);
    if (is("CViewButton")) return std::make_unique<CViewButton>(rect, id, window);
    if (is("CViewSlider")) return std::make_unique<CViewSlider>(rect, id, window);
    if (is("CViewPopMenu")) return std::make_unique<CViewPopMenu>(rect, id, window);
    return nullptr;
}

namespace {

// Layout pixels to window pixels; coordinates stay in a sane range so that
// a huge value cannot overflow the rectangle arithmetic.
int32_t Scaled(int32_t v, double scale) {
    const double s = std::round(static_cast<double>(v) * scale);
    return static_cast<int32_t>(s < -1e6 ? -1e6 : (s > 1e6 ? 1e6 : s));
}

}  // namespace

int32_t LoadLayoutText(CPWindow& window, const char* text, int32_t length, NativeModule module) {
    if (!text || length <= 0) return 0;
    CTokener t(text, length);
    t.SetSeparator(';');
    const double sx = window.LayoutScaleX(), sy = window.LayoutScaleY();
    int32_t windowWidth = 0, windowHeight = 0;
    t.GetInt("WindowWidth", &windowWidth);
    t.GetInt("WindowHeight", &windowHeight);
    int32_t made = 0;
    int32_t id = 0;
    int valueStart = 0, valueLength = 0;
    while (t.FindValue("id", &valueStart, &valueLength) && t.GetInt("id", &id)) {
        const uint32_t before = t.SearchStart();
        if (!t.FindStart("[")) break;
        // A block without its "]" is the last one: the rest of the text is its block.
        const bool closed = t.FindEnd("]");
        CString64 className;
        t.GetString("class", &className);
        TRect rect{0, 0, 20, 20};
        int32_t from = 0;
        TRect child;
        if (t.GetInt("getpositionfrom", &from) && window.Handle() && PlatformChildRect(window.Handle(), from, &child)) {
            rect = child;
        } else {
            int32_t l = 0, tp = 0, w = 20, h = 20;
            t.GetInt("left", &l);
            t.GetInt("top", &tp);
            t.GetInt("width", &w);
            t.GetInt("height", &h);
            rect = {Scaled(l, sx), Scaled(tp, sy), Scaled(l, sx) + Scaled(w, sx), Scaled(tp, sy) + Scaled(h, sy)};
        }
        if (text::Compare(className.CStr(), className.Length(), "OSEdit", 6, true) == 0) {
            if (window.Handle()) PlatformMoveChild(window.Handle(), id, rect);
        } else if (std::unique_ptr<CView> view = CreateViewByClass(className.CStr(), rect, id, &window)) {
            view->SetModule(module);
            CView* added = window.AddView(std::move(view));
            if (added) {
                added->ReadLayout(t, true);
                ++made;
            }
        }
        if (!closed) break;
        // Past the block's "]", and the whole rest of the text searchable again.
        const uint32_t next = t.SearchEnd() + 1;
        t.SetSearchEnd(kTokenerTextEnd);
        if (next <= before) break;  // no progress: stop rather than loop
        t.SetSearchStart(next);
    }
    if (windowWidth > 0 || windowHeight >= 1)
        if (window.Handle()) PlatformSetClientSize(window.Handle(), Scaled(windowWidth, sx), Scaled(windowHeight, sy));
    return made;
}

bool LoadLayout(CPWindow& window, int32_t resourceId, NativeModule module) {
    int32_t size = 0;
    const char* text = PlatformLoadTextResource(module, resourceId, &size);
    if (!text || size <= 0) return false;
    LoadLayoutText(window, text, size, module);
    return true;
}
