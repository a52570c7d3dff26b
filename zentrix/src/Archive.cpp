// The data archive: files matching a pattern packed into one file of tagged
// chunks, each member compressed with the library's coder (ArchiveCoder.cpp),
// and read back by name or index. The archive record and its directory are
// the only state; every size read from a file is checked against the file.
#include "zentrix.h"

#include "ArchiveCoder.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

enum : uint32_t {
    kChunkStart = 0x1000,
    kChunkHeader = 0x1100,
    kChunkMember = 0x1200,
    kChunkName = 0x1210,
    kChunkFolder = 0x1220,
    kChunkSizes = 0x1230,
    kChunkData = 0x1240,
    kMagic = 0x00585456,
};

constexpr uint32_t kNameBytes = 128;   // member name with its terminator
constexpr uint32_t kFolderBytes = 144; // directory part with its terminator
constexpr uint32_t kLabelBytes = 128;
constexpr uint32_t kCountOffset = 20;
// The smallest member: five chunk headers, a name and a folder of one byte
// and the eight bytes of sizes (an unreadable file has no stream at all).
constexpr uint32_t kMinMemberBytes = 5 * 8 + 1 + 1 + 8;

std::string HostPath(const char *name)
{
    char out[4096];
    return ZentrixResolvePath(name, out, sizeof(out)) ? std::string(out) : std::string();
}

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(const char *a, const char *b)
{
    for (; *a && *b; a++, b++)
        if (Lower(*a) != Lower(*b))
            return false;
    return *a == *b;
}

// '*' any run of characters, '?' any one character, case ignored.
bool MatchesPattern(const char *pattern, const char *name)
{
    const char *starPattern = nullptr, *starName = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starPattern = ++pattern;
            starName = name;
        } else if (*pattern == '?' || (*pattern && Lower(*pattern) == Lower(*name))) {
            pattern++;
            name++;
        } else if (starPattern) {
            pattern = starPattern;
            name = ++starName;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        pattern++;
    return *pattern == '\0';
}

void Put32(uint8_t *at, uint32_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
    at[2] = uint8_t(v >> 16);
    at[3] = uint8_t(v >> 24);
}

uint32_t Get32(const uint8_t *at)
{
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

bool WriteChunk(std::FILE *f, uint32_t id, uint32_t length, const void *content, size_t contentBytes)
{
    uint8_t header[8];
    Put32(header, id);
    Put32(header + 4, length);
    return std::fwrite(header, 1, 8, f) == 8 &&
           (contentBytes == 0 || std::fwrite(content, 1, contentBytes, f) == contentBytes);
}

bool WriteToFile(void *context, const uint8_t *bytes, size_t count)
{
    return std::fwrite(bytes, 1, count, static_cast<std::FILE *>(context)) == count;
}

// Reads a whole regular file; false for anything else, or 4 GiB and more.
bool ReadWholeFile(const std::string &path, std::vector<uint8_t> *bytes)
{
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > UINT32_MAX)
        return false;
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    bytes->resize(size_t(st.st_size));
    const bool ok = bytes->empty() || std::fread(bytes->data(), 1, bytes->size(), f) == bytes->size();
    std::fclose(f);
    return ok;
}

void ReportCreateFailure(const char *text)
{
    // The library has no window of its own: the message goes to stderr.
    std::fprintf(stderr, "GetLastError: %s\n", text);
}

