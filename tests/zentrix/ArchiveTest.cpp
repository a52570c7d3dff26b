// Data archive: the coder's known streams and round trips, the decoder's
// refusals, archives built by CompressFiles and by hand (hostile ones), the
// sized reads, and member names kept under their target folder.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compress(const Bytes &in)
{
    Bytes out(ZentrixCompressBound(uint32_t(in.size())));
    out.resize(ZentrixCompress(in.data(), uint32_t(in.size()), out.data(), uint32_t(out.size())));
    return out;
}

struct CoderCase {
    const char *name;
    Bytes input;
};

Bytes Random(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &v : b)
        v = uint8_t(rng());
    return b;
}

Bytes Text()
{
    std::string s;
    for (int i = 0; i < 400; i++)
        s += "Line " + std::to_string(i * 7 % 53) + ": the quick brown fish swims under the light beams.\n";
    return Bytes(s.begin(), s.end());
}

Bytes Runs()
{
    Bytes b;
    for (int i = 0; i < 40; i++)
        b.insert(b.end(), size_t(300 + i * 97), uint8_t(i * 13));
    return b;
}

class CoderRoundTrip : public testing::TestWithParam<CoderCase> {};

TEST_P(CoderRoundTrip, DecodesToTheInputAndRefusesWrongSizes)
{
    const Bytes &in = GetParam().input;
    const Bytes stream = Compress(in);
    ASSERT_FALSE(stream.empty());
    EXPECT_LE(stream.size(), ZentrixCompressBound(uint32_t(in.size())));
    Bytes out(in.size() + 16, 0xA5);
    ASSERT_EQ(ZentrixDecompress(stream.data(), uint32_t(stream.size()), out.data(), uint32_t(in.size())), 1u);
    EXPECT_TRUE(std::equal(in.begin(), in.end(), out.begin()));
    for (size_t i = in.size(); i < out.size(); i++)
        ASSERT_EQ(out[i], 0xA5) << "written past the output at " << i;
    // One byte too few room, or one byte more expected: refused.
    if (!in.empty()) {
        EXPECT_EQ(ZentrixDecompress(stream.data(), uint32_t(stream.size()), out.data(), uint32_t(in.size() - 1)), 0u);
    }
    EXPECT_EQ(ZentrixDecompress(stream.data(), uint32_t(stream.size()), out.data(), uint32_t(in.size() + 1)), 0u);
    // A stream cut short never ends well.
    EXPECT_EQ(ZentrixDecompress(stream.data(), uint32_t(stream.size() - 1), out.data(), uint32_t(in.size())), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, CoderRoundTrip,
    testing::Values(CoderCase{"ZeroLength", {}}, CoderCase{"OneByte", {42}},
                    CoderCase{"ThousandEqualBytes", Bytes(1000, 0x77)}, CoderCase{"Text", Text()},
                    CoderCase{"RandomBytes", Random(20000, 1)},
                    CoderCase{"Exactly4096", Random(4096, 2)}, CoderCase{"Exactly4097", Random(4097, 3)},
                    CoderCase{"LongRuns", Runs()}, CoderCase{"TextPast4096Window", [] {
                                  Bytes t = Text();
                                  t.insert(t.end(), t.begin(), t.begin() + 5000);
                                  return t;
                              }()}),
    [](const testing::TestParamInfo<CoderCase> &info) { return std::string(info.param.name); });

TEST(Coder, KnownStreams)
{
    EXPECT_EQ(Compress({}), (Bytes{0x01, 0x00}));
    // 1000 equal bytes: a literal, matches of distance 1 (7 of 128, one of
    // 103), the end mark: 9 + 8 * 20 + 13 bits.
    const Bytes s = Compress(Bytes(1000, 0x77));
    ASSERT_EQ(s.size(), 23u);
    uint64_t bits = 0;
    for (int i = 0; i < 8; i++)
        bits |= uint64_t(s[i]) << (8 * i);
    EXPECT_EQ(bits & 1, 0u);               // flag: literal
    EXPECT_EQ((bits >> 1) & 0xFF, 0x77u);  // the byte
    EXPECT_EQ((bits >> 9) & 1, 1u);        // flag: match
    EXPECT_EQ((bits >> 10) & 0xFFF, 1u);   // distance 1
    EXPECT_EQ((bits >> 22) & 0x7F, 127u);  // length 128
}

TEST(Coder, DecoderRefusesMalformedStreams)
{
    struct Case {
        const char *what;
        Bytes stream;
        uint32_t size;
    };
    const Case cases[] = {
        {"empty input", {}, 0},
        {"no end mark", {0x00}, 0},                      // a literal flag then nothing
        {"distance before the start", {0x03, 0x00, 0x00}, 4}, // match d=1 with no output yet
        {"more output than room", Compress(Bytes(50, 1)), 49},
        {"end before the size", Compress(Bytes(50, 1)), 51},
        {"garbage", Random(64, 9), 100},
    };
    for (const Case &c : cases) {
        Bytes out(c.size + 8, 0xA5);
        EXPECT_EQ(ZentrixDecompress(c.stream.data(), uint32_t(c.stream.size()), out.data(), c.size), 0u) << c.what;
        for (size_t i = c.size; i < out.size(); i++)
            ASSERT_EQ(out[i], 0xA5) << c.what;
    }
}

// ---------------------------------------------------------------------
// Archives

void Put32(Bytes &b, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b.push_back(uint8_t(v >> (8 * i)));
}

void Chunk(Bytes &b, uint32_t id, uint32_t length, const Bytes &content = {})
{
    Put32(b, id);
    Put32(b, length);
    b.insert(b.end(), content.begin(), content.end());
}

struct Member {
    std::string name;
    Bytes data;
};

// An archive as CompressFiles writes one; `count` overrides the count.
Bytes ArchiveOf(const std::vector<Member> &members, int64_t count = -1)
{
    Bytes b;
    Chunk(b, 0x1000, 0);
    Bytes header;
    Put32(header, 0x00585456);
    Put32(header, uint32_t(count < 0 ? members.size() : size_t(count)));
    header.resize(136, 0);
    Chunk(b, 0x1100, 136, header);
    for (const Member &m : members) {
        Chunk(b, 0x1200, 0);
        Chunk(b, 0x1210, uint32_t(m.name.size() + 1), Bytes(m.name.c_str(), m.name.c_str() + m.name.size() + 1));
        Chunk(b, 0x1220, 1, {0});
        Bytes sizes;
        Put32(sizes, uint32_t(m.data.size()));
        Put32(sizes, 0);
        Chunk(b, 0x1230, 4, sizes);
        const Bytes s = Compress(m.data);
        Chunk(b, 0x1240, uint32_t(s.size()), s);
    }
    return b;
}

struct Seen {
    std::vector<std::string> names;
    std::vector<uint32_t> sizes;
};
Seen gSeen;

int32_t Record(int32_t index, const char *name, uint32_t size, uint32_t, uint32_t)
{
    EXPECT_EQ(index, int32_t(gSeen.names.size()));
    gSeen.names.push_back(name);
    gSeen.sizes.push_back(size);
    return 1;
}

TEST(Archive, PacksMatchingFilesAndReadsThemBack)
{
    const std::string dir = FreshDir("pack");
    const std::vector<Member> files = {{"a.txt", Text()}, {"b.bin", Random(4097, 4)}, {"c.TXT", {}},
                                       {"d.txt", Bytes(4096, 9)}};
    for (const Member &m : files)
        WriteScratch("pack/" + m.name, m.data);
    WriteScratch("pack/skip.dat", {1, 2, 3});
    std::filesystem::create_directories(dir + "/sub.txt");
    const std::string archive = dir + "/all.txt"; // matches the pattern too: left out
    CompressFiles((dir + "\\*.txt").c_str(), archive.c_str());

    defZENTRIXARCHIVE a{};
    ASSERT_EQ(OpenArchive(archive.c_str(), &a), 1u);
    ASSERT_EQ(a.FileCount, 3); // a.txt, c.TXT, d.txt
    for (const Member &m : files) {
        const int32_t i = FindArchiveFileByName(m.name.c_str(), &a);
        if (m.name == "b.bin") {
            EXPECT_EQ(i, -1);
            continue;
        }
        ASSERT_GE(i, 0) << m.name;
        EXPECT_EQ(a.pFiles[i].UncompressedSize, m.data.size());
        Bytes out(m.data.size() + 1, 0);
        EXPECT_EQ(ReadArchiveFileByIndex(i, &a, out.data()), 1u);
        EXPECT_TRUE(std::equal(m.data.begin(), m.data.end(), out.begin())) << m.name;
    }
    EXPECT_EQ(FindArchiveFileByName("A.TXT", &a), FindArchiveFileByName("a.txt", &a));
    const std::string outPath = dir + "/out.bin";
    ASSERT_EQ(ReadArchiveFileToDiskByIndex(FindArchiveFileByName("a.txt", &a), &a, outPath.c_str()), 1u);
    EXPECT_EQ(ReadScratchFile(outPath), Text());
    CloseArchive(&a);
    EXPECT_EQ(a.FileCount, 0);
    EXPECT_EQ(a.pFiles, nullptr);
    EXPECT_LT(a.hFile, 0);

    gSeen = {};
    EXPECT_EQ(EnumFiles(archive.c_str(), Record), 3u);
    EXPECT_EQ(gSeen.names, (std::vector<std::string>{"a.txt", "c.TXT", "d.txt"}));
    EXPECT_EQ(gSeen.sizes, (std::vector<uint32_t>{uint32_t(Text().size()), 0, 4096}));
    EXPECT_EQ(EnumFiles(outPath.c_str(), Record), 0u); // not an archive
}

TEST(Archive, ReadsCheckIndexAndRoom)
{
    const std::string path =
        WriteScratch("three.zxa", ArchiveOf({{"one", Bytes(100, 1)}, {"two", Text()}, {"One", Bytes(10, 3)}}));
    defZENTRIXARCHIVE a{};
    ASSERT_EQ(OpenArchive(path.c_str(), &a), 1u);
    Bytes out(200, 0xA5);
    EXPECT_EQ(ReadArchiveFileByIndex(1000, &a, out.data()), 0u);
    EXPECT_EQ(ReadArchiveFileByIndex(-1, &a, out.data()), 0u);
    EXPECT_EQ(ReadArchiveFileToDiskByIndex(3, &a, (ScratchDir() + "/x").c_str()), 0u);
    EXPECT_EQ(ReadArchiveFileByIndexSized(1, &a, out.data(), 100), 0u); // the text is larger
    EXPECT_EQ(out, Bytes(200, 0xA5));
    // Both members named "one" are decoded in turn: the last is left.
    EXPECT_EQ(ReadArchiveFileByNameSized("ONE", &a, out.data(), 100), 1u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[10], 1);
    EXPECT_EQ(ReadArchiveFileByName("none", &a, out.data()), 0u);
    CloseArchive(&a);
}

TEST(Archive, RefusesHostileArchives)
{
    Bytes longName = ArchiveOf({{std::string(200, 'n'), {1}}});
    Bytes pastEnd = ArchiveOf({{"x", Bytes(30, 5)}});
    pastEnd.resize(pastEnd.size() - 2);
    Bytes hugeLength = ArchiveOf({{"x", {}}});
    hugeLength[hugeLength.size() - 6] = 0xFF; // the 0x1240 length
    struct Case {
        const char *what;
        Bytes file;
    } cases[] = {
        {"count larger than the members", ArchiveOf({{"a", {1}}}, 2)},
        {"count smaller than the members", ArchiveOf({{"a", {1}}, {"b", {2}}}, 1)},
        {"count past any file", ArchiveOf({{"a", {1}}}, 0x7FFFFFFF)},
        {"name longer than 128 bytes", longName},
        {"stream past the end", pastEnd},
        {"length past the end", hugeLength},
        {"no start chunk", Bytes(200, 0)},
        {"too short", {0x00, 0x10}},
    };
    for (const Case &c : cases) {
        const std::string path = WriteScratch("hostile.zxa", c.file);
        defZENTRIXARCHIVE a{5, 7, nullptr};
        EXPECT_EQ(OpenArchive(path.c_str(), &a), 0u) << c.what;
        EXPECT_EQ(a.FileCount, 0) << c.what;
        EXPECT_EQ(a.pFiles, nullptr) << c.what;
        EXPECT_LT(a.hFile, 0) << c.what;
    }
    // A sound directory over a damaged stream: the read fails, no file is left.
    Bytes damaged = ArchiveOf({{"x", Text()}});
    for (size_t i = damaged.size() - 200; i < damaged.size(); i++)
        damaged[i] ^= 0x5A;
    const std::string path = WriteScratch("damaged.zxa", damaged);
    defZENTRIXARCHIVE a{};
    ASSERT_EQ(OpenArchive(path.c_str(), &a), 1u);
    const std::string out = ScratchDir() + "/damaged.out";
    EXPECT_EQ(ReadArchiveFileToDiskByIndex(0, &a, out.c_str()), 0u);
    EXPECT_FALSE(std::filesystem::exists(out));
    CloseArchive(&a);
}

TEST(MemberPath, StaysUnderTheTarget)
{
    const struct {
        const char *name, *path;
    } cases[] = {
        {"plain.txt", "t/plain.txt"},       {"sub\\dir/file", "t/sub/dir/file"},
        {"../../etc/passwd", "t/etc/passwd"}, {"/abs/x", "t/abs/x"},
        {"C:\\Windows\\x.dll", "t/Windows/x.dll"}, {"a/./b/../c", "t/a/b/c"},
        {"..", nullptr},                    {"", nullptr},
        {"\\\\", nullptr},
    };
    for (const auto &c : cases) {
        char out[64];
        const char *got = ZentrixMemberPath("t", c.name, out, sizeof(out));
        if (c.path)
            EXPECT_STREQ(got, c.path) << c.name;
        else
            EXPECT_EQ(got, nullptr) << c.name;
    }
    char small[8];
    EXPECT_EQ(ZentrixMemberPath("t", "longer-name", small, sizeof(small)), nullptr);
}

} // namespace
