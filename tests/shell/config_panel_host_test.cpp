// The settings panel on a test host window: each choice is written to the
// profile at once and the value texts follow the profile.
#include <gtest/gtest.h>

#include <cmath>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "shell/config_panel.h"
#include "shell/settings.h"
#include "tests/common/test_host_window.h"
#include "views/view.h"
#include "views/view_pop_menu.h"
#include "views/view_slider.h"
#include "views/window.h"

namespace {

class Panel : public ::testing::Test {
protected:
    TestHostWindow host{380, 220};
    std::string path_;

    void SetUp() override {
        path_ = ::testing::TempDir() + "panel_test_" + std::to_string(::getpid()) + ".prf";
        std::remove(path_.c_str());
        SetProfilePathForTests(path_.c_str());
        ScreenSaverConfigureDialog(static_cast<CPHostWindow*>(&host), kWmInitDialog, 0, 0);
        ASSERT_NE(PanelWindow(), nullptr);
    }
    void TearDown() override {
        ScreenSaverConfigureDialog(static_cast<CPHostWindow*>(&host), kWmCommand, kPanelCloseId, 0);
        ResetPanelForTests();
        SetProfilePathForTests(nullptr);
        std::remove(path_.c_str());
    }
    std::string Profile() const {
        std::ifstream in(path_);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string Text(int32_t id) const {
        CDynamicString t;
        PanelWindow()->FindView(id)->GetText(t);
        return t.CStr();
    }
    void Choose(int32_t menuView, int32_t item) {
        auto* m = dynamic_cast<CViewPopMenu*>(PanelWindow()->FindView(menuView));
        ASSERT_NE(m, nullptr);
        m->Choose(item);
    }
};

TEST_F(Panel, EachMenuWritesItsSettingWithTheIdArithmetic) {
    struct Case {
        int32_t view, item;
        const char* written;
        int32_t textView;
        const char* shown;
    } cases[] = {
        {3, 2, "ForceMode1=0.0000;", 103, "Cycle Selection"},
        {3, 1, "ForceMode1=-1.0000;", 103, "Random Selection"},
        {3, 15, "ForceMode1=13.0000;", 103, "MultiChaos"},
        {5, 1, "Background=0.0000;", 105, "Dark"},
        {5, 3, "Background=2.0000;", 105, "Clipboard"},
        {6, 1, "UseDepth=0.0000;", 106, "Off"},
        {6, 2, "UseDepth=1.0000;", 106, "On"},
    };
    for (const Case& c : cases) {
        Choose(c.view, c.item);
        EXPECT_NE(Profile().find(c.written), std::string::npos) << c.written << " in " << Profile();
        EXPECT_EQ(Text(c.textView), c.shown);
    }
}

TEST_F(Panel, SecondPainterComesAndGoesWithTheNoneItem) {
    auto* m = dynamic_cast<CViewPopMenu*>(PanelWindow()->FindView(2));
    ASSERT_NE(m->Menu(), nullptr) << "the repository's presets folder is found from the test program";
    int32_t preset = 0;
    for (int32_t i = 0; i < m->Menu()->Count() && !preset; ++i) {
        const SPopMenuItem& it = m->Menu()->Item(i);
        if (it.parentId != 0 && !m->Menu()->IsParent(it.commandId)) preset = it.commandId;
    }
    ASSERT_GT(preset, 0);
    EXPECT_EQ(m->Menu()->Item(0).commandId, 9999);
    EXPECT_NE(m->Menu()->Find(kGetMoreItemId), nullptr);
    m->Choose(preset);
    EXPECT_NE(Profile().find(std::string("PresetName2=") + m->Menu()->Find(preset)->text), std::string::npos);
    EXPECT_NE(Profile().find("Category2="), std::string::npos);
    EXPECT_EQ(Text(103 + 1), "Random Selection");
    m->Choose(9999);
    EXPECT_EQ(Profile().find("PresetName2"), std::string::npos);
    EXPECT_EQ(Text(102), "None");
    EXPECT_EQ(Text(104), "None");
}

TEST_F(Panel, SliderWritesSpeedAsItsValue) {
    auto* s = dynamic_cast<CViewSlider*>(PanelWindow()->FindView(7));
    ASSERT_NE(s, nullptr);
    EXPECT_NEAR(s->GetValue(), 20.0f, 0.01f);  // the profile's default
    SViewTrack at{50 + 60, 180, true, false, false, false};
    s->TrackMove(at);
    const float v = s->GetValue();
    char expected[64];
    std::snprintf(expected, sizeof expected, "Speed=%.4f;", static_cast<double>(v));
    EXPECT_NE(Profile().find(expected), std::string::npos) << Profile();
    EXPECT_GT(v, 5.0f);
    EXPECT_LT(v, 50.0f);
}

// The pace slider runs over the pace's logarithm: the default 10 sits a third
// of the way along, and its far end is the fastest pace.
TEST_F(Panel, PaceSliderWritesTheTenthPowerOfItsValue) {
    auto* s = dynamic_cast<CViewSlider*>(PanelWindow()->FindView(8));
    ASSERT_NE(s, nullptr);
    EXPECT_NEAR(s->GetValue(), 1.0f, 0.01f);  // the profile's default pace, 10
    SViewTrack far{240 + 200, 180, true, false, false, false};
    s->TrackMove(far);
    EXPECT_NE(Profile().find("Pace=1000.0000;"), std::string::npos) << Profile();
    SViewTrack near{240 + 30, 180, true, false, false, false};
    s->TrackMove(near);
    const float v = s->GetValue();
    char expected[64];
    std::snprintf(expected, sizeof expected, "Pace=%.4f;", static_cast<double>(std::pow(10.0f, v)));
    EXPECT_NE(Profile().find(expected), std::string::npos) << Profile();
    EXPECT_GT(v, 0.0f);
    EXPECT_LT(v, 3.0f);
}

TEST_F(Panel, UnwritableProfileLosesTheChangeQuietly) {
    SetProfilePathForTests("/nonexistent-folder/for/sure/TarnFLSaver.prf");
    Choose(5, 1);
    EXPECT_EQ(Text(105), "Bright");  // the refresh reads the profile, which never changed
}

TEST(PanelNotify, CancelSilencesTheRestOfTheRun) {
    static int asked = 0;
    asked = 0;
    PosixServices().askOkCancel = [](const char*, const char* text) {
        ++asked;
        EXPECT_NE(std::string(text).find("Cancel\t= No Notifications"), std::string::npos);
        return false;
    };
    PanelNotify("one");
    PanelNotify("two");
    EXPECT_EQ(asked, 1);
    ResetPanelForTests();
    PanelNotify("three");
    EXPECT_EQ(asked, 2);
    PosixServices().askOkCancel = nullptr;
}

}  // namespace
