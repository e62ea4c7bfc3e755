// Turns the resource script into a C++ source that carries the same files
// for the POSIX build. It reads the plain subset of the script this project
// writes: "ID TYPE \"file\"" lines and STRINGTABLE blocks, where an ID is a
// number or a name #defined in a header the script #includes. Every other
// statement (dialogs, version, manifest) is skipped.
// Run: embed_resources SCRIPT OUTPUT.cpp
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Entry {
    std::string type;  // enumerator name of TResourceType
    int id;
    std::vector<unsigned char> data;
};

bool ReadFile(const std::string& path, std::vector<unsigned char>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string TypeName(const std::string& rcType) {
    if (rcType == "BITMAP") return "Bitmap";
    if (rcType == "FDIB") return "Fdib";
    if (rcType == "TEXT") return "Text";
    if (rcType == "ICON") return "Icon";
    return "";
}

// NAME VALUE pairs of the #define lines of a header.
void ReadDefines(const std::string& path, std::map<std::string, int>& defines) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string directive, name, value;
        if (words >> directive >> name >> value && directive == "#define" && !value.empty() &&
            value.find_first_not_of("0123456789") == std::string::npos)
            defines[name] = std::stoi(value);
    }
}

// The resource id a statement starts with: a number or a defined name; -1
// for anything else.
int ResourceId(const std::string& word, const std::map<std::string, int>& defines) {
    if (!word.empty() && word.find_first_not_of("0123456789") == std::string::npos) return std::stoi(word);
    const auto found = defines.find(word);
    return found != defines.end() ? found->second : -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: embed_resources SCRIPT OUTPUT.cpp\n");
        return 2;
    }
    const std::string script = argv[1];
    const std::string folder = script.substr(0, script.find_last_of('/') + 1);
    std::ifstream in(script);
    if (!in) {
        std::fprintf(stderr, "embed_resources: cannot read %s\n", script.c_str());
        return 1;
    }
    std::vector<Entry> entries;
    std::map<std::string, int> defines;
    std::string line;
    bool inStrings = false;
    // A DIALOG block becomes layout text: its caption and size, and one
    // CViewButton block per push button, in dialog units.
    bool inDialog = false;
    bool dialogBody = false;
    Entry dialog;
    std::string dialogText;
    auto quoted = [](const std::string& l) {
        const size_t a = l.find('"'), b = l.find('"', a + 1);
        return (a == std::string::npos || b == std::string::npos) ? std::string() : l.substr(a + 1, b - a - 1);
    };
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first.rfind("//", 0) == 0) continue;
        // Quoted includes bring the ids' defines; other preprocessor lines
        // (<windows.h> for windres) mean nothing here.
        if (first == "#include" && line.find('"') != std::string::npos) {
            const size_t a = line.find('"'), b = line.rfind('"');
            if (b > a) ReadDefines(folder + line.substr(a + 1, b - a - 1), defines);
            continue;
        }
        if (first[0] == '#') continue;
        if (inDialog) {
            if (first == "CAPTION") {
                dialogText += "caption=" + quoted(line) + ";\n";
            } else if (first == "BEGIN" || first == "{") {
                dialogBody = true;
            } else if (first == "END" || first == "}") {
                dialog.data.assign(dialogText.begin(), dialogText.end());
                dialog.data.push_back(0);
                entries.push_back(std::move(dialog));
                dialog = Entry();
                inDialog = dialogBody = false;
            } else if (dialogBody && (first == "PUSHBUTTON" || first == "DEFPUSHBUTTON")) {
                // PUSHBUTTON "text", id, x, y, width, height[, style]
                const std::string label = quoted(line);
                std::string rest = line.substr(line.find('"', line.find('"') + 1) + 1);
                for (char& c : rest)
                    if (c == ',') c = ' ';
                std::istringstream numbers(rest);
                int id = 0, x = 0, y = 0, w = 0, h = 0;
                if (numbers >> id >> x >> y >> w >> h)
                    dialogText += "id=" + std::to_string(id) + ";[class=CViewButton;text=" + label + ";left=" +
                                  std::to_string(x) + ";top=" + std::to_string(y) + ";width=" + std::to_string(w) +
                                  ";height=" + std::to_string(h) + ";]\n";
            }
            continue;
        }
        {
            std::istringstream probe(line);
            std::string idWord, typeWord;
            probe >> idWord >> typeWord;
            if (typeWord == "DIALOG" || typeWord == "DIALOGEX") {
                int x = 0, y = 0, w = 0, h = 0;
                std::string rest = line.substr(line.find(typeWord) + typeWord.size());
                for (char& c : rest)
                    if (c == ',') c = ' ';
                std::istringstream numbers(rest);
                numbers >> x >> y >> w >> h;
                inDialog = true;
                dialog.type = "Dialog";
                dialog.id = std::stoi(idWord);
                dialogText = "width=" + std::to_string(w) + ";height=" + std::to_string(h) + ";\n";
                continue;
            }
        }
        if (first == "STRINGTABLE") {
            inStrings = true;
            continue;
        }
        if (first == "BEGIN" || first == "{") continue;
        if (first == "END" || first == "}") {
            inStrings = false;
            continue;
        }
        const int id = ResourceId(first, defines);
        if (id < 0) continue;
        const size_t open = line.find('"');
        const size_t close = line.rfind('"');
        if (open == std::string::npos || close <= open) continue;
        const std::string text = line.substr(open + 1, close - open - 1);
        Entry entry;
        entry.id = id;
        if (inStrings) {
            entry.type = "String";
            entry.data.assign(text.begin(), text.end());
        } else {
            std::string rcType;
            words >> rcType;
            entry.type = TypeName(rcType);
            if (entry.type.empty()) continue;
            if (!ReadFile(folder + text, entry.data)) {
                std::fprintf(stderr, "embed_resources: cannot read %s\n", (folder + text).c_str());
                return 1;
            }
            // A BITMAP resource is stored without the 14-byte file header, as windres does.
            if (entry.type == "Bitmap" && entry.data.size() >= 14 && entry.data[0] == 'B' && entry.data[1] == 'M')
                entry.data.erase(entry.data.begin(), entry.data.begin() + 14);
        }
        entry.data.push_back(0);  // texts end in a zero; the size below leaves it out
        entries.push_back(std::move(entry));
    }
    std::ofstream out(argv[2]);
    out << "// Made by tools/embed/embed_resources from resources/tarnflourish.rc; do not edit.\n";
    out << "#include \"resources/embedded.h\"\n\nnamespace {\n";
    for (size_t k = 0; k < entries.size(); ++k) {
        out << "const uint8_t kData" << k << "[] = {";
        for (size_t b = 0; b < entries[k].data.size(); ++b) {
            if (b % 24 == 0) out << "\n";
            out << static_cast<int>(entries[k].data[b]) << ",";
        }
        out << "};\n";
    }
    out << "const SEmbeddedResource kResources[] = {\n";
    for (size_t k = 0; k < entries.size(); ++k) {
        out << "    {TResourceType::" << entries[k].type << ", " << entries[k].id << ", kData" << k << ", "
            << entries[k].data.size() - 1 << "},\n";
    }
    out << "};\n}  // namespace\n\n";
    out << "const SEmbeddedResource* FindEmbeddedResource(TResourceType type, int id) {\n"
           "    for (const SEmbeddedResource& r : kResources)\n"
           "        if (r.type == type && r.id == id) return &r;\n"
           "    return nullptr;\n}\n";
    return out ? 0 : 1;
}
