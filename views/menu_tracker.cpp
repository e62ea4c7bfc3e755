#include "views/menu_tracker.h"

#include <algorithm>
#include <vector>

#include "platform/draw.h"
#include "platform/offscreen.h"
#include "platform/window_ops.h"
#include "views/pop_menu_model.h"
#include "views/view_event.h"

namespace {

constexpr int32_t kRowHeight = 18;
constexpr int32_t kMaxLevels = 16;
constexpr int32_t kMaxRowsShown = 60;  // a huge category shows its first rows

struct Level {
    int32_t parent = 0;
    std::vector<int32_t> items;  // indices into the model
    TRect screen;
    NativeWindow window = nullptr;
    int32_t highlight = -1;
};

std::vector<int32_t> ItemsUnder(const CPopMenuModel& model, int32_t parent) {
    std::vector<int32_t> out;
    for (int32_t i = 0; i < model.Count() && static_cast<int32_t>(out.size()) < kMaxRowsShown; ++i)
        if (model.Item(i).parentId == parent) out.push_back(i);
    return out;
}

void DrawLevel(const CPopMenuModel& model, const Level& level) {
    NativeDC dc = PlatformGetDC(level.window);
    if (!dc) return;
    {
        CPDraw d(dc);
        const TRect r{0, 0, level.screen.right - level.screen.left, level.screen.bottom - level.screen.top};
        d.SetColor(0xC0, 0xC0, 0xC0);
        d.FillRect(r);
        d.SetFont(kFaceArial, 8);
        d.SetTextAlign(0, 1);
        for (size_t k = 0; k < level.items.size(); ++k) {
            const SPopMenuItem& item = model.Item(level.items[k]);
            const TRect row{2, 2 + static_cast<int32_t>(k) * kRowHeight, r.right - 2, 2 + static_cast<int32_t>(k + 1) * kRowHeight};
            const bool lit = static_cast<int32_t>(k) == level.highlight;
            if (lit) {
                d.SetColor(0, 0, 0x80);
                d.FillRect(row);
            }
            const bool disabled = (item.flags & kMenuItemDisabled) != 0;
            if (disabled) d.SetColor(0x80, 0x80, 0x80);
            else if (lit) d.SetColor(255, 255, 255);
            else d.SetColor(0, 0, 0);
            d.DrawTextInRect({row.left + 16, row.top, row.right - 14, row.bottom}, item.text);
            if (model.IsParent(item.commandId)) {
                const int32_t mid = (row.top + row.bottom) / 2;
                d.Arrow({row.right - 5, mid}, {row.right - 9, mid}, 8, true);
            }
        }
        d.SetColor(0xFF, 0xFF, 0xFF);
        d.MoveTo(0, r.bottom - 1);
        d.LineTo(0, 0);
        d.LineTo(r.right - 1, 0);
        d.SetColor(0, 0, 0);
        d.LineTo(r.right - 1, r.bottom - 1);
        d.LineTo(0, r.bottom - 1);
    }
    PlatformReleaseDC(level.window, dc);
    PlatformInvalidateRect(level.window, nullptr);  // the drawing is complete: show it
}

bool OpenLevel(const CPopMenuModel& model, std::vector<Level>& levels, int32_t parent, int32_t x, int32_t y,
               NativeWindow owner) {
    if (static_cast<int32_t>(levels.size()) >= kMaxLevels) return false;
    Level level;
    level.parent = parent;
    level.items = ItemsUnder(model, parent);
    if (level.items.empty()) return false;
    const SMenuMetrics m = MeasureMenuLevel(model, parent);
    level.screen = {x, y, x + m.width, y + m.rows * kRowHeight + 4};
    level.window = PlatformOpenPopup(owner, level.screen);
    if (!level.window) return false;
    levels.push_back(level);
    DrawLevel(model, levels.back());
    return true;
}

void CloseFrom(std::vector<Level>& levels, size_t keep) {
    while (levels.size() > keep) {
        PlatformClosePopup(levels.back().window);
        levels.pop_back();
    }
}

// Opens the submenu of the highlighted row of the deepest level, if it is one.
bool OpenSubmenu(const CPopMenuModel& model, std::vector<Level>& levels, NativeWindow owner) {
    Level& l = levels.back();
    if (l.highlight < 0) return false;
    const SPopMenuItem& item = model.Item(l.items[l.highlight]);
    if (!model.IsParent(item.commandId)) return false;
    for (const Level& open : levels)
        if (open.parent == item.commandId) return false;  // a parent cycle
    return OpenLevel(model, levels, item.commandId, l.screen.right - 2, l.screen.top + 2 + l.highlight * kRowHeight, owner);
}

}  // namespace

