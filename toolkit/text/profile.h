#pragma once

#include "toolkit/core/tstring.h"

#include <cstdint>

// Settings files in the INI layout, read and written one value at a time with the
// rules of the Windows private-profile functions:
//   - "[name]" starts a section, "key=value" is an entry, lines starting with ";"
//     are comments; lines before the first section belong to no section;
//   - section and key names compare without regard to case; blanks (spaces, tabs)
//     around names and values are ignored; one pair of matching double or single
//     quotes around a value is removed;
//   - only the first section of a name is searched, and in it the first entry of a key;
//   - a line ends at CR LF, at LF or at a lone CR; a UTF-8 byte order mark and a
//     missing final line end are accepted; the text is UTF-8, or Latin-1 when it is
//     not valid UTF-8.
// Reading and writing take time in proportion to the file's size, whatever its lines.
// Files larger than ProfileMaxSize are not read: reading gives the default and writing
// fails, so a huge file costs no memory. Only regular files are read: a folder, a
// device or a named pipe reads as a missing file (and cannot be written).

constexpr std::int64_t ProfileMaxSize = 16 * 1024 * 1024;

// The value of Key in Section, or Default (trailing blanks removed, as Windows does)
// when the file, section or key is missing or unreadable. The result holds at most
// BufferSize - 1 characters.
TString GetPrivateProfileString(TStringView Section, TStringView Key, TStringView Default,
    TStringView FileName, int BufferSize = 2048);

// Sets Key in Section to Value. The first entry of the key gets the new value in
// place; a missing key is added after the last line of its section that is not blank;
// a missing section is appended right after the file's last line, with no blank line
// before it (a line end is added first when that line has none); a missing file is
// created. Every other byte of the file is kept, line ends, NUL bytes and byte order
// mark included; new lines take the file's own line end, that of its first line (CR LF
// when the file has none, as Windows writes them). The new content goes to a temporary
// file in the same folder which then replaces the old one, so the old file stays
// intact on any failure. Returns false on failure: the file or its folder is not
// writable (a file or folder without any write permission bit counts as read-only,
// even for the superuser), the disk is full, the file is too large or cannot be read,
// a name or value holds a line break or NUL (it would corrupt the file), the key is
// blank, holds "=" or starts with "[" or ";", the section name holds "]", or the file
// is Latin-1 and the new text has characters Latin-1 cannot store or the changed file
// would read as UTF-8 (and so read back other characters than were written).
bool WritePrivateProfileString(
    TStringView Section, TStringView Key, TStringView Value, TStringView FileName);