// Appends one member; false when the archive can't be written.
bool WriteMember(std::FILE *f, const std::string &name, const std::string &folder, const std::string &path,
                 uint64_t listedSize)
{
    std::vector<uint8_t> contents;
    const bool readable = ReadWholeFile(path, &contents);
    uint8_t sizes[8];
    Put32(sizes, readable ? uint32_t(contents.size()) : uint32_t(std::min<uint64_t>(listedSize, UINT32_MAX)));
    Put32(sizes + 4, 0);
    // The sizes chunk says 4 bytes and holds 8: readers rely on the 8.
    if (!WriteChunk(f, kChunkMember, 0, nullptr, 0) ||
        !WriteChunk(f, kChunkName, uint32_t(name.size() + 1), name.c_str(), name.size() + 1) ||
        !WriteChunk(f, kChunkFolder, uint32_t(folder.size() + 1), folder.c_str(), folder.size() + 1) ||
        !WriteChunk(f, kChunkSizes, 4, sizes, 8))
        return false;
    const long dataHeader = std::ftell(f);
    if (dataHeader < 0 || !WriteChunk(f, kChunkData, 0xFFFFFFFFu, nullptr, 0))
        return false;
    uint64_t streamBytes = 0;
    if (readable && !zentrix::CompressStream(contents.data(), contents.size(), {WriteToFile, f}, &streamBytes))
        return false;
    if (streamBytes > UINT32_MAX)
        return false;
    uint8_t length[4];
    Put32(length, uint32_t(streamBytes));
    return std::fseek(f, dataHeader + 4, SEEK_SET) == 0 && std::fwrite(length, 1, 4, f) == 4 &&
           std::fseek(f, 0, SEEK_END) == 0;
}

// ---------------------------------------------------------------------
// Reading the chunks

struct Walk {
    uint32_t visited = 0;
    bool malformed = false;
};

using MemberVisitor = int32_t (*)(void *context, int32_t index, const char *name, uint32_t size,
                                  uint32_t compressed, uint32_t offset);

bool ReadAt(int fd, uint64_t offset, void *to, size_t bytes)
{
    if (lseek(fd, off_t(offset), SEEK_SET) != off_t(offset))
        return false;
    auto *p = static_cast<uint8_t *>(to);
    while (bytes) {
        const ssize_t got = read(fd, p, bytes);
        if (got <= 0)
            return false;
        p += got;
        bytes -= size_t(got);
    }
    return true;
}

// Walks the chunks of an open archive of `fileSize` bytes, calling `visit`
// for every member stream until it returns 0 or less. Names and folders
// longer than their buffers, and chunks that run past the file, end the walk
// as malformed.
Walk WalkChunks(int fd, uint64_t fileSize, MemberVisitor visit, void *context)
{
    Walk walk;
    uint8_t header[8];
    if (fileSize < 8 || !ReadAt(fd, 0, header, 8) || Get32(header) != kChunkStart) {
        walk.malformed = true;
        return walk;
    }
    char name[kNameBytes] = "";
    uint32_t size = 0;
    uint64_t at = 8;
    while (at < fileSize) {
        if (fileSize - at < 8 || !ReadAt(fd, at, header, 8)) {
            walk.malformed = true;
            break;
        }
        const uint32_t id = Get32(header), length = Get32(header + 4);
        at += 8;
        const uint64_t left = fileSize - at;
        if (id == kChunkHeader || id == kChunkFolder) {
            if (length > left || (id == kChunkFolder && (length == 0 || length > kFolderBytes))) {
                walk.malformed = true;
                break;
            }
            at += length;
        } else if (id == kChunkMember) {
            name[0] = '\0';
            size = 0;
        } else if (id == kChunkName) {
            if (length == 0 || length > kNameBytes || length > left || !ReadAt(fd, at, name, length)) {
                walk.malformed = true;
                break;
            }
            name[length - 1] = '\0';
            at += length;
        } else if (id == kChunkSizes) {
            uint8_t sizes[8];
            if (left < 8 || !ReadAt(fd, at, sizes, 8)) {
                walk.malformed = true;
                break;
            }
            size = Get32(sizes);
            at += 8;
        } else if (id == kChunkData) {
            if (length > left || at > UINT32_MAX) {
                walk.malformed = true;
                break;
            }
            const int32_t more = visit(context, int32_t(walk.visited), name, size, length, uint32_t(at));
            walk.visited++;
            if (more <= 0)
                break;
            at += length;
        }
        // Any other chunk has no content and is passed over.
    }
    return walk;
}

