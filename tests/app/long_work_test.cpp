// Long work stopped at any of its progress questions: the function says it was
// cancelled, gives nothing, and leaves what it was given as it was; the window's
// commands then change nothing, and record nothing to undo.
#include <gtest/gtest.h>

#include "app/script_sources.h"

#include <functional>

#include "app/command_tables.h"
#include "core/progress.h"
#include "script/script_commands.h"
#include "script/script_dump.h"
#include "script/script_insert.h"
#include "search/find.h"
#include "search/find_all.h"
#include "search/replace.h"
#include "table/table_commands.h"
#include "table/tbl_file.h"
#include "test_editor.h"

namespace tarpon {
namespace {

using Bytes = std::vector<uint8_t>;

// Letters with an end token after every 8 ("adgbehcf" 00), and a few runs "abc",
// the only three bytes each one more than the last.
Bytes letters(size_t n) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = i % 9 == 8 ? 0 : static_cast<uint8_t>("adgbehcf"[i % 9]);
    for (const size_t at : {size_t{1000}, n / 2, n - 3})
        for (size_t k = 0; k < 3 && at + k < n; ++k) b[at + k] = static_cast<uint8_t>('a' + k);
    return b;
}

std::string tableLines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += std::to_string(1000 + i) + "=x" + std::to_string(i) + "\n";
    return text;
}

std::string insertScript(size_t lines) {
    std::string s = "#JMP($0)\n";
    for (size_t i = 0; i < lines; ++i) s += "abcdefgh\n";
    return s;
}

Table smallTable() {
    Table t;
    readTbl("/00=<end>\n61=a\n62=b\n63=c\n64=d\n65=e\n66=f\n67=g\n68=h\n", t);
    return t;
}

bool sameTable(const Table& a, const Table& b) { return a.entries() == b.entries() && a.endTags() == b.endTags(); }

std::span<const uint8_t> span(const Bytes& b) { return {b.data(), b.size()}; }

// What one run of a function gave: stopped or not, and whether it left no result
// behind and its inputs as they were.
struct Outcome {
    bool cancelled = false;
    bool nothingDone = false;
};

struct Row {
    const char* name;
    std::function<Outcome(const Progress&)> run;  // on fresh inputs each time
};

// A watcher that says stop at its question number `stopAt` (from 0), or never (-1); counts the questions.
Progress watcher(int stopAt, int& asked) {
    return Progress([stopAt, &asked](int64_t, int64_t) { return asked++ != stopAt; });
}

