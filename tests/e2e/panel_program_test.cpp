// `tarn-flourish panel` as a user runs it: the picture of the real panel.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/e2e/render_program.h"

namespace {

TEST(PanelProgram, DrawsThePanelAtTheDisplaysScale) {
    const std::string out = ::testing::TempDir() + "tf_panel_e2e.png";
    struct Case {
        const char* dpi;
        const char* size;
    } cases[] = {{"96", "(365x200)"}, {"192", "(729x400)"}};
    for (const Case& c : cases) {
        std::filesystem::remove(out);
        const RenderProgramResult r = RunProgram("panel --dpi " + std::string(c.dpi) + " --out " + out);
        EXPECT_EQ(r.exitCode, 0) << r.output;
        EXPECT_NE(r.output.find(c.size), std::string::npos) << r.output;
        EXPECT_GT(std::filesystem::file_size(out), 1000u);
    }
    std::filesystem::remove(out);
}

TEST(PanelProgram, BadEventsAreRefused) {
    const RenderProgramResult r = RunProgram("panel --events \"jump 1 2\" --out /dev/null");
    EXPECT_EQ(r.exitCode, 2) << r.output;
}

}  // namespace
