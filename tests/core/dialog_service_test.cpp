#include "core/dialog_service.h"

#include <gtest/gtest.h>

namespace tarpon {
namespace {

// Filters as the commands write them, and as the chooser lists them: the name once,
// and "*.*" matching files without a dot too.
TEST(FileChooser, FilterPairsAndNames) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char* filter;
        Pairs pairs;
    } splits[] = {
        {"All Files (*.*)|*.*|", {{"All Files (*.*)", "*.*"}}},
        {"Table Files|*.tbl", {{"Table Files", "*.tbl"}}},
        {"A|*.a|B|*.b|", {{"A", "*.a"}, {"B", "*.b"}}},
        {"A|*.a|B", {{"A", "*.a"}}},
        {"", {}},
    };
    for (const auto& row : splits) EXPECT_EQ(splitFilter(row.filter), row.pairs) << row.filter;
    const struct {
        const char *description, *pattern, *listed;
    } names[] = {
        {"All Files (*.*)", "*.*", "All Files (*)"},
        {"Table Files (*.tbl)", "*.tbl", "Table Files (*.tbl)"},
        {"Table Files", "*.tbl;*.TBL", "Table Files (*.tbl *.TBL)"},
        {"Odd (name) files", "", "Odd (name) files (*)"},
    };
    for (const auto& row : names) EXPECT_EQ(nameFilter(row.description, row.pattern), row.listed);
}

}  // namespace
}  // namespace tarpon
