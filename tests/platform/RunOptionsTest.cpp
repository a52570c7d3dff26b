// The program's own options: what they set, what they leave for the
// original command line, and the bad ones refused with a reason.
#include "Runtime.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace {

bool Parse(std::initializer_list<const char *> words, TRunOptions *o, std::string *error)
{
    std::vector<const char *> argv = {"veltrane"};
    argv.insert(argv.end(), words);
    return ParseRunOptions(static_cast<int>(argv.size()), argv.data(), o, error);
}

// The recording options, whose values are never read as original options.
TEST(RunOptions, RecordingPartsAndValuesNeverReadAsOriginalOptions)
{
    TRunOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--record", "/test/out.mp4", "/w:320", "--data", "/STRETCH/Data", "/B:16", "--scale", "3",
                       "--from", "2:00", "--to=95.5", "--wav", "a.wav"},
                      &o, &error))
        << error;
    EXPECT_TRUE(o.Headless);
    EXPECT_EQ(o.Record, "/test/out.mp4");
    EXPECT_EQ(o.DataDir, "/STRETCH/Data");
    EXPECT_EQ(o.CommandLine, "/w:320 /B:16");
    EXPECT_EQ(o.Scale, 3);
    EXPECT_TRUE(o.From.Armed && !o.From.InSeconds);
    EXPECT_EQ(o.From.Order, 2);
    EXPECT_TRUE(o.To.Armed && o.To.InSeconds);
    EXPECT_DOUBLE_EQ(o.To.Seconds, 95.5);
    EXPECT_EQ(o.Wav, "a.wav");
}

TEST(RunOptions, FramesAtAndTheOtherSwitches)
{
    TRunOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"/TEST", "--frames=out/f", "--at", "12:32,95.5,0:00,7", "--trace"}, &o, &error)) << error;
    EXPECT_TRUE(o.Headless);
    EXPECT_TRUE(o.Trace);
    EXPECT_FALSE(o.Bench);
    EXPECT_EQ(o.FramesDir, "out/f");
    EXPECT_EQ(o.CommandLine, "/TEST");
    ASSERT_EQ(o.At.size(), 4u);
    EXPECT_FALSE(o.At[0].InSeconds);
    EXPECT_EQ(o.At[0].Order, 12);
    EXPECT_EQ(o.At[0].Row, 32);
    EXPECT_EQ(o.At[0].FileName, "12-32.png");
    EXPECT_EQ(o.At[0].Label, "12:32");
    EXPECT_TRUE(o.At[1].InSeconds);
    EXPECT_DOUBLE_EQ(o.At[1].Seconds, 95.5);
    EXPECT_EQ(o.At[1].FileName, "95.5.png");
    EXPECT_EQ(o.At[2].FileName, "0-00.png");
    EXPECT_DOUBLE_EQ(o.At[3].Seconds, 7.0);

    TRunOptions b;
    ASSERT_TRUE(Parse({"--bench"}, &b, &error));
    EXPECT_TRUE(b.Bench && b.Headless);
}

TEST(RunOptions, WindowScalingVsyncAndVersion)
{
    TRunOptions o;
    std::string error;
    ASSERT_TRUE(Parse({"--window", "/TEST", "--integer-scale", "--vsync", "off", "--scale-filter=linear"}, &o, &error))
        << error;
    EXPECT_TRUE(o.Window.Windowed);
    EXPECT_EQ(o.Window.WindowW, 0); // the default size: chosen from the desktop
    EXPECT_TRUE(o.Window.IntegerScale);
    EXPECT_FALSE(o.Window.VSync);
    EXPECT_EQ(o.Window.Filter, PLAT_FILTER_LINEAR);
    EXPECT_EQ(o.CommandLine, "/TEST");

    TRunOptions sized, eq, plain;
    ASSERT_TRUE(Parse({"--window", "800x600"}, &sized, &error)) << error;
    EXPECT_EQ(sized.Window.WindowW, 800);
    EXPECT_EQ(sized.Window.WindowH, 600);
    ASSERT_TRUE(Parse({"--window=1200x900", "--version"}, &eq, &error)) << error;
    EXPECT_EQ(eq.Window.WindowH, 900);
    EXPECT_TRUE(eq.Version);
    ASSERT_TRUE(Parse({}, &plain, &error));
    EXPECT_FALSE(plain.Headless);
    EXPECT_EQ(plain.CommandLine, "");
    EXPECT_FALSE(plain.Window.Windowed);
    EXPECT_TRUE(plain.Window.VSync);
    EXPECT_EQ(plain.Window.Filter, PLAT_FILTER_AUTO);
    EXPECT_FALSE(plain.Window.IntegerScale);
}

// Bad options, and combinations that would give a surprising video: refused
// with a reason (containing the given words where there are some).
TEST(RunOptions, BadOptionsAreRefusedWithAReason)
{
    const struct {
        std::initializer_list<const char *> Words;
        const char *Says;
    } bad[] = {
        {{"--record"}, "needs a value"},
        {{"--data="}, ""},
        {{"--frames", "d"}, "--frames needs --at"},
        {{"--at", "1:2"}, "--at needs --frames"},
        {{"--frames", "d", "--at", "12:"}, ""},   // no row
        {{"--frames", "d", "--at", ":5"}, ""},    // no order
        {{"--frames", "d", "--at", "1:2:3"}, ""},
        {{"--frames", "d", "--at", "abc"}, ""},
        {{"--frames", "d", "--at", "-1"}, ""},
        {{"--frames", "d", "--at", "nan"}, ""},
        {{"--frames", "d", "--at", "1:2,,3"}, ""},
        {{"--frames", "d", "--at", "300:0"}, ""},
        {{"--fullscreen"}, ""},
        {{"-x"}, ""},
        {{"--x"}, ""},
        {{"--window=800"}, ""},
        {{"--window=0x600"}, ""},
        {{"--scale-filter", "cubic"}, ""},
        {{"--vsync", "maybe"}, ""},
        {{"--vsync"}, ""},
        {{"--record", "a.mp4", "--scale", "5"}, "bad --scale"},
        {{"--record", "a.mp4", "--scale", "0"}, "bad --scale"},
        {{"--record", "a.mp4", "--scale", "2x"}, "bad --scale"},
        {{"--record", "a.mp4", "--from", "2:00,3:00"}, "bad position"},
        {{"--record", "a.mp4", "--to", "-1"}, "bad position"},
        {{"--scale", "2"}, "need --record"},
        {{"--from", "1:00"}, "need --record"},
        {{"--record", "a.mp4", "--frames", "d", "--at", "3:00"}, "cannot be combined with --frames"},
        {{"--record", "a.mp4", "--bench"}, "cannot be combined with --bench"},
        {{"--record", "a.mp4", "--wav"}, "needs a value"},
        {{"--digest"}, "needs a headless run"},
        {{"--bench", "--loops", "fast"}, "takes scalar, sse2 or avx2"},
    };
    for (const auto &b : bad) {
        TRunOptions r;
        std::string why;
        EXPECT_FALSE(Parse(b.Words, &r, &why)) << *b.Words.begin();
        EXPECT_FALSE(why.empty()) << *b.Words.begin();
        EXPECT_NE(why.find(b.Says), std::string::npos) << why;
    }
}

} // namespace
