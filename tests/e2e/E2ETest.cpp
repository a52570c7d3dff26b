// The real program, run headless as a user or a script would: the test card
// shows rows 0 to 299, a missing data folder or song is explained and ends
// the program with a failure status, bad options are refused.
#include "zentrix.h"

#include "RunProgram.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>


namespace fs = std::filesystem;

namespace {

using e2e::Outcome;
using e2e::RunCommand;
using e2e::ScratchFolder;

// Reads the 8-bit RGB, unfiltered PNG files the program writes into
// 0x00RRGGBB pixels. False when the file is not one of those.
bool ReadPng(const fs::path &path, int *w, int *h, std::vector<uint32_t> *pixels)
{
    const std::string bytes = e2e::ReadAll(path);
    if (bytes.size() < 33 || bytes.compare(1, 3, "PNG") != 0)
        return false;
    auto be32 = [&](size_t at) {
        return uint32_t(uint8_t(bytes[at])) << 24 | uint32_t(uint8_t(bytes[at + 1])) << 16 |
               uint32_t(uint8_t(bytes[at + 2])) << 8 | uint32_t(uint8_t(bytes[at + 3]));
    };
    std::string idat;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t len = be32(at);
        const std::string type = bytes.substr(at + 4, 4);
        if (type == "IHDR") {
            *w = int(be32(at + 8));
            *h = int(be32(at + 12));
            if (bytes[at + 16] != 8 || bytes[at + 17] != 2)
                return false;
        } else if (type == "IDAT") {
            idat += bytes.substr(at + 8, len);
        }
        at += 12 + len;
    }
    std::vector<uint8_t> raw(size_t(*h) * (1 + size_t(*w) * 3));
    uLongf size = raw.size();
    if (uncompress(raw.data(), &size, reinterpret_cast<const Bytef *>(idat.data()), idat.size()) != Z_OK ||
        size != raw.size())
        return false;
    pixels->resize(size_t(*w) * *h);
    for (int y = 0; y < *h; y++) {
        const uint8_t *row = raw.data() + size_t(y) * (1 + size_t(*w) * 3);
        if (row[0] != 0)
            return false;
        for (int x = 0; x < *w; x++)
            (*pixels)[size_t(y) * *w + x] = uint32_t(row[1 + x * 3]) << 16 | row[2 + x * 3] << 8 | row[3 + x * 3];
    }
    return true;
}

const std::string kExe = VELTRANE_EXE;

TEST(EndToEnd, TheTestCardShowsRowsZeroTo299)
{
    const fs::path dir = ScratchFolder("e2e-card");
    const Outcome r = RunCommand(kExe + " --headless --frames " + dir.string() + " --at 0:00 /TEST");
    ASSERT_EQ(r.Status, 0) << r.Output;
    int w = 0, h = 0;
    std::vector<uint32_t> shown;
    ASSERT_TRUE(ReadPng(dir / "0-00.png", &w, &h, &shown)) << r.Output;
    ASSERT_EQ(w, 400);
    ASSERT_EQ(h, 300);

    std::vector<uint32_t> card(400 * 308, 0);
    const std::string pcx = std::string(VELTRANE_DATA_DIR) + "/Testing.pcx";
    ASSERT_NE(LoadPCX24(pcx.c_str(), card.data(), uint32_t(card.size())), 0u);
    int wrong = 0;
    for (int y = 0; y < 300; y++)
        for (int x = 0; x < 400; x++)
            wrong += (card[y * 400 + x] & 0xFFFFFF) != shown[y * 400 + x];
    EXPECT_EQ(wrong, 0);
    // Row 299 is the last one shown; it differs from row 300 below it.
    bool differs = false;
    for (int x = 0; x < 400; x++)
        differs = differs || card[299 * 400 + x] != card[300 * 400 + x];
    EXPECT_TRUE(differs) << "the card cannot tell row 299 from row 300";
}