struct OpenFile {
    int fd = -1;
    uint64_t size = 0;
    ~OpenFile()
    {
        if (fd >= 0)
            close(fd);
    }
};

// Opens a regular file for reading (never a device or a pipe).
bool OpenForReading(const char *name, OpenFile *file)
{
    const std::string path = HostPath(name);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    file->fd = open(path.c_str(), O_RDONLY | O_BINARY);
    if (file->fd < 0 || fstat(file->fd, &st) != 0)
        return false;
    file->size = uint64_t(st.st_size);
    return true;
}

struct EnumContext {
    ZENTRIXENUMPROC callback;
};

int32_t CallEnumCallback(void *context, int32_t index, const char *name, uint32_t size, uint32_t compressed,
                         uint32_t offset)
{
    return static_cast<EnumContext *>(context)->callback(index, name, size, compressed, offset);
}

struct DirectoryFill {
    defZENTRIXARCHIVE *archive;
    bool tooMany = false;
};

int32_t FillEntry(void *context, int32_t index, const char *name, uint32_t size, uint32_t compressed,
                  uint32_t offset)
{
    auto *fill = static_cast<DirectoryFill *>(context);
    if (index >= fill->archive->FileCount) {
        fill->tooMany = true;
        return 0;
    }
    defZENTRIXARCHIVEFILE &entry = fill->archive->pFiles[index];
    std::strncpy(entry.Name, name, sizeof(entry.Name) - 1);
    entry.Name[sizeof(entry.Name) - 1] = '\0';
    entry.CompressedSize = compressed;
    entry.UncompressedSize = size;
    entry.DataOffset = offset;
    return 1;
}

const defZENTRIXARCHIVEFILE *EntryAt(const defZENTRIXARCHIVE *archive, int32_t index)
{
    if (!archive || !archive->pFiles || archive->hFile < 0 || index < 0 || index >= archive->FileCount)
        return nullptr;
    return &archive->pFiles[index];
}

// Reads an entry's stream and decodes it into `sink`.
bool DecodeEntry(const defZENTRIXARCHIVE *archive, const defZENTRIXARCHIVEFILE &entry, zentrix::ByteSink sink)
{
    std::vector<uint8_t> stream;
    try {
        stream.resize(entry.CompressedSize);
    } catch (const std::bad_alloc &) {
        return false;
    }
    if (!stream.empty() && !ReadAt(archive->hFile, entry.DataOffset, stream.data(), stream.size()))
        return false;
    return zentrix::DecompressStream(stream.data(), stream.size(), entry.UncompressedSize, sink);
}

struct BufferSink {
    uint8_t *at;
    size_t left;
};

bool WriteToBuffer(void *context, const uint8_t *bytes, size_t count)
{
    auto *b = static_cast<BufferSink *>(context);
    if (count > b->left)
        return false;
    std::memcpy(b->at, bytes, count);
    b->at += count;
    b->left -= count;
    return true;
}

bool DecodeIntoBuffer(const defZENTRIXARCHIVE *archive, const defZENTRIXARCHIVEFILE &entry, void *destination,
                      uint32_t destinationSize)
{
    if (entry.UncompressedSize > destinationSize || (!destination && entry.UncompressedSize))
        return false;
    BufferSink b{static_cast<uint8_t *>(destination), entry.UncompressedSize};
    return DecodeEntry(archive, entry, {WriteToBuffer, &b});
}

} // namespace

