#pragma once

#include "toolkit/core/tstring.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

// File names reach the file system as it takes them: UTF-16 on Windows; UTF-8
// elsewhere, a lone surrogate written as "?" so that a bad name names no file instead
// of failing. Everything here goes through the C library: the standard library's file
// streams and paths set up its locale machinery on first use, some 0.5 MB of its pages
// that a program reading two files at start would keep for nothing.

// What a name names, links followed; None when it names nothing or cannot be told.
enum class TFileKind { None, Regular, Folder, Other };
TFileKind FileKindOf(TStringView Name);

// A file opened for reading its bytes, closed with the object.
class TFileReader {
public:
    TFileReader() = default;
    ~TFileReader();
    TFileReader(const TFileReader&) = delete;
    TFileReader& operator=(const TFileReader&) = delete;

    // Opens the named file (closing one opened before); false when it cannot be opened.
    bool Open(TStringView Name);
    bool IsOpen() const { return FFile != nullptr; }
    // Up to Size bytes into Buffer: the count read, 0 at the end, -1 on a read error.
    std::ptrdiff_t Read(void* Buffer, std::size_t Size);
    // The size of an open regular file; -1 for anything else.
    std::int64_t Size() const;

    // The rest of the file into Data, read straight into it, at most Limit bytes: a
    // larger file (or one growing while read, or a device without an end) is refused
    // after one byte past the limit, so memory never goes beyond it. Data is left empty
    // unless Done.
    enum class TReadAll { Done, TooLarge, Failed };
    TReadAll ReadAll(std::vector<std::uint8_t>& Data, std::size_t Limit);

private:
    std::FILE* FFile = nullptr;
};
