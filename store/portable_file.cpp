#include "store/portable_file.h"

#include <cstring>
#include <initializer_list>

#include "store/registry_layout.h"

namespace {
constexpr char kExportHeader[] = "Windows Registry Editor Version 5.00";
constexpr char kOldExportHeader[] = "REGEDIT4";
constexpr char kUserRoot[] = "HKEY_CURRENT_USER\\";
// A character outside ASCII, which no name of ours holds.
constexpr char kForeign = '\x7f';

// The file's characters in 8 bits, however it is encoded.
class FileText {
  public:
    FileText(const unsigned char* bytes, size_t size) : bytes_(bytes) {
        if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            wide_ = true;
            bytes_ += 2;
            size_ = (size - 2) / 2;
        } else {
            const bool mark = size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
            bytes_ += mark ? 3 : 0;
            size_ = size - (mark ? 3 : 0);
        }
    }
    size_t Size() const { return size_; }
    char At(size_t i) const {
        const unsigned unit = wide_ ? bytes_[2 * i] | bytes_[2 * i + 1] << 8 : bytes_[i];
        return unit < 0x80 ? static_cast<char>(unit) : kForeign;
    }

  private:
    const unsigned char* bytes_;
    size_t size_ = 0;
    bool wide_ = false;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The characters from `from` spell `word`, regardless of case.
bool Spells(const FileText& text, size_t from, size_t end, const char* word) {
    const size_t length = std::strlen(word);
    if (end - from < length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (Lower(text.At(from + i)) != Lower(word[i]))
            return false;
    return true;
}

// reg.exe takes the whole first line, after blanks, as the header.
bool IsHeader(const FileText& text, size_t from, size_t end) {
    for (const char* header : {kExportHeader, kOldExportHeader})
        if (end - from == std::strlen(header) && Spells(text, from, end, header))
            return true;
    return false;
}

// A key line, after its '[' and an optional '-' (deletion): the name runs to the line's last
// ']' and is the base key under the current user or a key below it. Read to the first ']'
// instead, such a name still stays at or below the base key.
bool NamesPortableKey(const FileText& text, size_t from, size_t end) {
    if (from < end && text.At(from) == '-')
        ++from;
    size_t close = end;
    while (close > from && text.At(close - 1) != ']')
        --close;
    if (close == from)
        return false;
    const size_t nameEnd = close - 1;
    const size_t baseEnd = from + (sizeof(kUserRoot) - 1) + kBaseKeyLength;
    return Spells(text, from, nameEnd, kUserRoot) &&
           Spells(text, from + sizeof(kUserRoot) - 1, nameEnd, kBaseKeyPath) &&
           (nameEnd == baseEnd || text.At(baseEnd) == '\\');
}

// Lines end at CR, at LF, and, to be safe, at NUL, which the registry editor may take as an end.
bool EndsLine(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}
} // namespace

bool IsPortableFile(const unsigned char* bytes, size_t size) {
    const FileText text(bytes, size);
    for (size_t line = 0; line <= text.Size();) {
        size_t end = line;
        while (end < text.Size() && !EndsLine(text.At(end)))
            ++end;
        size_t from = line;
        while (from < end && (text.At(from) == ' ' || text.At(from) == '\t'))
            ++from;
        const bool refused = line == 0 ? !IsHeader(text, from, end)
                                       : from < end && text.At(from) == '[' &&
                                             !NamesPortableKey(text, from + 1, end);
        if (refused)
            return false;
        line = end + 1;
    }
    return true;
}
