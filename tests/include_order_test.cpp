// The folders of src/ are layers, and a file may include only what its layer
// allows. Checked on the real tree, and on small planted trees to show that the
// check catches each kind of fault.
#include <gtest/gtest.h>

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

enum class Layer { Screen, Core, View, Feature, QtKit, Window, App, Unknown };

struct Place {
    Layer layer;
    std::string folder;
};

bool isWindowName(const std::string& path) {
    static const std::regex window(R"((_window|_dialog)\.(h|cpp)$)");
    return std::regex_search(path, window);
}

Place placeOf(const std::string& path) {
    const size_t slash = path.find('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
    if (folder.empty() || folder == "app") return {Layer::App, folder};
    if (folder == "screen") return {Layer::Screen, folder};
    if (folder == "core") return {Layer::Core, folder};
    if (folder == "qt") return {Layer::QtKit, folder};
    static const std::set<std::string> features = {"view", "edit", "search", "table", "copy"};
    if (!features.count(folder)) return {Layer::Unknown, folder};
    if (isWindowName(path)) return {Layer::Window, folder};
    return {folder == "view" ? Layer::View : Layer::Feature, folder};
}

// Whether a file at `from` may include the file at `to`.
bool allowed(const Place& from, const Place& to) {
    const bool sameFolder = from.folder == to.folder;
    switch (from.layer) {
    case Layer::Screen: return to.layer == Layer::Screen;
    case Layer::Core: return to.layer == Layer::Screen || to.layer == Layer::Core;
    case Layer::View: return to.layer <= Layer::View;
    case Layer::Feature:
        return to.layer <= Layer::View || (to.layer == Layer::Feature && sameFolder);
    case Layer::QtKit: return to.layer <= Layer::Core || to.layer == Layer::QtKit;
    case Layer::Window:
        return to.layer <= Layer::Core || to.layer == Layer::QtKit ||
               (sameFolder && to.layer != Layer::App);
    case Layer::App: return to.layer != Layer::Unknown;
    case Layer::Unknown: return false;
    }
    return false;
}

// Files the CMake rule puts in the Qt library, the only ones that may include Qt.
bool inQtLibrary(const std::string& path) {
    return path == "main.cpp" || path.rfind("qt/", 0) == 0 || isWindowName(path);
}

std::string unitOf(const std::string& path) { return path.substr(0, path.rfind('.')); }

struct Include {
    int line;
    bool angle;
    std::string target;
};

std::vector<Include> includesOf(const std::string& text) {
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n) {
        std::smatch m;
        if (std::regex_search(line, m, include)) found.push_back({n, m[1] == "<", m[2]});
    }
    return found;
}

// Cycles between .h/.cpp pairs: each pair is one node, every include an edge.
void findUnitCycles(const std::map<std::string, std::set<std::string>>& edges, std::vector<std::string>& out) {
    std::map<std::string, int> state;  // 0 unseen, 1 on the path, 2 done
    std::vector<std::string> path;
    std::set<std::string> reported;
    std::function<void(const std::string&)> visit = [&](const std::string& unit) {
        state[unit] = 1;
        path.push_back(unit);
        const auto it = edges.find(unit);
        if (it != edges.end())
            for (const std::string& next : it->second) {
                if (state[next] == 1) {
                    std::string cycle;
                    for (auto p = std::find(path.begin(), path.end(), next); p != path.end(); ++p) cycle += *p + " -> ";
                    cycle += next;
                    if (reported.insert(cycle).second) out.push_back("include cycle: " + cycle);
                } else if (state[next] == 0) {
                    visit(next);
                }
            }
        path.pop_back();
        state[unit] = 2;
    };
    for (const auto& [unit, targets] : edges)
        if (state[unit] == 0) visit(unit);
}

std::vector<std::string> checkIncludes(const Tree& tree) {
    std::vector<std::string> faults;
    std::map<std::string, std::set<std::string>> unitEdges;
    for (const auto& [path, text] : tree) {
        const Place from = placeOf(path);
        if (from.layer == Layer::Unknown) faults.push_back("src/" + path + ": not in a known layer folder");
        for (const Include& inc : includesOf(text)) {
            const std::string where = "src/" + path + ":" + std::to_string(inc.line) + ": ";
            if (inc.angle) {
                if (inc.target.rfind("Q", 0) == 0 && !inQtLibrary(path))
                    faults.push_back(where + "includes <" + inc.target + ">, but is not a Qt file "
                                     "(qt/, *_window, *_dialog, main.cpp)");
                continue;
            }
            if (!tree.count(inc.target)) {
                faults.push_back(where + "includes \"" + inc.target + "\", which names no file in src/");
                continue;
            }
            const Place to = placeOf(inc.target);
            if (!allowed(from, to))
                faults.push_back(where + (from.folder.empty() ? "main" : from.folder) + "/ may not include " +
                                 inc.target);
            if (unitOf(inc.target) != unitOf(path)) unitEdges[unitOf(path)].insert(unitOf(inc.target));
        }
    }
    findUnitCycles(unitEdges, faults);
    return faults;
}

