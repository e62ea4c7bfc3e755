// The view toolkit through a test host window: layout reading, routing,
// views, the drawing context and the toolkit-drawn menu.
#include <gtest/gtest.h>

#include <string>

#include "platform/draw.h"
#include "tests/common/test_host_window.h"
#include "views/layout.h"
#include "views/menu_tracker.h"
#include "views/pop_menu_model.h"
#include "views/view.h"
#include "views/view_pop_menu.h"
#include "views/view_slider.h"
#include "views/view_text.h"
#include "views/window.h"

namespace {

struct Toolkit : ::testing::Test {
    TestHostWindow host{200, 120};
    CPWindow window;
    void SetUp() override {
        TestInput::Install();
        window.Attach(static_cast<CPHostWindow*>(&host), false);
    }
    int32_t Load(const std::string& text) {
        return LoadLayoutText(window, text.c_str(), static_cast<int32_t>(text.size()), nullptr);
    }
    void Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
        PosixNoteInput(&host, message, wParam, lParam);
        gGlobalWindowsProc(static_cast<CPHostWindow*>(&host), message, wParam, lParam);
    }
    void Click(int x, int y) {
        // The release waits in the queue for the tracking loop.
        TestInput::Push(&host, kWmLButtonUp, 0, PackPoint(x, y));
        Send(kWmLButtonDown, 1, PackPoint(x, y));
    }
};

std::string TextOf(const CView* v) {
    CDynamicString t;
    v->GetText(t);
    return t.CStr();
}

TEST_F(Toolkit, LayoutKeysMakeTheViewsOfTheBlocks) {
    struct Case {
        const char* text;
        int32_t made;
        TRect rect;
        const char* shownText;
    } cases[] = {
        {"id=5;[class=CViewText;left=10;top=12;]", 1, {10, 12, 30, 32}, "Testing"},
        {"id=5;[class=cviewslider;left=1;top=2;width=50;height=10;]", 1, {1, 2, 51, 12}, nullptr},
        {"id=5;[class=CViewText;text=a b;]", 1, {0, 0, 20, 20}, "a b"},
        {"xid=5;[class=CViewText;]", 0, {}, nullptr},
        {"id=5;[class=NoSuchView;]id=6;[class=CViewText;]", 1, {0, 0, 20, 20}, nullptr},
        {"id=5;[class=CViewText;getpositionfrom=77;left=4;top=4;width=2;height=2;]", 1, {4, 4, 6, 6}, nullptr},
        // A missing "]" ends the reading with that block.
        {"id=5;[class=CViewText;left=3;id=6;[class=CViewText;", 1, {3, 0, 23, 20}, nullptr},
        {"id=99999999999999999;[class=CViewText;left=99999999999;]", 1, {1000000, 0, 1000000, 20}, nullptr},
    };
    for (const Case& c : cases) {
        CPWindow w;
        w.Attach(static_cast<CPHostWindow*>(&host), false);
        const std::string text = c.text;
        EXPECT_EQ(LoadLayoutText(w, text.c_str(), static_cast<int32_t>(text.size()), nullptr), c.made) << c.text;
        if (c.made == 0 || w.ViewCount() == 0) continue;
        const TRect r = w.ViewAt(0)->Rect();
        if (c.rect.right != 0) {
            EXPECT_EQ(r.left, c.rect.left) << c.text;
            EXPECT_EQ(r.top, c.rect.top) << c.text;
            EXPECT_EQ(r.bottom, c.rect.bottom) << c.text;
        }
        if (c.shownText) {
            EXPECT_EQ(TextOf(w.ViewAt(0)), c.shownText) << c.text;
        }
    }
}

TEST_F(Toolkit, LongValuesAndManyBlocksEnd) {
    std::string text = "id=1;[class=CViewText;text=" + std::string(10000, 'x') + ";]";
    for (int i = 0; i < 500; ++i) text += "id=" + std::to_string(i + 2) + ";[class=CViewText;]";
    EXPECT_EQ(Load(text), 501);
    EXPECT_EQ(TextOf(window.FindView(1)).size(), 255u);  // text is cut to 255 bytes
}

