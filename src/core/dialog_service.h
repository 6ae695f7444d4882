#pragma once
// The one file chooser object the document and table commands share. It remembers
// the last path chosen through it and starts there when a caller gives no folder.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarpon {

class Services;

inline constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr uint32_t OFN_LONGNAMES = 0x200000;

// "All Files (*.*)|*.*|" -> {("All Files (*.*)", "*.*")}; a trailing "|" is optional.
std::vector<std::pair<std::string, std::string>> splitFilter(const std::string& filter);

// One filter as the chooser lists it: the description once, with the patterns in
// parentheses. "*.*" means every file, also one without a dot, so it becomes "*":
// ("All Files (*.*)", "*.*") -> "All Files (*)"; ("Table Files", "*.tbl;*.TBL") ->
// "Table Files (*.tbl *.TBL)".
std::string nameFilter(const std::string& description, const std::string& pattern);

class clsDialog {
public:
    std::string ShowOpen(Services& services, const std::string& Title, const std::string& InitDir = "",
                         const std::string& Filter = "", uint32_t Flags = 0);
    std::string ShowSave(Services& services, const std::string& Title, const std::string& InitDir = "",
                         const std::string& Filter = "", const std::string& DefExt = "", uint32_t Flags = 0);

    std::string FileName;  // the last path chosen through this object

private:
    std::string show(Services& services, bool save, const std::string& title, const std::string& initDir,
                     const std::string& filter, uint32_t flags);
    std::string defExt_;  // kept between calls: an open dialog after a save still uses it
};

}  // namespace tarpon
