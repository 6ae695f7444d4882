#include "patch/patch_commands.h"

#include <cinttypes>
#include <cstdio>

#include "core/file_io.h"
#include "patch/compare.h"
#include "patch/patch_file.h"

namespace tarpon {
namespace {

constexpr const char* kDiffUsage = "Usage: tarpon-hex diff A B";
constexpr const char* kPatchUsage =
    "Usage: tarpon-hex patch create ORIGINAL MODIFIED PATCH.ips|PATCH.bps\n"
    "       tarpon-hex patch apply PATCH.ips|PATCH.bps FILE --out OUTPUT";
constexpr size_t kChunk = size_t{1} << 20;

int usage(std::string& err, const std::string& problem, const char* usageLine) {
    err += "tarpon-hex: " + problem + "\n" + usageLine + "\n";
    return 2;
}

int failure(std::string& err, const std::string& problem, int status = 1) {
    err += "tarpon-hex: " + problem + "\n";
    return status;
}

std::string runLine(const ByteRun& r, uint64_t sizeA, uint64_t sizeB) {
    char line[96];
    std::snprintf(line, sizeof line, "0x%08" PRIX64 "-0x%08" PRIX64 " %" PRIu64 " byte%s", r.start, r.end() - 1,
                  r.length, r.length == 1 ? "" : "s");
    std::string text = line;
    if (r.start >= std::min(sizeA, sizeB)) text += sizeA > sizeB ? ", only in A" : ", only in B";
    return text + "\n";
}

// Reads both files a piece at a time, so their size is no matter for memory.
int compareFiles(InputFile& a, InputFile& b, std::string& out, std::string& err) {
    DiffScanner scanner([&](const ByteRun& r) { out += runLine(r, a.size(), b.size()); });
    ByteStore bufA(kChunk), bufB(kChunk);
    for (uint64_t left = std::min(a.size(), b.size()); left > 0;) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
        size_t gotA = 0, gotB = 0;
        if (!a.read(std::span(bufA).first(want), gotA)) return failure(err, a.error, 2);
        if (!b.read(std::span(bufB).first(want), gotB)) return failure(err, b.error, 2);
        if (gotA != want || gotB != want) return failure(err, "a file grew shorter while it was compared", 2);
        scanner.feed(std::span(bufA).first(want), std::span(bufB).first(want));
        left -= want;
    }
    scanner.finish(a.size(), b.size());
    if (scanner.runs() == 0) return 0;
    if (a.size() != b.size())
        err += "tarpon-hex: the files differ in size (" + std::to_string(a.size()) + " and " + std::to_string(b.size()) +
               " bytes); the last line is the longer one's tail\n";
    return 1;
}

std::optional<ByteStore> readAll(const std::string& path, std::string& err) {
    InputFile file(path, kMaxPatchedFileSize);
    std::optional<ByteStore> bytes = file.ok() ? file.readFirst(file.size()) : std::nullopt;
    if (!bytes) failure(err, file.error);
    return bytes;
}

std::optional<PatchFormat> formatOrUsage(const std::string& path, std::string& err) {
    const std::optional<PatchFormat> format = patchFormatOf(path);
    if (!format) usage(err, "the patch's name must end in .ips or .bps: " + path, kPatchUsage);
    return format;
}

int writeFile(const std::string& path, const ByteStore& bytes, std::string& err) {
    const SaveResult saved = replaceFile(path, bytes.data(), bytes.size(), systemFileIo());
    if (!saved.saved()) return failure(err, path + ": " + saved.error);
    if (!saved.error.empty()) err += "tarpon-hex: " + saved.error + "\n";  // written, but a later step failed
    return 0;
}

int create(const std::vector<std::string>& args, std::string& err) {
    if (args.size() != 5) return usage(err, "patch create needs ORIGINAL, MODIFIED and PATCH", kPatchUsage);
    const std::optional<PatchFormat> format = formatOrUsage(args[4], err);
    if (!format) return 2;
    const std::optional<ByteStore> original = readAll(args[2], err);
    if (!original) return 1;
    const std::optional<ByteStore> modified = readAll(args[3], err);
    if (!modified) return 1;
    const PatchResult patch = createPatch(*format, *original, *modified);
    if (!patch.ok()) return failure(err, patch.error);
    return writeFile(args[4], patch.bytes, err);
}

int apply(const std::vector<std::string>& args, std::string& err) {
    std::vector<std::string> files;
    std::string output;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--out" && i + 1 < args.size()) output = args[++i];
        else if (args[i].starts_with("--")) return usage(err, "unknown option or missing value '" + args[i] + "'", kPatchUsage);
        else files.push_back(args[i]);
    }
    if (files.size() != 2 || output.empty()) return usage(err, "patch apply needs PATCH, FILE and --out OUTPUT", kPatchUsage);
    const std::optional<PatchFormat> format = formatOrUsage(files[0], err);
    if (!format) return 2;
    const std::optional<ByteStore> patch = readAll(files[0], err);
    if (!patch) return 1;
    const std::optional<ByteStore> original = readAll(files[1], err);
    if (!original) return 1;
    const PatchResult result = applyPatch(*format, *patch, *original);
    if (!result.ok()) return failure(err, files[0] + ": " + result.error);
    return writeFile(output, result.bytes, err);
}

}  // namespace

int runDiff(const std::vector<std::string>& args, std::string& out, std::string& err) {
    if (args.size() != 3) return usage(err, "diff needs two files", kDiffUsage);
    InputFile a(args[1], kMaxPatchedFileSize), b(args[2], kMaxPatchedFileSize);
    if (!a.ok()) return failure(err, a.error, 2);
    if (!b.ok()) return failure(err, b.error, 2);
    return compareFiles(a, b, out, err);
}

int runPatch(const std::vector<std::string>& args, std::string& out, std::string& err) {
    (void)out;
    if (args.size() >= 2 && args[1] == "create") return create(args, err);
    if (args.size() >= 2 && args[1] == "apply") return apply(args, err);
    return usage(err, "patch create or patch apply", kPatchUsage);
}

}  // namespace tarpon