TEST_F(Toolkit, MouseDownGoesToTheLastEnabledViewUnderThePointer) {
    Load("id=1;[class=CViewPopMenu;left=0;top=0;width=100;height=50;]"
         "id=2;[class=CViewPopMenu;left=20;top=10;width=40;height=20;]"
         "id=3;[class=CViewPopMenu;left=50;top=10;width=40;height=20;disabled=1;]");
    int opened[4] = {};
    static int* sink = nullptr;
    sink = opened;
    window.AddMsgMap(kEvViewMessage, 0, [](SViewEvent& e, CPWindow&) {
        if (e.messageCode == kMsgMenuOpening) ++sink[e.viewId];
    });
    Send(kWmLButtonDown, 1, PackPoint(30, 15));  // views 1 and 2 overlap: only 2
    Send(kWmLButtonDown, 1, PackPoint(70, 15));  // 3 is disabled: 1 lies under it and contains the point
    Send(kWmLButtonDown, 1, PackPoint(150, 100));
    EXPECT_EQ(opened[1], 1);
    EXPECT_EQ(opened[2], 1);
    EXPECT_EQ(opened[3], 0);
}

TEST_F(Toolkit, AnyTypeEntrySeesEveryEventBeforeTheViews) {
    Load("id=1;[class=CViewPopMenu;left=0;top=0;width=100;height=50;]");
    static int seen = 0, menus = 0;
    seen = menus = 0;
    window.AddMsgMap(kEvAny, 0, [](SViewEvent& e, CPWindow&) {
        ++seen;
        if (e.type == kEvMouseDown) e.handled = 1;  // the view never sees it
    });
    window.AddMsgMap(kEvViewMessage, 0, [](SViewEvent&, CPWindow&) { ++menus; });
    Send(kWmMouseMove, 0, PackPoint(5, 5));
    Send(kWmLButtonDown, 1, PackPoint(5, 5));
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(menus, 0);
}

TEST_F(Toolkit, ClickBroadcastsOnlyWhenReleasedInside) {
    Load("id=9;[class=CViewButton;left=10;top=10;width=40;height=20;text=Go;]");
    static int clicks = 0;
    clicks = 0;
    window.AddMsgMap(kEvViewMessage, 0, [](SViewEvent& e, CPWindow&) { clicks += e.messageCode == kMsgClicked; });
    Click(20, 20);
    EXPECT_EQ(clicks, 1);
    TestInput::Push(&host, kWmMouseMove, 0, PackPoint(150, 100));
    TestInput::Push(&host, kWmLButtonUp, 0, PackPoint(150, 100));
    Send(kWmLButtonDown, 1, PackPoint(20, 20));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(window.FindView(9)->HasFlag(kViewTracking | kViewPressed | kViewTrackInside));
}

TEST_F(Toolkit, SliderClampsAndKeepsTheThumbInItsSpan) {
    CViewSlider s({0, 0, 110, 20}, 7, &window);
    s.SetRange(1.0f, 10.0f, false);
    s.SetValue(20.0f);
    EXPECT_FLOAT_EQ(s.GetValue(), 10.0f);
    EXPECT_EQ(s.Thumb(), s.ThumbMax());
    EXPECT_EQ(s.ThumbMax(), 110 - 5);
    SViewTrack past{500, 10, false, false, false, false};
    s.TrackMove(past);
    EXPECT_EQ(s.Thumb(), 105);
    s.SetRange(5.0f, 50.0f, false);
    s.SetValue(20.0f);
    EXPECT_NEAR(s.GetValue(), 20.0f, 1e-4);
    // Limits narrow the range; the value is clamped into them.
    s.SetRange(10.0f, 30.0f, true);
    EXPECT_FLOAT_EQ(s.Minimum(), 10.0f);
    EXPECT_FLOAT_EQ(s.Maximum(), 30.0f);
    s.SetValue(45.0f);
    EXPECT_FLOAT_EQ(s.GetValue(), 30.0f);
}

TEST_F(Toolkit, TextListeningToASliderShowsItsValue) {
    CViewSlider* s = static_cast<CViewSlider*>(window.AddView(std::make_unique<CViewSlider>(TRect{0, 0, 110, 20}, 7, &window)));
    CViewText* t = static_cast<CViewText*>(window.AddView(std::make_unique<CViewText>(TRect{0, 30, 80, 50}, 8, &window)));
    s->AddListener(t);
    SViewTrack middle{55, 10, true, false, false, false};
    s->TrackMove(middle);
    EXPECT_EQ(TextOf(t), "0.50");
}

TEST_F(Toolkit, ChoosingTheCurrentItemBroadcastsNothing) {
    CViewPopMenu m({0, 0, 50, 20}, 5, &window);
    EXPECT_TRUE(m.Choose(2));
    EXPECT_FALSE(m.Choose(2));
    EXPECT_FALSE(m.Choose(0));
    EXPECT_FLOAT_EQ(m.GetValue(), 2.0f);
}

