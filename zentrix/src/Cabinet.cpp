// Cabinet extraction: libmspack decodes the folders (stored, MSZIP, Quantum,
// LZX); this module drives it file by file through the notifications of the
// cabinet interface (copy file, close file information), writes each file
// under a temporary name, and keeps the text of the last error.
#include "zentrix.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <list>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#ifdef _WIN32
#include <sys/utime.h>
#endif

#include <mspack.h>

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

char gCabError[256] = "No error";
std::string gTargetDir; // ends with a separator

// Error codes of the cabinet interface.
enum CabErrorCode {
    kNone = 0,
    kCabinetNotFound = 1,
    kNotACabinet = 2,
    kUnknownVersion = 3,
    kCorruptCabinet = 4,
    kAllocFail = 5,
    kBadCompressionType = 6,
    kMdiFail = 7,
    kTargetFile = 8,
    kReserveMismatch = 9,
    kWrongCabinet = 10,
    kUserAbort = 11,
};

const char *ErrorText(int code)
{
    static const char *const kTexts[] = {
        "No error",
        "Cabinet not found",
        "Not a cabinet",
        "Unknown cabinet version",
        "Corrupt cabinet",
        "Memory allocation failed",
        "Unknown compression type",
        "Failure decompressing data",
        "Failure writing to target file",
        "Cabinets in set have different RESERVE sizes",
        "Cabinet returned on fdintNEXT_CABINET is incorrect",
        "User aborted",
    };
    return code >= 0 && code <= kUserAbort ? kTexts[code] : "Unknown error";
}

void SetError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(gCabError, sizeof(gCabError), format, args);
    va_end(args);
}

void SetErrorCode(int code)
{
    SetError("%s", ErrorText(code));
}

int CodeOfMspackError(int error)
{
    switch (error) {
    case MSPACK_ERR_OK: return kNone;
    case MSPACK_ERR_OPEN: return kCabinetNotFound;
    case MSPACK_ERR_WRITE: return kTargetFile;
    case MSPACK_ERR_NOMEMORY: return kAllocFail;
    case MSPACK_ERR_SIGNATURE: return kNotACabinet;
    case MSPACK_ERR_DECRUNCH: return kMdiFail;
    default: return kCorruptCabinet; // read, seek, data format, checksum
    }
}

// ---------------------------------------------------------------------
// The decompressor's system calls: low-level files, plain allocation, no
// messages (errors come back as codes).

struct CabFile {
    int fd;
};

mspack_file *SysOpen(mspack_system *, const char *name, int mode)
{
    int flags = O_BINARY;
    switch (mode) {
    case MSPACK_SYS_OPEN_READ: flags |= O_RDONLY; break;
    case MSPACK_SYS_OPEN_WRITE: flags |= O_WRONLY | O_CREAT | O_TRUNC; break;
    case MSPACK_SYS_OPEN_UPDATE: flags |= O_RDWR; break;
    case MSPACK_SYS_OPEN_APPEND: flags |= O_WRONLY | O_APPEND; break;
    default: return nullptr;
    }
    if (mode == MSPACK_SYS_OPEN_READ) {
        struct stat st;
        if (stat(name, &st) != 0 || !S_ISREG(st.st_mode))
            return nullptr; // never a pipe or a device
    }
    const int fd = open(name, flags, 0666);
    if (fd < 0)
        return nullptr;
    auto *file = static_cast<CabFile *>(std::malloc(sizeof(CabFile)));
    if (!file) {
        close(fd);
        return nullptr;
    }
    file->fd = fd;
    return reinterpret_cast<mspack_file *>(file);
}

void SysClose(mspack_file *file)
{
    auto *f = reinterpret_cast<CabFile *>(file);
    if (f) {
        close(f->fd);
        std::free(f);
    }
}