extern "C" {

void CompressFiles(const char *Pattern, const char *ArchiveName)
{
    if (!Pattern || !ArchiveName)
        return;
    // The directory part is stored as written; the host folder is where it leads.
    const char *lastSeparator = nullptr;
    for (const char *p = Pattern; *p; p++)
        if (IsSeparator(*p))
            lastSeparator = p;
    const std::string folder = lastSeparator ? std::string(Pattern, size_t(lastSeparator - Pattern + 1)) : "";
    const char *filePattern = lastSeparator ? lastSeparator + 1 : Pattern;
    if (folder.size() + 1 > kFolderBytes) {
        ReportCreateFailure("the folder of the pattern is too long");
        return;
    }
    const std::string archivePath = HostPath(ArchiveName);
    std::FILE *f = archivePath.empty() ? nullptr : std::fopen(archivePath.c_str(), "wb");
    if (!f) {
        ReportCreateFailure(archivePath.empty() ? "name too long" : std::strerror(errno));
        return;
    }
    uint8_t header[12 + kLabelBytes] = {};
    Put32(header, kMagic);
    Put32(header + 4, 0);
    std::snprintf(reinterpret_cast<char *>(header + 8), kLabelBytes, "Tarnwick Studios Datafile (%s)", ArchiveName);
    bool ok = WriteChunk(f, kChunkStart, 0, nullptr, 0) &&
              WriteChunk(f, kChunkHeader, 8 + kLabelBytes, header, 8 + kLabelBytes);

    std::string hostFolder = folder.empty() ? std::string("./") : HostPath(folder.c_str());
    std::vector<std::string> names;
    if (DIR *dir = hostFolder.empty() ? nullptr : opendir(hostFolder.c_str())) {
        while (const dirent *e = readdir(dir))
            if (MatchesPattern(filePattern, e->d_name))
                names.push_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());

    uint32_t count = 0;
    for (const std::string &name : names) {
        if (!ok)
            break;
        const std::string path = hostFolder + name;
        struct stat st;
        if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || name == ArchiveName)
            continue;
        std::error_code same;
        if (std::filesystem::equivalent(path, archivePath, same)) // the archive itself, under another name
            continue;
        // Readers hold names in 128 bytes; offsets are 32-bit.
        const long end = std::ftell(f);
        if (name.size() + 1 > kNameBytes || end < 0 || uint64_t(end) + uint64_t(st.st_size) * 2 > UINT32_MAX)
            continue;
        ok = WriteMember(f, name, folder, path, uint64_t(st.st_size));
        if (ok)
            count++;
    }
    uint8_t countBytes[4];
    Put32(countBytes, count);
    if (ok)
        ok = std::fseek(f, kCountOffset, SEEK_SET) == 0 && std::fwrite(countBytes, 1, 4, f) == 4;
    if (std::fclose(f) != 0 || !ok)
        ReportCreateFailure("the archive could not be written");
}

uint32_t EnumFiles(const char *ArchiveName, ZENTRIXENUMPROC Callback)
{
    OpenFile file;
    if (!ArchiveName || !Callback || !OpenForReading(ArchiveName, &file))
        return 0;
    EnumContext context{Callback};
    return WalkChunks(file.fd, file.size, CallEnumCallback, &context).visited;
}

uint32_t OpenArchive(const char *ArchiveName, defZENTRIXARCHIVE *Archive)
{
    if (!Archive)
        return 0;
    Archive->FileCount = 0;
    Archive->hFile = -1;
    Archive->pFiles = nullptr;
    OpenFile file;
    if (!ArchiveName || !OpenForReading(ArchiveName, &file))
        return 0;
    uint8_t countBytes[4];
    if (file.size < kCountOffset + 4 || !ReadAt(file.fd, kCountOffset, countBytes, 4))
        return 0;
    const uint32_t count = Get32(countBytes);
    if (count > INT32_MAX || uint64_t(count) * kMinMemberBytes > file.size)
        return 0;
    Archive->FileCount = int32_t(count);
    Archive->pFiles = static_cast<defZENTRIXARCHIVEFILE *>(std::calloc(count ? count : 1, sizeof(defZENTRIXARCHIVEFILE)));
    Archive->hFile = file.fd;
    DirectoryFill fill{Archive};
    const Walk walk = Archive->pFiles ? WalkChunks(file.fd, file.size, FillEntry, &fill) : Walk{0, true};
    file.fd = -1; // the record owns it now
    if (walk.malformed || fill.tooMany || walk.visited != count) {
        CloseArchive(Archive);
        return 0;
    }
    return 1;
}