Tree readSourceTree(const std::filesystem::path& root) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp")) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        tree[std::filesystem::relative(entry.path(), root).generic_string()] = text.str();
    }
    return tree;
}

TEST(IncludeOrder, SourceTreeFollowsTheLayers) {
    const Tree tree = readSourceTree(TARPON_SOURCE_DIR);
    ASSERT_GT(tree.size(), 50u) << "the source tree was not found at " << TARPON_SOURCE_DIR;
    const std::vector<std::string> faults = checkIncludes(tree);
    std::string all;
    for (const std::string& f : faults) all += f + "\n";
    EXPECT_TRUE(faults.empty()) << all;
}

// Each row plants one include into a small tree and names the fault the check must report
// ("" where the include is allowed).
TEST(IncludeOrder, PlantedIncludes) {
    struct Row {
        const char* name;
        Tree tree;
        std::string expected;  // a part of the one fault reported, or "" for none
    };
    const std::vector<Row> rows = {
        {"core includes view (upward)", {{"core/a.h", "#include \"view/b.h\""}, {"view/b.h", ""}},
         "src/core/a.h:1: core/ may not include view/b.h"},
        {"screen includes core", {{"screen/a.h", "\n#include \"core/b.h\""}, {"core/b.h", ""}},
         "src/screen/a.h:2: screen/ may not include core/b.h"},
        {"feature includes another feature", {{"edit/a.cpp", "#include \"search/b.h\""}, {"search/b.h", ""}},
         "edit/ may not include search/b.h"},
        {"feature includes app", {{"table/a.cpp", "#include \"app/b.h\""}, {"app/b.h", ""}},
         "table/ may not include app/b.h"},
        {"feature includes its own window", {{"copy/a.cpp", "#include \"copy/b_dialog.h\""}, {"copy/b_dialog.h", ""}},
         "copy/ may not include copy/b_dialog.h"},
        {"Qt kit includes a window", {{"qt/a.cpp", "#include \"search/b_dialog.h\""}, {"search/b_dialog.h", ""}},
         "qt/ may not include search/b_dialog.h"},
        {"Qt kit includes view", {{"qt/a.cpp", "#include \"view/b.h\""}, {"view/b.h", ""}},
         "qt/ may not include view/b.h"},
        {"window includes another feature", {{"search/a_dialog.cpp", "#include \"view/b.h\""}, {"view/b.h", ""}},
         "search/ may not include view/b.h"},
        {"Qt header in a logic file", {{"view/a.cpp", "#include <QWidget>"}}, "includes <QWidget>, but is not a Qt file"},
        {"unknown target", {{"view/a.cpp", "#include \"view/gone.h\""}}, "names no file in src/"},
        {"cycle between pairs",
         {{"view/a.cpp", "#include \"view/b.h\""}, {"view/a.h", ""}, {"view/b.cpp", "#include \"view/a.h\""},
          {"view/b.h", ""}},
         "include cycle: view/a -> view/b -> view/a"},
        {"window includes its feature, Qt kit and core",
         {{"search/a_dialog.cpp", "#include \"search/b.h\"\n#include \"qt/c.h\"\n#include \"core/d.h\"\n#include <QDialog>"},
          {"search/b.h", ""}, {"qt/c.h", ""}, {"core/d.h", ""}},
         ""},
        {"app includes everything",
         {{"app/a.cpp", "#include \"search/b_dialog.h\"\n#include \"qt/c.h\"\n#include \"edit/d.h\""},
          {"search/b_dialog.h", ""}, {"qt/c.h", ""}, {"edit/d.h", ""}},
         ""},
        {"feature includes view and core", {{"edit/a.cpp", "#include \"view/b.h\"\n#include \"core/c.h\""},
                                            {"view/b.h", ""}, {"core/c.h", ""}},
         ""},
    };
    for (const Row& row : rows) {
        const std::vector<std::string> faults = checkIncludes(row.tree);
        if (row.expected.empty()) {
            EXPECT_TRUE(faults.empty()) << row.name << ": " << (faults.empty() ? "" : faults[0]);
            continue;
        }
        ASSERT_EQ(faults.size(), 1u) << row.name;
        EXPECT_NE(faults[0].find(row.expected), std::string::npos) << row.name << ": " << faults[0];
    }
}

}  // namespace