int SysRead(mspack_file *file, void *buffer, int bytes)
{
    auto *f = reinterpret_cast<CabFile *>(file);
    if (!f || bytes < 0)
        return -1;
    int total = 0;
    while (total < bytes) {
        const ssize_t got = read(f->fd, static_cast<char *>(buffer) + total, size_t(bytes - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += int(got);
    }
    return total;
}

int SysWrite(mspack_file *file, void *buffer, int bytes)
{
    auto *f = reinterpret_cast<CabFile *>(file);
    if (!f || bytes < 0)
        return -1;
    int total = 0;
    while (total < bytes) {
        const ssize_t put = write(f->fd, static_cast<char *>(buffer) + total, size_t(bytes - total));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return -1;
        total += int(put);
    }
    return total;
}

int SysSeek(mspack_file *file, off_t offset, int mode)
{
    auto *f = reinterpret_cast<CabFile *>(file);
    const int whence = mode == MSPACK_SYS_SEEK_START ? SEEK_SET : mode == MSPACK_SYS_SEEK_CUR ? SEEK_CUR : SEEK_END;
    return f && lseek(f->fd, offset, whence) >= 0 ? 0 : -1;
}

off_t SysTell(mspack_file *file)
{
    auto *f = reinterpret_cast<CabFile *>(file);
    return f ? lseek(f->fd, 0, SEEK_CUR) : -1;
}

void SysMessage(mspack_file *, const char *, ...) {}

void *SysAlloc(mspack_system *, size_t bytes)
{
    return std::malloc(bytes);
}

void SysFree(void *p)
{
    std::free(p);
}

void SysCopy(void *src, void *dest, size_t bytes)
{
    std::memmove(dest, src, bytes);
}

mspack_system gSystem = {SysOpen, SysClose, SysRead, SysWrite, SysSeek, SysTell,
                         SysMessage, SysAlloc, SysFree, SysCopy, nullptr};

// ---------------------------------------------------------------------
// Names and files

// Cabinet names are UTF-8 when the file says so, else 8-bit text taken as
// ISO-8859-1; both come out as UTF-8.
std::string NameOf(const mscabd_file *file)
{
    std::string name;
    for (const unsigned char *p = reinterpret_cast<const unsigned char *>(file->filename); *p; p++) {
        if (*p < 0x80 || (file->attribs & MSCAB_ATTRIB_UTF_NAME)) {
            name += char(*p);
        } else {
            name += char(0xC0 | (*p >> 6));
            name += char(0x80 | (*p & 0x3F));
        }
    }
    return name;
}

// Gives the file the time the cabinet records for it, leaving its access time.
void SetModifiedTime(const std::string &path, time_t when)
{
#ifdef _WIN32
    struct stat st;
    struct _utimbuf times;
    times.actime = stat(path.c_str(), &st) == 0 ? st.st_atime : when;
    times.modtime = when;
    _utime(path.c_str(), &times);
#else
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    utimensat(AT_FDCWD, path.c_str(), times, 0);
#endif
}

// Makes the folders of `path` below the target folder.
bool MakeParentFolders(const std::string &path)
{
    for (size_t at = gTargetDir.size(); (at = path.find('/', at)) != std::string::npos; at++) {
        const std::string folder = path.substr(0, at);
        std::error_code ec;
        std::filesystem::create_directory(folder, ec);
        if (ec)
            return false;
    }
    return true;
}

// The cabinet's local date and time, as a time of this system.
time_t TimeOf(const mscabd_file *file)
{
    std::tm t{};
    t.tm_year = file->date_y - 1900;
    t.tm_mon = file->date_m - 1;
    t.tm_mday = file->date_d;
    t.tm_hour = file->time_h;
    t.tm_min = file->time_m;
    t.tm_sec = file->time_s;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

// One file on its way out: where it goes and what the cabinet says of it.
struct Extraction {
    const mscabd_file *file;
    std::string finalPath;
    std::string tempPath;
};

enum Notification {
    kCabinetInfo = 0,
    kPartialFile = 1,
    kCopyFile = 2,
    kCloseFileInfo = 3,
    kNextCabinet = 4,
};

// The notification callback. Copy file: every file is taken; its folders
// are made and a temporary name beside it is chosen (1, or 0 when the name
// leaves nothing or the folders can't be made). Close file information:
// the file gets its final name, the cabinet's time as its modification
// time, and read-only when the cabinet says so (hidden, system and archive
// have no counterpart on this file system). Anything else: 0.
int Notify(int type, Extraction *x)
{
    static unsigned serial = 0;
    if (type == kCopyFile) {
        char path[4096];
        if (!ZentrixMemberPath(gTargetDir.c_str(), NameOf(x->file).c_str(), path, sizeof(path)))
            return 0;
        x->finalPath = path;
        if (!MakeParentFolders(x->finalPath))
            return 0;
        const std::string folder = x->finalPath.substr(0, x->finalPath.rfind('/') + 1);
        x->tempPath = folder + ".zentrix-cab-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".part";
        return 1;
    }
    if (type == kCloseFileInfo) {
        std::error_code ec;
        std::filesystem::rename(x->tempPath, x->finalPath, ec); // replaces an older file
        if (ec)
            return 0;
        const time_t when = TimeOf(x->file);
        if (when != time_t(-1))
            SetModifiedTime(x->finalPath, when); // a failure here is ignored
        const int attributes = x->file->attribs & 0x27;
        if (attributes & MSCAB_ATTRIB_RDONLY) {
            struct stat st;
            if (stat(x->finalPath.c_str(), &st) == 0)
                chmod(x->finalPath.c_str(), st.st_mode & ~mode_t(0222));
        }
        return 1;
    }
    return 0;
}

// Opens the other cabinets of a set, the earlier ones and the later ones,
// from the folder of the one given; *first becomes the set's first cabinet.
// False when one is missing (the files that need it then fail). The
// decompressor keeps the name pointers, so `names` holds them until the set
// is closed.
bool JoinSet(mscab_decompressor *d, mscabd_cabinet **first, const std::string &folder,
             std::list<std::string> *names)
{
    bool whole = true;
    for (int backwards = 1; backwards >= 0; backwards--) {
        mscabd_cabinet *end = *first;
        if (!backwards)
            while (end->nextcab)
                end = end->nextcab;
        for (int guard = 0; guard < 256; guard++) {
            const int flag = backwards ? MSCAB_HDR_PREVCAB : MSCAB_HDR_NEXTCAB;
            const char *name = backwards ? end->prevname : end->nextname;
            if (!(end->flags & flag))
                break;
            char path[4096];
            mscabd_cabinet *other = nullptr;
            if (name && ZentrixMemberPath(folder.c_str(), name, path, sizeof(path))) {
                names->push_back(path);
                other = d->open(d, names->back().c_str());
            }
            if (other && (backwards ? d->prepend(d, end, other) : d->append(d, end, other)) != MSPACK_ERR_OK) {
                d->close(d, other);
                other = nullptr;
            }
            if (!other) {
                whole = false;
                break;
            }
            end = other;
        }
        if (backwards)
            *first = end;
    }
    return whole;
}

} // namespace

extern "C" {

uint32_t DecompressCAB(const char *CabinetPath, const char *TargetDir)
{
    if (!CabinetPath || !TargetDir) {
        SetErrorCode(kCabinetNotFound);
        return 0;
    }
    char resolved[4096];
    gTargetDir = ZentrixResolvePath(TargetDir, resolved, sizeof(resolved)) ? resolved : TargetDir;
    if (!gTargetDir.empty() && gTargetDir.back() != '/')
        gTargetDir += '/';

    int selftest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selftest);
    mscab_decompressor *d = selftest == MSPACK_ERR_OK ? mspack_create_cab_decompressor(&gSystem) : nullptr;
    if (!d) {
        SetErrorCode(selftest == MSPACK_ERR_OK ? kAllocFail : kUnknownVersion);
        return 0;
    }
    const std::string path = ZentrixResolvePath(CabinetPath, resolved, sizeof(resolved)) ? resolved : "";
    mspack_file *probe = path.empty() ? nullptr : SysOpen(&gSystem, path.c_str(), MSPACK_SYS_OPEN_READ);
    if (!probe) {
        SetError("Unable to open '%s' for input\n", CabinetPath);
        mspack_destroy_cab_decompressor(d);
        return 0;
    }
    SysClose(probe);
    mscabd_cabinet *cab = d->open(d, path.c_str());
    if (!cab) {
        const int code = CodeOfMspackError(d->last_error(d));
        if (code == kNotACabinet || code == kCabinetNotFound)
            SetError("FDIIsCabinet() failed: '%s' is not a cabinet\n", CabinetPath);
        else
            SetErrorCode(code);
        mspack_destroy_cab_decompressor(d);
        return 0;
    }
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::list<std::string> setNames;
    const bool wholeSet = JoinSet(d, &cab, folder, &setNames);

    std::error_code made;
    std::filesystem::create_directory(gTargetDir, made);
    int firstError = kNone;
    for (const mscabd_file *file = cab->files; file; file = file->next) {
        Extraction x{file, {}, {}};
        Notify(kCabinetInfo, &x);
        int code = kNone;
        if (!Notify(kCopyFile, &x)) {
            code = kTargetFile;
        } else if (MSCABD_COMP_METHOD(file->folder->comp_type) > MSCAB_COMP_LZX) {
            code = kBadCompressionType;
        } else {
            const int result = d->extract(d, const_cast<mscabd_file *>(file), x.tempPath.c_str());
            if (result == MSPACK_ERR_OPEN)
                code = kTargetFile; // the cabinets are open: it is the target that failed
            else if ((result == MSPACK_ERR_DATAFORMAT || result == MSPACK_ERR_DECRUNCH) && !wholeSet)
                code = kCabinetNotFound; // the file runs into a cabinet that isn't there
            else
                code = CodeOfMspackError(result);
            if (code == kNone && !Notify(kCloseFileInfo, &x))
                code = kTargetFile;
        }
        if (code != kNone) {
            std::remove(x.tempPath.c_str()); // no half-written file is left
            if (firstError == kNone)
                firstError = code;
        }
    }
    d->close(d, cab); // closes the cabinets joined to it as well
    mspack_destroy_cab_decompressor(d);
    if (firstError != kNone) {
        SetErrorCode(firstError);
        return 0;
    }
    return 1; // the text of an earlier failure stays, as "last error" says
}

uint32_t GetCABError(char *Buffer)
{
    if (!Buffer)
        return 0;
    const size_t bytes = std::strlen(gCabError) + 1;
    std::memcpy(Buffer, gCabError, bytes);
    return uint32_t(bytes);
}

} // extern "C"