uint32_t CloseArchive(defZENTRIXARCHIVE *Archive)
{
    if (!Archive)
        return 1;
    std::free(Archive->pFiles);
    Archive->pFiles = nullptr;
    Archive->FileCount = 0;
    if (Archive->hFile >= 0)
        close(Archive->hFile);
    Archive->hFile = -1;
    return 1;
}

int32_t FindArchiveFileByName(const char *Name, defZENTRIXARCHIVE *Archive)
{
    if (!Name || !Archive || !Archive->pFiles)
        return -1;
    for (int32_t i = 0; i < Archive->FileCount; i++)
        if (SameNameIgnoringCase(Archive->pFiles[i].Name, Name))
            return i;
    return -1;
}

uint32_t ReadArchiveFileByIndexSized(int32_t Index, defZENTRIXARCHIVE *Archive, void *Destination,
                                     uint32_t DestinationSize)
{
    const defZENTRIXARCHIVEFILE *entry = EntryAt(Archive, Index);
    return entry && DecodeIntoBuffer(Archive, *entry, Destination, DestinationSize) ? 1 : 0;
}

uint32_t ReadArchiveFileByNameSized(const char *Name, defZENTRIXARCHIVE *Archive, void *Destination,
                                    uint32_t DestinationSize)
{
    if (FindArchiveFileByName(Name, Archive) < 0)
        return 0;
    // Every member of that name in turn, so the last one is left.
    bool ok = true;
    for (int32_t i = 0; i < Archive->FileCount; i++)
        if (SameNameIgnoringCase(Archive->pFiles[i].Name, Name))
            ok = ReadArchiveFileByIndexSized(i, Archive, Destination, DestinationSize) && ok;
    return ok ? 1 : 0;
}

uint32_t ReadArchiveFileByName(const char *Name, defZENTRIXARCHIVE *Archive, void *Destination)
{
    const int32_t first = FindArchiveFileByName(Name, Archive);
    if (first < 0)
        return 0;
    return ReadArchiveFileByNameSized(Name, Archive, Destination, Archive->pFiles[first].UncompressedSize);
}

uint32_t ReadArchiveFileByIndex(int32_t Index, defZENTRIXARCHIVE *Archive, void *Destination)
{
    const defZENTRIXARCHIVEFILE *entry = EntryAt(Archive, Index);
    return entry ? ReadArchiveFileByIndexSized(Index, Archive, Destination, entry->UncompressedSize) : 0;
}

uint32_t ReadArchiveFileToDiskByIndex(int32_t Index, defZENTRIXARCHIVE *Archive, const char *OutputName)
{
    const defZENTRIXARCHIVEFILE *entry = EntryAt(Archive, Index);
    const std::string path = OutputName ? HostPath(OutputName) : std::string();
    if (!entry || path.empty())
        return 0;
    // Decoded under a temporary name beside the target, renamed when whole.
    static unsigned serial = 0;
    const size_t slash = path.find_last_of('/');
    const std::string temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                             ".zentrix-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + ".part";
    std::FILE *f = std::fopen(temp.c_str(), "wb");
    if (!f)
        return 0;
    bool ok = DecodeEntry(Archive, *entry, {WriteToFile, f});
    ok = std::fclose(f) == 0 && ok;
    std::error_code ec;
    if (ok)
        std::filesystem::rename(temp, path, ec); // replaces an older file
    if (ok && !ec)
        return 1;
    std::remove(temp.c_str());
    return 0;
}

} // extern "C"
