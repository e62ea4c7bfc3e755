// tarn-flourish.exe on Windows: only the headless renderer (the saver itself
// is TarnFlourish.scr).
#include <cstdio>
#include <cstring>

#include "hosts/headless/render_command.h"
#include "hosts/headless/render_options.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "render") == 0) return RunRenderCommand(argc - 2, argv + 2);
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(kRenderUsage, stdout);
        return 0;
    }
    std::fprintf(stderr, "tarn-flourish: unknown command%s%s\n%s", argc >= 2 ? " " : "", argc >= 2 ? argv[1] : "",
                 kRenderUsage);
    return 2;
}