TEST(EndToEnd, AMissingDataFolderIsExplained)
{
    // The program copied somewhere without Data beside it.
    const fs::path dir = ScratchFolder("e2e-nodata");
    fs::copy_file(kExe, dir / "veltrane");
    const fs::path lib = ZENTRIX_LIB;
    for (const auto &e : fs::directory_iterator(lib.parent_path()))
        if (e.path().filename().string().rfind("libzentrix.so", 0) == 0)
            fs::copy_file(fs::canonical(e.path()), dir / e.path().filename());
    Outcome r = RunCommand((dir / "veltrane").string() + " --headless");
    EXPECT_NE(r.Status, 0);
    EXPECT_NE(r.Output.find("data folder is missing"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find((dir / "Data").string()), std::string::npos) << r.Output;
    EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 1) << r.Output;

    r = RunCommand(kExe + " --headless --data /nonexistent/Data");
    EXPECT_NE(r.Status, 0);
    EXPECT_NE(r.Output.find("/nonexistent/Data"), std::string::npos) << r.Output;
}

TEST(EndToEnd, AMissingSongShowsTheLibraryErrorAndFails)
{
    const fs::path data = ScratchFolder("e2e-nosong") / "Data";
    fs::create_directories(data);
    const Outcome r = RunCommand(kExe + " --headless --data " + data.string());
    EXPECT_EQ(r.Status, 1) << r.Output;
    EXPECT_EQ(r.Output.rfind("veltrane: ", 0), 0u) << r.Output;
    EXPECT_NE(r.Output.find("Kestrun.it"), std::string::npos) << r.Output;
    EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 1) << r.Output;
}

TEST(EndToEnd, BadOptionsVersionHelpAndNoDisplay)
{
    for (const char *bad : {" --bogus", " -x", " --x", " --window=big"}) {
        const Outcome r = RunCommand(kExe + bad);
        EXPECT_EQ(r.Status, 2) << bad;
        EXPECT_NE(r.Output.find("usage: veltrane"), std::string::npos) << r.Output;
        EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 2) << r.Output;
    }
    EXPECT_NE(RunCommand(kExe + " --bogus").Output.find("unknown option --bogus"), std::string::npos);

    Outcome r = RunCommand(kExe + " --version");
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Output, "veltrane " VELTRANE_VERSION "\n");
    r = RunCommand(kExe + " --help");
    EXPECT_EQ(r.Status, 0);
    for (const char *text : {"--frames DIR", "--window [WxH]", "--scale-filter", "--integer-scale", "--vsync on|off",
                             "--version", "Escape", "F12", "Alt+Enter", "keypad *", "hundredths of a frame"})
        EXPECT_NE(r.Output.find(text), std::string::npos) << text;

    // No display at all: the way to run without one is named.
    r = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY " + kExe);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Output.find("--record"), std::string::npos) << r.Output;
    // Nothing answers on display 99: one line, status 1, within 5 s. Under
    // LeakSanitizer the D-Bus client's own leak in SDL's start-up is
    // suppressed; ours are still reported.
    const auto start = std::chrono::steady_clock::now();
    r = RunCommand("env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=:99 LSAN_OPTIONS=suppressions=" VELTRANE_E2E_DIR
                   "/lsan.supp:print_suppressions=0 timeout 10 " + kExe);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(r.Status, 1) << r.Output;
    EXPECT_EQ(std::count(r.Output.begin(), r.Output.end(), '\n'), 1) << r.Output;
    EXPECT_NE(r.Output.find("cannot open the display :99"), std::string::npos) << r.Output;
}

TEST(EndToEnd, PositionsNeverReachedAreReported)
{
    // The test picture jumps to order 60, so 61:00 comes and 99:00 never does.
    const fs::path dir = ScratchFolder("e2e-never");
    const Outcome r = RunCommand(kExe + " --headless --frames " + dir.string() + " --at 61:00,99:00 /TEST");
    EXPECT_EQ(r.Status, 1) << r.Output;
    EXPECT_TRUE(fs::exists(dir / "61-00.png"));
    EXPECT_NE(r.Output.find("never reached 99:00"), std::string::npos) << r.Output;
}

} // namespace
