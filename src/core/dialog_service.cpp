#include "core/dialog_service.h"

#include <algorithm>

#include "screen/services.h"

namespace tarpon {

std::vector<std::pair<std::string, std::string>> splitFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) pairs.emplace_back(parts[i], parts[i + 1]);
    return pairs;
}

std::string nameFilter(const std::string& description, const std::string& pattern) {
    std::string name = description;
    const size_t open = name.rfind(" (");
    if (open != std::string::npos && name.back() == ')') name.erase(open);
    std::string patterns;
    size_t start = 0;
    while (start <= pattern.size()) {
        const size_t semicolon = std::min(pattern.find(';', start), pattern.size());
        std::string one = pattern.substr(start, semicolon - start);
        if (one == "*.*") one = "*";
        if (!one.empty()) patterns += (patterns.empty() ? "" : " ") + one;
        start = semicolon + 1;
    }
    return name + " (" + (patterns.empty() ? "*" : patterns) + ")";
}

std::string clsDialog::ShowOpen(Services& services, const std::string& Title, const std::string& InitDir,
                                const std::string& Filter, uint32_t Flags) {
    return show(services, false, Title, InitDir, Filter, Flags);
}

std::string clsDialog::ShowSave(Services& services, const std::string& Title, const std::string& InitDir,
                                const std::string& Filter, const std::string& DefExt, uint32_t Flags) {
    defExt_ = DefExt;
    return show(services, true, Title, InitDir, Filter, Flags);
}

std::string clsDialog::show(Services& services, bool save, const std::string& title, const std::string& initDir,
                            const std::string& filter, uint32_t flags) {
    FileDialogRequest request;
    request.save = save;
    request.title = title;
    request.startPath = initDir.empty() ? FileName : initDir;
    request.filters = splitFilter(filter);
    request.defaultExtension = defExt_;
    request.fileMustExist = (flags & OFN_FILEMUSTEXIST) != 0;
    request.confirmOverwrite = (flags & OFN_OVERWRITEPROMPT) != 0;
    // The path exactly as chosen: a file name may begin or end with a blank, and
    // trimming it would open, create or overwrite a different file.
    std::string result = services.runFileDialog(request);
    if (!result.empty()) FileName = result;
    return result;
}

}  // namespace tarpon
