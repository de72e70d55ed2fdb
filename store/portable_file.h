#pragma once
// What a file must hold to be imported as the portable file: an export of the registry editor's
// format whose every key lies at or below the base key under the current user. A file imported
// from the current directory may come from anyone; one that would write elsewhere (a start-up
// entry, another program's settings) is not a portable file.
#include <cstddef>

// Bounds the whole file read before an import: far more than an export of every slot that can
// be named, each with a full key map, in UTF-16.
constexpr size_t kMaxPortableFileBytes = size_t{4} << 20;

// `bytes` is the whole file: 8-bit text (after a UTF-8 byte-order mark, if any) or UTF-16LE
// after its byte-order mark.
bool IsPortableFile(const unsigned char* bytes, size_t size);
