// The folders of src/ are layers, and a file may include only what its layer
// allows. Checked on the real tree, and on small planted trees to show that the
// check catches each kind of fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

using Tree = std::map<std::string, std::string>;  // path below src/ -> file text

enum Layer { Screen, Core, View, Feature, QtKit, Window, App, Unknown };

bool isWindowName(const std::string& path) { return std::regex_search(path, std::regex(R"((_window|_dialog)\.(h|cpp)$)")); }
std::string folderOf(const std::string& path) { return path.substr(0, path.find('/') == std::string::npos ? 0 : path.find('/')); }

Layer layerOf(const std::string& path) {
    static const std::map<std::string, Layer> folders = {
        {"", App},         {"app", App},         {"screen", Screen},  {"core", Core},  {"qt", QtKit},
        {"view", View},    {"edit", Feature},    {"search", Feature}, {"table", Feature}, {"copy", Feature},
        {"script", Feature}, {"patch", Feature}};
    const auto it = folders.find(folderOf(path));
    if (it == folders.end()) return Unknown;
    return isWindowName(path) && (it->second == View || it->second == Feature) ? Window : it->second;
}

// Whether `from` may include `to`: each layer sees the layers below it, features and
// windows also their own folder, the Qt kit and windows only core and below besides.
bool allowed(const std::string& from, const std::string& to) {
    const Layer f = layerOf(from), t = layerOf(to);
    const bool sameFolder = folderOf(from) == folderOf(to);
    switch (f) {
    case Screen: case Core: case View: return t <= f;
    case Feature: return t <= View || (t == Feature && sameFolder);
    case QtKit: return t <= Core || t == QtKit;
    case Window: return t <= Core || t == QtKit || sameFolder;
    case App: return t != Unknown;
    default: return false;
    }
}

// Files the CMake rule puts in the Qt library, the only ones that may include Qt.
bool inQtLibrary(const std::string& path) { return path == "main.cpp" || path.starts_with("qt/") || isWindowName(path); }

std::vector<std::string> checkIncludes(const Tree& tree) {
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    const auto unit = [](const std::string& path) { return path.substr(0, path.rfind('.')); };  // a .h/.cpp pair
    std::vector<std::string> faults;
    std::map<std::string, std::set<std::string>> unitEdges;
    for (const auto& [path, text] : tree) {
        if (layerOf(path) == Unknown) faults.push_back("src/" + path + ": not in a known layer folder");
        std::istringstream in(text);
        std::string line;
        std::smatch m;
        for (int n = 1; std::getline(in, line); ++n) {
            if (!std::regex_search(line, m, include)) continue;
            const std::string where = "src/" + path + ":" + std::to_string(n) + ": ", target = m[2];
            if (m[1] == "<") {
                if (target.starts_with("Q") && !inQtLibrary(path))
                    faults.push_back(where + "includes <" + target + ">, but is not a Qt file (qt/, *_window, *_dialog, main.cpp)");
            } else if (!tree.contains(target)) {
                faults.push_back(where + "includes \"" + target + "\", which names no file in src/");
            } else if (!allowed(path, target)) {
                faults.push_back(where + folderOf(path) + "/ may not include " + target);
            } else if (unit(target) != unit(path)) {
                unitEdges[unit(path)].insert(unit(target));
            }
        }
    }
    // Pairs are taken away once everything they include is gone; those left are in a cycle or lead into one.
    for (bool removed = true; removed;)
        removed = std::erase_if(unitEdges, [&](const auto& e) {
            return std::none_of(e.second.begin(), e.second.end(), [&](const auto& to) { return unitEdges.contains(to); });
        }) > 0;
    if (!unitEdges.empty()) {
        std::string units;
        for (const auto& e : unitEdges) units += " " + e.first;
        faults.push_back("include cycle among:" + units);
    }
    return faults;
}

TEST(IncludeOrder, SourceTreeFollowsTheLayers) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TARPON_SOURCE_DIR)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        std::ostringstream text;
        text << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        tree[std::filesystem::relative(entry.path(), TARPON_SOURCE_DIR).generic_string()] = text.str();
    }
    ASSERT_GT(tree.size(), 50u) << "the source tree was not found at " << TARPON_SOURCE_DIR;
    std::string all;
    for (const std::string& f : checkIncludes(tree)) all += f + "\n";
    EXPECT_EQ(all, "");
}

// Each row plants includes into a small tree and names the one fault the check must
// report ("" where every include is allowed).
TEST(IncludeOrder, PlantedIncludes) {
    const std::tuple<const char*, Tree, std::string> rows[] = {
        {"core includes view (upward)", {{"core/a.h", "\n#include \"view/b.h\""}, {"view/b.h", ""}}, "src/core/a.h:2: core/ may not include view/b.h"},
        {"feature includes another feature", {{"edit/a.cpp", "#include \"search/b.h\""}, {"search/b.h", ""}}, "edit/ may not include search/b.h"},
        {"Qt header in a logic file", {{"view/a.cpp", "#include <QWidget>"}}, "includes <QWidget>, but is not a Qt file"},
        {"cycle between pairs", {{"view/a.cpp", "#include \"view/b.h\""}, {"view/a.h", ""}, {"view/b.cpp", "#include \"view/a.h\""}, {"view/b.h", ""}},
         "include cycle among: view/a view/b"},
        {"allowed: a window its feature, the Qt kit, core and Qt; a feature its folder and view; app anything",
         {{"search/a_dialog.cpp", "#include \"search/b.h\"\n#include \"qt/c.h\"\n#include \"core/d.h\"\n#include <QDialog>"},
          {"edit/a.cpp", "#include \"edit/e.h\"\n#include \"view/v.h\"\n#include \"core/d.h\""},
          {"app/a.cpp", "#include \"search/a_dialog.h\"\n#include \"qt/c.h\"\n#include \"edit/e.h\""},
          {"search/b.h", ""}, {"search/a_dialog.h", ""}, {"qt/c.h", ""}, {"core/d.h", ""}, {"edit/e.h", ""}, {"view/v.h", ""}},
         ""},
    };
    for (const auto& [name, tree, expected] : rows) {
        const std::vector<std::string> faults = checkIncludes(tree);
        EXPECT_TRUE(expected.empty() ? faults.empty() : faults.size() == 1 && faults[0].find(expected) != std::string::npos)
            << name << ": " << testing::PrintToString(faults);
    }
}

}  // namespace