TEST(LongWork, StoppedAtAnyQuestionGivesNothingAndChangesNothing) {
    test::TempDir dir;
    const std::string tbl = dir.file("big.tbl");
    test::writeText(tbl, tableLines(3000));
    const Bytes doc = letters(1 << 20);
    const Bytes zeros(1 << 18, 0);
    const std::string script = insertScript(30000);
    const Table table = smallTable();
    const Row rows[] = {
        {"table load", [&](const Progress& p) {
             Table t;
             t.set("\x41", "A", EntryKind::Letter, 0);
             const Table before = t;
             TableSource source;
             source.path = "before";
             const TblLoadResult r = loadTblFile(tbl, t, source, std::nullopt, p);
             return Outcome{r.status == TblLoadStatus::Cancelled, sameTable(t, before) && source.path == "before"};
         }},
        {"Find All", [&](const Progress& p) {
             FindForm form{PatternKind::Ascii, "abc", "", true};
             SearchRequest request;
             request.pattern = {'a', 'b', 'c'};
             const HitList list = collectHits(form, request, doc.data(), std::ssize(doc), p);
             return Outcome{list.cancelled, list.hits.empty() && !list.more};
         }},
        {"Replace All", [&](const Progress& p) {
             const ReplaceAllSplice s = replaceAllSplice(span(doc), {{'a', 'd'}, {'x', 'y', 'z'}}, 1 << 30, p);
             return Outcome{s.cancelled, s.bytes.empty() && s.matches == 0};
         }},
        {"script dump", [&](const Progress& p) {
             DumpRequest r;
             r.to = std::ssize(doc) - 1;
             const DumpResult d = dumpScript(table, span(doc), r, p);
             return Outcome{d.cancelled, d.script.empty() && !d.problem.empty()};
         }},
        {"script insert", [&](const Progress& p) {
             InsertOptions options;
             options.table = &table;
             options.progress = &p;
             const InsertPlan plan = planInsert(span(zeros), script, options);
             return Outcome{plan.cancelled, plan.writes.empty() && plan.textBytes == 0 && !plan.problem.empty()};
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int questions = 0;
        const Outcome whole = row.run(watcher(-1, questions));
        EXPECT_FALSE(whole.cancelled);
        EXPECT_FALSE(whole.nothingDone) << "a run to the end does its work";
        ASSERT_GE(questions, 2) << "the work asks as it goes, not only at its start";
        for (int k = 0; k < questions; ++k) {
            SCOPED_TRACE("stopped at question " + std::to_string(k));
            int asked = 0;
            const Outcome stopped = row.run(watcher(k, asked));
            EXPECT_TRUE(stopped.cancelled);
            EXPECT_TRUE(stopped.nothingDone);
            EXPECT_EQ(asked, k + 1) << "no question after the answer stop";
        }
    }
}

// A window command whose long work the user cancels, then lets run: cancelled it
// changes nothing (`unchanged` holds) and records no undo step; run, it does.
struct CommandRow {
    const char* name;
    std::function<void(test::TestEditor&)> command;
    std::function<bool(test::TestEditor&)> unchanged;
};

TEST(LongWork, CancelledCommandsLeaveTheEditorAsItWas) {
    test::TempDir dir;
    const std::string tbl = dir.file("big.tbl"), scriptFile = dir.file("s.txt");
    test::writeText(tbl, tableLines(3000));
    test::writeText(scriptFile, insertScript(30000));
    const Bytes doc = letters(1 << 20);
    const std::string commands = dir.file("commands.txt");
    test::writeText(commands, "#BLOCK NAME: all\n#TABLE: big.tbl\n#METHOD: RAW\n#SCRIPT START: 0\n#SCRIPT STOP: $100000\n#END BLOCK\n");
    const CommandRow rows[] = {
        {"Replace All",
         [](test::TestEditor& t) { ReplaceAll(t.ed, {PatternKind::Ascii, "ad", "xyz", LengthRule::Resize}); },
         [&](test::TestEditor& t) { return t.document() == doc; }},
        {"Load Table", [&](test::TestEditor& t) { LoadTableFile(t.ed, tbl); },
         [](test::TestEditor& t) { return t.ed.s.table.model().entries().empty() && !t.ed.s.table.source.present; }},
        {"Insert Script", [&](test::TestEditor& t) {
             t.ed.s.table.replace(smallTable());
             t.services.fileDialogAnswers = {scriptFile};
             InsertScriptFile(t.ed, scriptSourcesOnDisk);
         },
         [&](test::TestEditor& t) { return t.document() == doc; }},
        {"Find All", [](test::TestEditor& t) { cmdFindAll_Click(t.ed, {PatternKind::Ascii, "abc", "", true}); },
         [](test::TestEditor& t) { return t.ed.s.search.searchPattern.empty(); }},
        {"Dump Script", [](test::TestEditor& t) {
             t.ed.s.table.replace(smallTable());
             DumpRequest r;
             r.to = t.ed.s.doc.fileSize - 1;
             DumpScriptToFile(t.ed, r);
         },
         [](test::TestEditor& t) { return t.services.dialogs.empty(); }},
        {"Dump Script from a command file", [&](test::TestEditor& t) {
             t.services.fileDialogAnswers = {commands};
             DumpCommandFileToFile(t.ed, loadCommandTables);
         },
         [](test::TestEditor& t) { return t.services.dialogs.size() == 1; }},  // the command file's, not Save As
    };
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(row.name);
        for (const int cancelAfter : {0, 1}) {
            test::TestEditor t(doc);
            t.services.cancelAfter = cancelAfter;
            row.command(t);
            EXPECT_TRUE(row.unchanged(t)) << "cancelled after " << cancelAfter;
            EXPECT_FALSE(t.ed.s.doc.history.canUndo());
            EXPECT_TRUE(t.services.messages.empty()) << t.services.messages.front();
            EXPECT_EQ(t.services.works.size(), 1u) << "the command ran as long work";
        }
        test::TestEditor t(doc);
        row.command(t);
        EXPECT_FALSE(row.unchanged(t)) << "run to its end, the command does what it does";
    }
}

TEST(LongWork, AFailedAllocationIsAMessage) {
    test::TestEditor t(letters(64));
    const bool ran = runCatchingOutOfMemory(t.services, [] {
        std::vector<uint8_t> huge;
        huge.reserve(SIZE_MAX);  // more than can be held: std::length_error
    });
    EXPECT_FALSE(ran);
    ASSERT_EQ(t.services.messages.size(), 1u);
    EXPECT_TRUE(t.services.messages[0].starts_with("Not enough memory to "));
    const bool longRan =
        runLongWork(t.services, "Working...", "do it", [](const Progress&) { throw std::bad_alloc(); });
    EXPECT_FALSE(longRan);
    ASSERT_EQ(t.services.messages.size(), 2u);
    EXPECT_EQ(t.services.messages[1], "Not enough memory to do it. Nothing was changed.");
}

}  // namespace
}  // namespace tarpon
