#pragma once

#include "toolkit/core/tstring.h"

#include <cstdio>
#include <string_view>

// What the settings file needs from the file system, one small file per system
// (profile_posix.cpp, profile_windows.cpp): names are the toolkit's text, converted to
// the system's own (UTF-8 bytes, UTF-16 wide text) there and nowhere else.

enum class TProfileEntryKind { Missing, File, Other };

// What lies at Name, and whether this process may write it: a file or folder without
// any write permission bit (or with the read-only attribute) counts as read-only for
// everyone, the superuser included.
struct TProfileEntry {
    TProfileEntryKind Kind = TProfileEntryKind::Missing;
    bool Writable = false;
};
TProfileEntry ProfileEntry(TStringView Name);

// Whether the folder that holds Name (Name taken from the current folder when
// relative) exists and may be written.
bool ProfileFolderWritable(TStringView Name);

// Name opened for reading in binary mode, or null.
std::FILE* ProfileOpenRead(TStringView Name);

// Data written to a new file beside Name, forced to the disk, which then takes Name's
// place in one step; the new file keeps Name's permissions when Name exists. On any
// failure Name is left as it was and the new file is removed.
bool ProfileReplace(TStringView Name, std::string_view Data);
