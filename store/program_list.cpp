#include "store/program_list.h"

#include <cstdint>

namespace {
constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kNotInFileName = "\\/:*?\"<>|";
constexpr std::string_view kFolderSeparators = "\\/";
constexpr std::string_view kDefaultExtension = ".exe";
constexpr auto kNone = std::string_view::npos;

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == kNone)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The entries in order, blanks trimmed, empty ones skipped, until `found` says yes.
template <class Found> bool AnyEntry(std::string_view list, Found found) {
    for (;;) {
        const size_t end = list.find(kProgramSeparator);
        const std::string_view entry = Trimmed(list.substr(0, end));
        if (!entry.empty() && found(entry))
            return true;
        if (end == kNone)
            return false;
        list.remove_prefix(end + 1);
    }
}

char Folded(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Folded(a[i]) != Folded(b[i]))
            return false;
    return true;
}

bool EntryNames(std::string_view entry, std::string_view fileName) {
    if (!IsPlainFileName(entry))
        return false;
    if (SameName(entry, fileName))
        return true;
    return entry.find('.') == kNone && fileName.size() == entry.size() + kDefaultExtension.size() &&
           SameName(fileName.substr(0, entry.size()), entry) &&
           SameName(fileName.substr(entry.size()), kDefaultExtension);
}
} // namespace

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.back() == '.')
        return false;
    for (const char c : name)
        if (static_cast<uint8_t>(c) < ' ' || kNotInFileName.find(c) != kNone)
            return false;
    return true;
}

std::string_view FirstBadProgram(std::string_view list) {
    std::string_view bad;
    AnyEntry(list, [&bad](std::string_view entry) {
        if (IsPlainFileName(entry))
            return false;
        bad = entry;
        return true;
    });
    return bad;
}

bool ListNamesProgram(std::string_view list, std::string_view imagePath) {
    const size_t folder = imagePath.find_last_of(kFolderSeparators);
    const std::string_view fileName = folder == kNone ? imagePath : imagePath.substr(folder + 1);
    return AnyEntry(list,
                    [fileName](std::string_view entry) { return EntryNames(entry, fileName); });
}

bool ListNamesAnyProgram(std::string_view list) {
    return AnyEntry(list, IsPlainFileName);
}
