// The folders of src/ are layers, and a file may include only what its layer
// allows. Checked on the real tree, and on small planted trees to show that the
// check catches each kind of fault.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Tree = std::map<std::string, std::string>;  // path below src/ -> file text

enum Layer { Screen, Core, View, Feature, QtKit, Window, App, Unknown };

bool isWindowName(const std::string& path) { return std::regex_search(path, std::regex(R"((_window|_dialog)\.(h|cpp)$)")); }

std::string folderOf(const std::string& path) { return path.find('/') == std::string::npos ? "" : path.substr(0, path.find('/')); }

Layer layerOf(const std::string& path) {
    static const std::map<std::string, Layer> folders = {{"", App},     {"app", App},       {"screen", Screen},
                                                         {"core", Core}, {"qt", QtKit},      {"view", View},
                                                         {"edit", Feature}, {"search", Feature}, {"table", Feature},
                                                         {"copy", Feature}};
    const auto it = folders.find(folderOf(path));
    if (it == folders.end()) return Unknown;
    if (isWindowName(path) && (it->second == View || it->second == Feature)) return Window;
    return it->second;
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
bool inQtLibrary(const std::string& path) { return path == "main.cpp" || path.rfind("qt/", 0) == 0 || isWindowName(path); }

std::string unitOf(const std::string& path) { return path.substr(0, path.rfind('.')); }

// Cycles between .h/.cpp pairs: each pair is one node, every include an edge.
void findUnitCycles(const std::map<std::string, std::set<std::string>>& edges, std::vector<std::string>& out) {
    std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    std::function<void(const std::string&)> visit = [&](const std::string& unit) {
        state[unit] = 1;
        path.push_back(unit);
        if (const auto it = edges.find(unit); it != edges.end())
            for (const std::string& next : it->second) {
                if (state[next] == 0) visit(next);
                if (state[next] != 1) continue;
                std::string cycle;
                for (auto p = std::find(path.begin(), path.end(), next); p != path.end(); ++p) cycle += *p + " -> ";
                out.push_back("include cycle: " + cycle + next);
            }
        path.pop_back();
        state[unit] = 2;
    };
    for (const auto& edge : edges)
        if (state[edge.first] == 0) visit(edge.first);
}

std::vector<std::string> checkIncludes(const Tree& tree) {
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
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
                if (target.rfind("Q", 0) == 0 && !inQtLibrary(path))
                    faults.push_back(where + "includes <" + target + ">, but is not a Qt file (qt/, *_window, *_dialog, main.cpp)");
            } else if (!tree.count(target)) {
                faults.push_back(where + "includes \"" + target + "\", which names no file in src/");
            } else {
                if (!allowed(path, target)) faults.push_back(where + folderOf(path) + "/ may not include " + target);
                if (unitOf(target) != unitOf(path)) unitEdges[unitOf(path)].insert(unitOf(target));
            }
        }
    }
    findUnitCycles(unitEdges, faults);
    return faults;
}

TEST(IncludeOrder, SourceTreeFollowsTheLayers) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TARPON_SOURCE_DIR)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
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
    struct Row {
        const char* name;
        Tree tree;
        std::string expected;
    };
    const std::vector<Row> rows = {
        {"core includes view (upward)", {{"core/a.h", "\n#include \"view/b.h\""}, {"view/b.h", ""}}, "src/core/a.h:2: core/ may not include view/b.h"},
        {"feature includes another feature", {{"edit/a.cpp", "#include \"search/b.h\""}, {"search/b.h", ""}}, "edit/ may not include search/b.h"},
        {"feature includes its own window", {{"copy/a.cpp", "#include \"copy/b_dialog.h\""}, {"copy/b_dialog.h", ""}}, "copy/ may not include copy/b_dialog.h"},
        {"Qt kit includes view", {{"qt/a.cpp", "#include \"view/b.h\""}, {"view/b.h", ""}}, "qt/ may not include view/b.h"},
        {"window includes another feature", {{"search/a_dialog.cpp", "#include \"view/b.h\""}, {"view/b.h", ""}}, "search/ may not include view/b.h"},
        {"Qt header in a logic file", {{"view/a.cpp", "#include <QWidget>"}}, "includes <QWidget>, but is not a Qt file"},
        {"unknown target", {{"view/a.cpp", "#include \"view/gone.h\""}}, "names no file in src/"},
        {"file outside the layers", {{"misc/a.h", ""}}, "src/misc/a.h: not in a known layer folder"},
        {"cycle between pairs", {{"view/a.cpp", "#include \"view/b.h\""}, {"view/a.h", ""}, {"view/b.cpp", "#include \"view/a.h\""}, {"view/b.h", ""}},
         "include cycle: view/a -> view/b -> view/a"},
        {"allowed: a window its feature, the Qt kit, core and Qt; a feature its folder and view; app anything",
         {{"search/a_dialog.cpp", "#include \"search/b.h\"\n#include \"qt/c.h\"\n#include \"core/d.h\"\n#include <QDialog>"},
          {"edit/a.cpp", "#include \"edit/e.h\"\n#include \"view/v.h\"\n#include \"core/d.h\""},
          {"app/a.cpp", "#include \"search/a_dialog.h\"\n#include \"qt/c.h\"\n#include \"edit/e.h\""},
          {"search/b.h", ""}, {"search/a_dialog.h", ""}, {"qt/c.h", ""}, {"core/d.h", ""}, {"edit/e.h", ""}, {"view/v.h", ""}},
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const std::vector<std::string> faults = checkIncludes(row.tree);
        ASSERT_EQ(faults.size(), row.expected.empty() ? 0u : 1u) << (faults.empty() ? "" : faults[0]);
        if (!faults.empty()) {
            EXPECT_NE(faults[0].find(row.expected), std::string::npos) << faults[0];
        }
    }
}

}  // namespace
