// The settings file's system side on POSIX systems: names as UTF-8 bytes, the atomic
// replace by rename(2).
#include "toolkit/text/profilefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>

namespace {

// A file or folder without any write permission bit is read-only for everyone, as the
// read-only attribute is on Windows; otherwise the process's own rights decide.
bool Writable(const std::string& Path, const struct stat& Info)
{
    return (Info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && access(Path.c_str(), W_OK) == 0;
}

bool WriteAll(int Descriptor, std::string_view Data)
{
    while (!Data.empty()) {
        const ssize_t Count = write(Descriptor, Data.data(), Data.size());
        if (Count < 0 && errno == EINTR) {
            continue;
        }
        if (Count <= 0) {
            return false;
        }
        Data.remove_prefix(size_t(Count));
    }
    return true;
}

} // namespace

TProfileEntry ProfileEntry(TStringView Name)
{
    const std::string Path = StringToUtf8(Name);
    struct stat Info;
    if (Path.empty() || stat(Path.c_str(), &Info) != 0) {
        return {};
    }
    const TProfileEntryKind Kind
        = S_ISREG(Info.st_mode) ? TProfileEntryKind::File : TProfileEntryKind::Other;
    return { Kind, Writable(Path, Info) };
}

bool ProfileFolderWritable(TStringView Name)
{
    const std::string Path = StringToUtf8(Name);
    const size_t Slash = Path.rfind('/');
    const std::string Folder
        = Slash == std::string::npos ? std::string(".") : Path.substr(0, Slash == 0 ? 1 : Slash);
    struct stat Info;
    return !Path.empty() && stat(Folder.c_str(), &Info) == 0 && S_ISDIR(Info.st_mode)
        && Writable(Folder, Info);
}

std::FILE* ProfileOpenRead(TStringView Name)
{
    return std::fopen(StringToUtf8(Name).c_str(), "rb");
}

bool ProfileReplace(TStringView Name, std::string_view Data)
{
    const std::string Path = StringToUtf8(Name);
    struct stat Old;
    const bool Existed = stat(Path.c_str(), &Old) == 0;
    // A name of its own beside the file, made with O_EXCL; created with mode 0666 so
    // that the umask applies to a new file as to any other.
    static std::atomic<unsigned> Counter = 0;
    std::string Temporary;
    int Descriptor = -1;
    for (int Attempt = 0; Attempt < 100 && Descriptor < 0; ++Attempt) {
        Temporary = Path + "." + std::to_string(getpid()) + "."
            + std::to_string(Counter++ ^ unsigned(std::time(nullptr))) + ".tmp";
        Descriptor = open(Temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (Descriptor < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (Descriptor < 0) {
        return false;
    }
    bool Done = WriteAll(Descriptor, Data)
        && (!Existed || fchmod(Descriptor, Old.st_mode & 07777) == 0) && fsync(Descriptor) == 0;
    Done = close(Descriptor) == 0 && Done;
    Done = Done && std::rename(Temporary.c_str(), Path.c_str()) == 0;
    if (!Done) {
        unlink(Temporary.c_str());
    }
    return Done;
}
