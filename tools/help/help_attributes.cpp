// Writes the brush attribute table of the help page from the attribute
// list itself, so the page cannot drift from the reader. The rows replace
// what stands between the page's "attributes begin" and "attributes end"
// markers. Run: help_attributes TARN_FL_DOC/Help.html
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct Row {
    const char* section;
    const char* kind;
    const char* name;
    const char* initial;
};

#define TF_STR2(x) #x
#define TF_STR(x) TF_STR2(x)
#define TF_BRUSH_ATTR(section, kind, name, initial) {#section, #kind, #name, TF_STR(initial)},
const Row kRows[] = {
#include "presets/brush_attributes_general.inc"
#include "presets/brush_attributes_tube.inc"
#include "presets/brush_attributes_texture.inc"
};
#undef TF_BRUSH_ATTR

const char* KindText(const std::string& kind) {
    if (kind == "REAL") return "number";
    if (kind == "COUNT") return "count (number)";
    if (kind == "OPACITY") return "opacity 0 to 1";
    if (kind == "FLAG") return "0 off, 1 on";
    if (kind == "IGNORED") return "read, not used";
    if (kind == "WHOLE") return "whole number";
    if (kind == "WHOLE012") return "0, 1 or 2";
    if (kind == "NAME") return "image file name in ~brushImages";
    return "";
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) out += c == '<' ? "&lt;" : c == '>' ? "&gt;" : c == '&' ? "&amp;" : c == '"' ? "" : std::string(1, c);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: help_attributes HELP.html\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream page;
    page << in.rdbuf();
    std::string text = page.str();
    const std::string begin = "<!-- attributes begin -->", end = "<!-- attributes end -->";
    const size_t a = text.find(begin), b = text.find(end);
    if (a == std::string::npos || b == std::string::npos || b < a) {
        std::fprintf(stderr, "help_attributes: no attribute markers in %s\n", argv[1]);
        return 1;
    }
    std::string rows = begin + "\n<table>\n<tr><th>Attribute</th><th>Section</th><th>Kind</th><th>Initial</th></tr>\n";
    for (const Row& r : kRows) {
        std::string section = r.section;
        for (char& c : section) c = static_cast<char>(c == '_' ? ' ' : (c >= 'A' && c <= 'Z' ? c + 32 : c));
        rows += "<tr><td><code>" + std::string(r.name) + "</code></td><td>" + section + "</td><td>" + KindText(r.kind) +
                "</td><td>" + Escape(r.initial) + "</td></tr>\n";
    }
    rows += "</table>\n";
    text = text.substr(0, a) + rows + text.substr(b);
    std::ofstream out(argv[1]);
    out << text;
    std::printf("%s: %zu attributes\n", argv[1], sizeof kRows / sizeof kRows[0]);
    return out ? 0 : 1;
}
