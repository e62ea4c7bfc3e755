// Feeds arbitrary bytes to the layout reader on a small window: it must end,
// make only views that can be drawn, and paint them without fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "tests/common/test_host_window.h"
#include "views/layout.h"
#include "views/view.h"
#include "views/window.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    static TestHostWindow host(64, 48);
    CPWindow window;
    window.Attach(static_cast<CPHostWindow*>(&host), true);
    const int32_t made = LoadLayoutText(window, reinterpret_cast<const char*>(data), static_cast<int32_t>(size), nullptr);
    if (made < 0 || made != window.ViewCount()) std::abort();
    window.PaintRect(host.Target(), TRect{0, 0, 64, 48});
    return 0;
}
