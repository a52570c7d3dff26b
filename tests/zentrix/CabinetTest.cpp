// Cabinet extraction: names, sizes, contents and dates as cabextract gives
// them on cabinets from real writers and built by hand; sets, error texts,
// hostile names, and cabinets that fail half way.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

struct CabEntry {
    std::string name;
    Bytes data;
    uint16_t attribs = 0x20;
    uint16_t date = (23 << 9) | (4 << 5) | 5; // 2003-04-05
    uint16_t time = (6 << 11) | (7 << 5) | 4; // 06:07:08
};

void Put(Bytes &b, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        b.push_back(uint8_t(v >> (8 * i)));
}

// One stored (uncompressed) folder holding every file, blocks of 32 KiB.
Bytes StoredCabinet(const std::vector<CabEntry> &files)
{
    Bytes all, entries;
    for (const CabEntry &f : files) {
        Put(entries, uint32_t(f.data.size()), 4);
        Put(entries, uint32_t(all.size()), 4);
        Put(entries, 0, 2);
        Put(entries, f.date, 2);
        Put(entries, f.time, 2);
        Put(entries, f.attribs, 2);
        entries.insert(entries.end(), f.name.begin(), f.name.end());
        entries.push_back(0);
        all.insert(all.end(), f.data.begin(), f.data.end());
    }
    Bytes blocks;
    uint32_t count = 0;
    for (size_t at = 0; at < all.size() || count == 0; at += 32768, count++) {
        const size_t n = std::min<size_t>(32768, all.size() - at);
        Put(blocks, 0, 4);
        Put(blocks, uint32_t(n), 2);
        Put(blocks, uint32_t(n), 2);
        blocks.insert(blocks.end(), all.begin() + long(at), all.begin() + long(at + n));
    }
    Bytes cab = {'M', 'S', 'C', 'F'};
    const uint32_t dataStart = 36 + 8 + uint32_t(entries.size());
    Put(cab, 0, 4);
    Put(cab, dataStart + uint32_t(blocks.size()), 4);
    Put(cab, 0, 4);
    Put(cab, 36 + 8, 4);
    Put(cab, 0, 4);
    cab.push_back(3);
    cab.push_back(1);
    Put(cab, 1, 2);
    Put(cab, uint32_t(files.size()), 2);
    Put(cab, 0, 2);
    Put(cab, 0x1234, 2);
    Put(cab, 0, 2);
    Put(cab, dataStart, 4);
    Put(cab, count, 2);
    Put(cab, 0, 2);
    cab.insert(cab.end(), entries.begin(), entries.end());
    cab.insert(cab.end(), blocks.begin(), blocks.end());
    return cab;
}

Bytes Random(size_t n, unsigned seed)
{
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto &v : b)
        v = uint8_t(rng() % 7 ? rng() : 0);
    return b;
}

std::string Run(const std::string &command)
{
    std::string out;
    if (std::FILE *p = popen(command.c_str(), "r")) {
        char buf[512];
        while (std::fgets(buf, sizeof(buf), p))
            out += buf;
        pclose(p);
    }
    return out;
}

// Relative path -> (size, modification time, SHA-256) of every file.
using Tree = std::map<std::string, std::tuple<uintmax_t, time_t, std::string>>;

Tree TreeOf(const std::string &dir)
{
    Tree t;
    for (const auto &e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file())
            continue;
        struct stat st;
        stat(e.path().c_str(), &st);
        const std::string sha = Run("sha256sum '" + e.path().string() + "'").substr(0, 64);
        t[fs::relative(e.path(), dir).string()] = {e.file_size(), st.st_mtime, sha};
    }
    return t;
}

// The parts of the five-cabinet set given, copied into a fresh folder.
std::string CabinetSet(const std::string &name, std::initializer_list<int> parts)
{
    const std::string set = FreshDir(name);
    for (int i : parts) {
        const std::string n = "cabd_multi_basic_pt" + std::to_string(i) + ".cab";
        fs::copy_file(std::string(ZENTRIX_TEST_CABINETS) + "/" + n, set + "/" + n);
    }
    return set;
}

std::vector<std::string> NamesIn(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    return names;
}

std::string ErrorText()
{
    char text[256];
    const uint32_t n = GetCABError(text);
    EXPECT_EQ(n, std::strlen(text) + 1);
    return text;
}

// Cabinets built here: by hand (stored) and by gcab (MSZIP).
std::string HandMadeCabinet()
{
    const std::string dir = FreshDir("gcab-src");
    WriteScratch("gcab-src/notes.txt", Bytes(5000, 'x'));
    WriteScratch("gcab-src/noise.bin", Random(70000, 5));
    const std::string inner = ScratchDir() + "/inner.cab";
    EXPECT_EQ(std::system(("cd '" + dir + "' && gcab -c -z '" + inner + "' notes.txt noise.bin").c_str()), 0);
    std::vector<CabEntry> files = {
        {"plain.txt", Bytes(3000, 'p')},
        {"sub\\folder\\deep.bin", Random(40000, 1)},
        {"Gr\xFC\xDF" "e.txt", Bytes(10, 'l')},                          // ISO-8859-1
        {"Stra\xC3\x9F" "e.txt", Bytes(11, 'u'), 0xA0},                  // UTF-8
        {std::string(251, 'n') + ".txt", Bytes(12, 'n')},
        {"inner.cab", ReadScratchFile(inner)},
        {"empty", {}},
    };
    return WriteScratch("hand.cab", StoredCabinet(files));
}