TEST_F(Toolkit, ToolkitMenuFollowsKeysIntoSubmenus) {
    static TestHostWindow* popup = nullptr;
    static TestHostWindow popupWindow(300, 400);
    popup = &popupWindow;
    PosixServices().openPopup = [](NativeWindow, const TRect&) -> CPHostWindow* { return popup; };
    PosixServices().closePopup = [](CPHostWindow*) {};
    CPopMenuModel model;
    model.AddItem(std::string(200, 'n').c_str(), 1, 0);  // cut to 63 bytes
    model.AddItem("plants", 2, 0);
    model.AddItem("vine.vbr", 3, 2);
    model.AddItem("oak.vbr", 4, 2);
    EXPECT_EQ(std::string(model.Item(0).text).size(), 63u);
    for (int vk : {kVkDown, kVkDown, kVkRight, kVkDown, kVkDown, kVkReturn})
        TestInput::Push(popup, kWmKeyDown, static_cast<uintptr_t>(vk), 0);
    EXPECT_EQ(TrackToolkitMenu(model, 0, 0, 0, nullptr), 4);
    TestInput::Push(popup, kWmKeyDown, kVkEscape, 0);
    EXPECT_EQ(TrackToolkitMenu(model, 0, 0, 0, nullptr), 0);
    EXPECT_EQ(TrackToolkitMenu(model, 0, 0, 0, nullptr), 0);  // input ran out: no hang, no choice
    PosixServices().openPopup = nullptr;
    PosixServices().closePopup = nullptr;
}

TEST_F(Toolkit, PaintOfAnEmptyRectangleDrawsNothing) {
    Load("id=1;[class=CViewButton;left=0;top=0;width=200;height=120;text=X;]");
    const uint32_t before = host.Pixel(100, 60);
    window.PaintRect(host.Target(), TRect{50, 50, 50, 80});
    EXPECT_EQ(host.Pixel(100, 60), before);
    window.PaintRect(host.Target(), TRect{0, 0, 200, 120});
    EXPECT_EQ(host.Pixel(100, 20), PlatformSysColour(TSysColour::ButtonFace));
}

TEST(DrawingContext, HoldersAreReplacedNotLeaked) {
    TestHostWindow host(40, 40);
    const int32_t before = DrawObjectsAlive();
    {
        CPDraw d(host.Target());
        d.SetColor(255, 0, 0);
        d.SetColor(0, 255, 0);
        EXPECT_EQ(DrawObjectsAlive(), before + 2);  // one pen, one brush
        d.FillRect({0, 0, 10, 10});
        EXPECT_EQ(host.Pixel(5, 5), 0x00FF00u);
        EXPECT_TRUE(d.SetFont(kFaceCourier, 10, 0.5));
        EXPECT_EQ(d.FontHolder()->weight_, 500);
        EXPECT_TRUE(d.FontHolder()->fixedPitch_);
    }
    EXPECT_EQ(DrawObjectsAlive(), before);
}

TEST(DrawingContext, WrapByCharactersDrawsOnlyTheLinesThatFit) {
    TestHostWindow host(200, 200);
    CPDraw d(host.Target());
    d.SetFont(kFaceArial, 9);
    int32_t fit = 0, w = 0, lineHeight = 0;
    ASSERT_TRUE(d.MeasureText("x", 1, 1000, &fit, &w, &lineHeight));
    CPOffscreen& s = host.Surface();
    // Two lines' room, a text of many lines: nothing lands below the rectangle.
    const TRect r{0, 0, 40, 2 * lineHeight};
    d.SetColor(0, 0, 0);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) reinterpret_cast<uint32_t*>(s.Row(y))[x] = 0xFFFFFFFF;
    d.DrawTextInRect(r, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM");
    int inside = 0, outside = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (host.Pixel(x, y) != 0xFFFFFFu) (y < r.bottom && x < r.right ? inside : outside)++;
    EXPECT_GT(inside, 20);
    EXPECT_EQ(outside, 0);
}

TEST(DrawingContext, RegionThatLosesEverythingIsNone) {
    CPRegion r(0, 0, 10, 10);
    EXPECT_FALSE(r.IsEmpty());
    r.Combine({5, 5, 20, 20}, kRegionOr);
    EXPECT_TRUE(r.Contains(15, 15));
    EXPECT_FALSE(r.Contains(15, 2));
    r.Combine({-1, -1, 30, 30}, kRegionDiff);
    EXPECT_TRUE(r.IsEmpty());
    EXPECT_EQ(r.Handle(), nullptr);
}

}  // namespace