SMenuMetrics MeasureMenuLevel(const CPopMenuModel& model, int32_t parentId) {
    SMenuMetrics m;
    const std::vector<int32_t> items = ItemsUnder(model, parentId);
    m.rows = static_cast<int32_t>(items.size());
    CPOffscreen scratch(4, 4, 32, false, true);
    NativeDC dc = scratch.BorrowDC();
    int32_t widest = 60;
    if (dc) {
        CPDraw d(dc);
        d.SetFont(kFaceArial, 8);
        for (int32_t i : items) {
            int32_t fit = 0, w = 0, h = 0;
            const char* t = model.Item(i).text;
            if (d.MeasureText(t, text::Length(t), 1 << 20, &fit, &w, &h)) widest = std::max(widest, w);
        }
    }
    if (dc) scratch.ReturnDC();
    m.width = widest + 34;
    return m;
}

int32_t TrackToolkitMenu(const CPopMenuModel& model, int32_t x, int32_t y, int32_t alignment, NativeWindow owner) {
    std::vector<Level> levels;
    const SMenuMetrics top = MeasureMenuLevel(model, 0);
    if (alignment == 1) x -= top.width / 2;
    else if (alignment == 2) x -= top.width;
    if (!OpenLevel(model, levels, 0, x, y, owner)) return 0;
    int32_t chosen = 0;
    bool moved = false;  // the release of the opening click is no choice
    SPlatformMessage m;
    while (!levels.empty() && PlatformNextMessage(&m)) {
        const uint32_t msg = m.message;
        if (msg == kWmMouseMove || msg == kWmLButtonDown || msg == kWmLButtonUp) {
            int32_t px = PointX(m.lParam), py = PointY(m.lParam);
            if (m.window) PlatformClientToScreen(m.window, &px, &py);
            // The deepest level under the pointer.
            int32_t at = -1;
            for (int32_t k = static_cast<int32_t>(levels.size()) - 1; k >= 0; --k)
                if (RectContains(levels[k].screen, px, py)) {
                    at = k;
                    break;
                }
            if (at < 0) {
                if (msg == kWmLButtonDown) break;  // a click outside closes the menu
                continue;
            }
            Level& l = levels[at];
            const int32_t row = (py - l.screen.top - 2) / kRowHeight;
            const int32_t hit = (row >= 0 && row < static_cast<int32_t>(l.items.size())) ? row : -1;
            if (msg == kWmMouseMove) moved = true;
            if (hit != l.highlight) {
                CloseFrom(levels, at + 1);
                levels[at].highlight = hit;
                DrawLevel(model, levels[at]);
                OpenSubmenu(model, levels, owner);
            }
            if ((msg == kWmLButtonUp && moved) || msg == kWmLButtonDown) {
                if (hit >= 0) {
                    const SPopMenuItem& item = model.Item(levels[at].items[hit]);
                    if (!model.IsParent(item.commandId) && !(item.flags & kMenuItemDisabled) && msg == kWmLButtonUp) {
                        chosen = item.commandId;
                        break;
                    }
                }
            }
            continue;
        }
        if (msg != kWmKeyDown && msg != kWmSysKeyDown) continue;
        Level& l = levels.back();
        const int32_t n = static_cast<int32_t>(l.items.size());
        switch (static_cast<int32_t>(m.wParam)) {
            case kVkDown: l.highlight = (l.highlight + 1) % n; DrawLevel(model, l); break;
            case kVkUp: l.highlight = l.highlight <= 0 ? n - 1 : l.highlight - 1; DrawLevel(model, l); break;
            case kVkRight: OpenSubmenu(model, levels, owner); break;
            case kVkLeft:
                if (levels.size() > 1) CloseFrom(levels, levels.size() - 1);
                break;
            case kVkEscape:
                CloseFrom(levels, levels.size() - 1);
                break;
            case kVkReturn:
                if (l.highlight >= 0) {
                    const SPopMenuItem& item = model.Item(l.items[l.highlight]);
                    if (model.IsParent(item.commandId)) {
                        OpenSubmenu(model, levels, owner);
                    } else if (!(item.flags & kMenuItemDisabled)) {
                        chosen = item.commandId;
                        CloseFrom(levels, 0);
                    }
                }
                break;
            default: break;
        }
    }
    CloseFrom(levels, 0);
    return chosen;
}