class CabinetLikeCabextract : public testing::TestWithParam<const char *> {};

TEST_P(CabinetLikeCabextract, SameFilesSizesContentsAndDates)
{
    std::string cab = GetParam();
    if (cab == "hand")
        cab = HandMadeCabinet();
    else if (cab == "gcab") {
        HandMadeCabinet();
        cab = ScratchDir() + "/inner.cab";
    } else if (cab.rfind("cabd_multi", 0) == 0) {
        cab = CabinetSet("set", {1, 2, 3, 4, 5}) + "/" + cab;
    } else {
        cab = std::string(ZENTRIX_TEST_CABINETS) + "/" + cab;
    }
    const std::string ours = FreshDir("ours"), theirs = FreshDir("theirs");
    ASSERT_EQ(DecompressCAB(cab.c_str(), ours.c_str()), 1u) << ErrorText();
    // Names in 8-bit code pages are taken as ISO-8859-1 and written in UTF-8.
    ASSERT_EQ(std::system(("LC_ALL=C.UTF-8 cabextract -q -e ISO-8859-1 -d '" + theirs + "' '" + cab + "' >/dev/null 2>&1").c_str()), 0)
        << "cabextract (Debian package cabextract) is needed";
    const Tree a = TreeOf(ours), b = TreeOf(theirs);
    EXPECT_GT(a.size(), 0u);
    EXPECT_EQ(a, b);
}

INSTANTIATE_TEST_SUITE_P(Cabinets, CabinetLikeCabextract,
                         testing::Values("hand", "gcab", "mszip_lzx_qtm.cab", "reserve_HFD.cab",
                                         "normal_2files_2folders.cab", "normal_255c_filename.cab",
                                         "cabd_multi_basic_pt1.cab"),
                         [](const testing::TestParamInfo<const char *> &info) {
                             std::string n;
                             for (const char *p = info.param; *p && *p != '.'; p++)
                                 n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return n;
                         });

TEST(Cabinet, ErrorTexts)
{
    const std::string out = FreshDir("errors");
    const std::string missing = ScratchDir() + "/missing.cab";
    EXPECT_EQ(DecompressCAB(missing.c_str(), out.c_str()), 0u);
    EXPECT_EQ(ErrorText(), "Unable to open '" + missing + "' for input\n");
    const std::string plain = WriteScratch("plain.cab", Bytes(100, 'z'));
    EXPECT_EQ(DecompressCAB(plain.c_str(), out.c_str()), 0u);
    EXPECT_EQ(ErrorText(), "FDIIsCabinet() failed: '" + plain + "' is not a cabinet\n");
}

TEST(Cabinet, AttributesAndHostileNames)
{
    CabEntry readOnly{"locked.txt", Bytes(5, 'r'), 0x01 | 0x02 | 0x04};
    const std::string cab =
        WriteScratch("hostile.cab", StoredCabinet({readOnly, {"../escape.txt", {1}}, {"/abs.txt", {2}},
                                                   {"C:\\drive.txt", {3}}, {"..\\..\\up\\x.txt", {4}},
                                                   {"both\\seps/x.txt", {5}}}));
    const std::string out = FreshDir("hostile/target");
    ASSERT_EQ(DecompressCAB(cab.c_str(), out.c_str()), 1u) << ErrorText();
    for (const char *name : {"escape.txt", "abs.txt", "drive.txt", "up/x.txt", "both/seps/x.txt"})
        EXPECT_TRUE(fs::exists(out + "/" + name)) << name;
    EXPECT_FALSE(fs::exists(ScratchDir() + "/hostile/escape.txt"));
    EXPECT_FALSE(fs::exists(ScratchDir() + "/escape.txt"));
    struct stat st;
    ASSERT_EQ(stat((out + "/locked.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);
    EXPECT_NE(stat((out + "/escape.txt").c_str(), &st) == 0 ? st.st_mode & 0200 : 0, 0u);
    // Extracting again over the read-only file replaces it.
    EXPECT_EQ(DecompressCAB(cab.c_str(), out.c_str()), 1u) << ErrorText();
}

TEST(Cabinet, FailingHalfWayKeepsOnlyWholeFiles)
{
    Bytes cab = StoredCabinet({{"first.txt", Bytes(1000, 'a')}, {"second.bin", Random(60000, 2)}});
    cab.resize(cab.size() - 20000); // inside the second file's last block
    const std::string out = FreshDir("cut");
    EXPECT_EQ(DecompressCAB(WriteScratch("cut.cab", cab).c_str(), out.c_str()), 0u);
    EXPECT_EQ(ErrorText(), "Corrupt cabinet");
    EXPECT_EQ(NamesIn(out), std::vector<std::string>{"first.txt"});

    // The first cabinets of a set without the fourth: what lies wholly in
    // the first three comes out, the rest fails clearly.
    const std::string set = CabinetSet("partset", {1, 2, 3, 5});
    const std::string setOut = FreshDir("partset-out");
    EXPECT_EQ(DecompressCAB((set + "/cabd_multi_basic_pt1.cab").c_str(), setOut.c_str()), 0u);
    EXPECT_EQ(ErrorText(), "Cabinet not found");
    EXPECT_EQ(NamesIn(setOut), std::vector<std::string>{"test2.txt"});
}

} // namespace
