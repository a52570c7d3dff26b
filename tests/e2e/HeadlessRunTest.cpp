// Recording and stopping the real program headless: a recorded part has
// every drawn frame once, at the demo's own times, with its sound from the
// same zero; bad outputs and a failing encoder reported in one line; a signal
// stops a run with one line (a recording with a valid partial file and no
// encoder left behind); data files that are FIFOs or devices do not hang
// start-up.
#include "RunProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using e2e::Outcome;
using e2e::ReadAll;
using e2e::RunCommand;
using e2e::ScratchFolder;

const std::string kExe = VELTRANE_EXE;

// The lines of the program's output other than the progress line (which
// redraws itself after a carriage return; a trace line may follow it).
std::vector<std::string> Messages(const std::string &output)
{
    std::vector<std::string> lines;
    std::string text = output;
    std::replace(text.begin(), text.end(), '\r', '\n');
    std::stringstream s(text);
    std::string line;
    while (std::getline(s, line)) {
        const size_t step = line.find("step=");
        if (step != std::string::npos)
            lines.push_back(line.substr(step));
        else if (line.find("recording [") == std::string::npos && !line.empty())
            lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> FilesIn(const fs::path &dir)
{
    std::vector<std::string> names;
    for (const auto &e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Processes whose command line mentions `text` (an encoder writing our
// temporary files).
int ProcessesMentioning(const std::string &text)
{
    int found = 0;
    for (const auto &e : fs::directory_iterator("/proc")) {
        const std::string name = e.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos || name == std::to_string(getpid()))
            continue;
        std::string cmd = ReadAll(e.path() / "cmdline");
        for (char &c : cmd)
            if (c == '\0')
                c = ' ';
        found += cmd.find(text) != std::string::npos && cmd.find("ffmpeg") != std::string::npos;
    }
    return found;
}

// Starts the program with its output into `log`; the process id.
pid_t Start(std::vector<std::string> args, const fs::path &log)
{
    args.insert(args.begin(), kExe);
    return e2e::Spawn(args, log.string());
}

bool WaitForText(const fs::path &log, const std::string &text, int seconds)
{
    for (int i = 0; i < seconds * 20; i++) {
        if (ReadAll(log).find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

bool HaveFfmpeg()
{
    return RunCommand("ffmpeg -version").Status == 0 && RunCommand("ffprobe -version").Status == 0;
}

std::vector<double> FrameTimes(const fs::path &video)
{
    const Outcome r = RunCommand("ffprobe -v error -select_streams v -show_entries packet=pts_time -of csv=p=0 " +
                          video.string());
    std::vector<double> t;
    std::stringstream s(r.Output);
    double v;
    while (s >> v)
        t.push_back(v);
    std::sort(t.begin(), t.end());
    return t;
}

double Probe(const fs::path &video, const char *stream, const char *entry)
{
    const Outcome r = RunCommand(std::string("ffprobe -v error -select_streams ") + stream + " -show_entries stream=" +
                          entry + " -of csv=p=0 " + video.string());
    return r.Output.empty() ? -1 : std::stod(r.Output);
}

TEST(HeadlessRun, ARecordedPartHasEveryDrawnFrameOnceWithItsSound)
{
    if (!HaveFfmpeg())
        GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path dir = ScratchFolder("rec-part");
    const fs::path video = dir / "part.mp4", wav = dir / "part.wav";
    const Outcome r = RunCommand(kExe + " --record " + video.string() + " --from 2:00 --to 3:00 --scale 3 --trace --wav " +
                          wav.string());
    ASSERT_EQ(r.Status, 0) << r.Output;
    // The frames the timeline drew between 2:00 and 3:00, by its trace.
    long drawn = 0;
    std::vector<std::string> said;
    for (const std::string &line : Messages(r.Output)) {
        int step, scene, sub, o1, r1, o2, r2, frames;
        if (std::sscanf(line.c_str(), "step=%d scene=%d substate=%d start=%d:%d end=%d:%d frames=%d", &step, &scene,
                        &sub, &o1, &r1, &o2, &r2, &frames) == 8) {
            if (o1 * 100 + r1 >= 200 && o2 * 100 + r2 <= 300)
                drawn += frames;
        } else {
            said.push_back(line);
        }
    }
    ASSERT_EQ(said.size(), 1u) << r.Output;
    EXPECT_NE(said[0].find("veltrane: wrote " + video.string() + " (" + std::to_string(drawn) + " frames"),
              std::string::npos)
        << said[0];
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"part.mp4", "part.wav"}));

    // Every drawn frame once, 34 ms apart (the demo's cadence), from 0: no
    // time repeated, skipped or rounded to another frame rate.
    const std::vector<double> t = FrameTimes(video);
    ASSERT_EQ(long(t.size()), drawn);
    EXPECT_NEAR(t.front(), 0.0, 1e-6);
    for (size_t i = 1; i < t.size(); i++)
        ASSERT_NEAR(t[i] - t[i - 1], 0.034, 1e-6) << "frame " << i;
    EXPECT_EQ(Probe(video, "v", "width"), 1200);
    EXPECT_EQ(Probe(video, "v", "height"), 900);
    // The sound from the same zero to the end of the last frame.
    const double end = t.back() + 0.034;
    EXPECT_NEAR(Probe(video, "a", "duration"), end, 0.03);
    EXPECT_NEAR((fs::file_size(wav) - 44) / (44100.0 * 4), end, 0.001);
    // Order 2 lasts 7.68 s (64 rows of 0.12 s).
    EXPECT_NEAR(end, 7.68, 0.07);
}

TEST(HeadlessRun, BadOutputsAreRefusedInOneLineBeforeAnyWork)
{
    const fs::path dir = ScratchFolder("rec-bad");
    fs::create_directories(dir / "folder.mp4");
    const std::string out = (dir / "x.mp4").string();
    const struct {
        std::string Args;
        const char *Says;
    } cases[] = {
        {"--record " + (dir / "folder.mp4").string(), "is a folder"},
        {"--record " + (dir / "noextension").string(), "unknown video type"},
        {"--record /dev/full", "unknown video type"},
        {"--record " + (dir / "full.mp4").string(), "not a regular file"},
        {"--record " + out + " /W:401 /H:301 /B:32", "even width and height"},
        {"--record " + out + " --from 99:00", "beyond the end of the song"},
        {"--record " + out + " --to 2:70", "beyond the end of the song"},
        {"--record " + out + " --from 3:00 --to 2:00", "does not come after"},
        {"--record " + out + " --from 53:62", "after the end of the demo"},
        {"--record " + out + " --from 56:00", "beyond the end of the song"},
        {"--record " + out + " --to 500", "beyond the end of the song"},
        {"--record " + out + " --wav " + (dir / "folder.mp4").string(), "is a folder"},
    };
    fs::create_symlink("/dev/full", dir / "full.mp4");
    for (const auto &c : cases) {
        const Outcome r = RunCommand(kExe + " " + c.Args);
        EXPECT_EQ(r.Status, 1) << c.Args << "\n" << r.Output;
        const std::vector<std::string> said = Messages(r.Output);
        ASSERT_EQ(said.size(), 1u) << c.Args << "\n" << r.Output;
        EXPECT_EQ(said[0].rfind("veltrane: ", 0), 0u) << said[0];
        EXPECT_NE(said[0].find(c.Says), std::string::npos) << said[0];
    }
    const Outcome r = RunCommand("env PATH=/nonexistent " + kExe + " --record " + out);
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Output.find("needs ffmpeg"), std::string::npos) << r.Output;

    // An encoder that fails once started: its own last message, in one line.
    const fs::path fake = dir.parent_path() / ("fake-ffmpeg-" + std::to_string(getpid()));
    fs::create_directories(fake);
    std::ofstream(fake / "ffmpeg") << "#!/bin/sh\necho \"Unknown encoder 'libx264'\" >&2\nexit 1\n";
    fs::permissions(fake / "ffmpeg", fs::perms::owner_all);
    const Outcome f = RunCommand("env PATH=" + fake.string() + ":$PATH " + kExe + " --record " + out);
    EXPECT_EQ(f.Status, 1);
    EXPECT_EQ(Messages(f.Output), (std::vector<std::string>{"veltrane: ffmpeg failed: Unknown encoder 'libx264'"}))
        << f.Output;
    fs::remove_all(fake);
    EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"folder.mp4", "full.mp4"}));
}

// SIGINT stops a recording, SIGTERM a run writing pictures: one line, the
// status 128 + the signal, and the part recorded a valid file with no
// encoder outliving the run.
TEST(HeadlessRun, SignalsStopARunWithOneLine)
{
    const struct {
        int Sig;
        const char *Name;
        bool Record;
    } cases[] = {{SIGINT, "SIGINT", true}, {SIGTERM, "SIGTERM", false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Record && !HaveFfmpeg())
            continue;
        const fs::path dir = ScratchFolder(c.Record ? "sig-record" : "sig-frames");
        const fs::path log = dir.parent_path() / (dir.filename().string() + ".log");
        const pid_t pid = c.Record ? Start({"--record", (dir / "demo.mp4").string()}, log)
                                   : Start({"--frames", dir.string(), "--at", "50:00"}, log);
        if (c.Record) {
            ASSERT_TRUE(WaitForText(log, "recording [", 60)) << ReadAll(log);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(c.Record ? 1500 : 2500));
        kill(pid, c.Sig);
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << ReadAll(log);
        EXPECT_EQ(WEXITSTATUS(status), 128 + c.Sig);
        const std::vector<std::string> said = Messages(ReadAll(log));
        ASSERT_EQ(said.size(), 1u) << ReadAll(log);
        EXPECT_EQ(said[0].rfind(std::string("veltrane: interrupted by ") + c.Name, 0), 0u) << said[0];
        if (c.Record) {
            EXPECT_EQ(FilesIn(dir), (std::vector<std::string>{"demo.partial.mp4"}));
            EXPECT_GT(Probe(dir / "demo.partial.mp4", "v", "duration"), 0.5);
            EXPECT_EQ(ProcessesMentioning(".veltrane-" + std::to_string(pid)), 0);
        }
    }
}

// The whole demo drawn with the portable scalar loops and with the fastest
// this processor has: every frame the same.
TEST(HeadlessRun, TheScalarAndTheFastestLoopsShowTheSameFrames)
{
#ifdef __SANITIZE_THREAD__
    GTEST_SKIP() << "two whole runs take longer than the test's time limit under the thread sanitizer";
#endif
    const auto digest = [](const std::string &loops) {
        const Outcome r = RunCommand(kExe + " --bench --digest" + loops);
        EXPECT_EQ(r.Status, 0) << r.Output;
        const size_t at = r.Output.find("frames digest ");
        return at == std::string::npos ? r.Output : r.Output.substr(at, r.Output.find('\n', at) - at);
    };
    const std::string fastest = digest(""), scalar = digest(" --loops scalar");
    EXPECT_EQ(fastest, scalar);
    long frames = 0;
    ASSERT_EQ(std::sscanf(fastest.c_str(), "frames digest %*x over %ld frames", &frames), 1) << fastest;
    EXPECT_GT(frames, 10000); // the whole demo
}

// A scratch copy of Data (links to the real files) with the lines file a
// FIFO, a picture a link to /dev/zero and another a folder: start-up goes
// through and the test picture is written.
TEST(HeadlessRun, DataFilesThatAreNotRegularFilesDoNotHang)
{
    const fs::path data = ScratchFolder("fifo-data") / "Data";
    fs::create_directories(data);
    for (const auto &e : fs::directory_iterator(VELTRANE_DATA_DIR))
        fs::create_symlink(fs::absolute(e.path()), data / e.path().filename());
    fs::remove(data / "lines.txt");
    ASSERT_EQ(mkfifo((data / "lines.txt").c_str(), 0600), 0);
    fs::remove(data / "LightStream.raw");
    fs::create_symlink("/dev/zero", data / "LightStream.raw");
    fs::remove(data / "Flipper.pcx");
    fs::create_directories(data / "Flipper.pcx");
    const fs::path shots = data.parent_path() / "shots";
    const Outcome r = RunCommand("timeout 60 " + kExe + " --data " + data.string() + " --frames " + shots.string() +
                          " --at 0:00 /TEST");
    EXPECT_EQ(r.Status, 0) << r.Output;
    EXPECT_TRUE(fs::exists(shots / "0-00.png"));

    // The music itself a FIFO: its one message, and nothing after it.
    fs::remove(data / "Kestrun.it");
    ASSERT_EQ(mkfifo((data / "Kestrun.it").c_str(), 0600), 0);
    const Outcome m = RunCommand("timeout 60 " + kExe + " --data " + data.string() + " --frames " + shots.string() +
                          " --at 1:00,2:00");
    EXPECT_EQ(m.Status, 1) << m.Output;
    const std::vector<std::string> said = Messages(m.Output);
    ASSERT_EQ(said.size(), 1u) << m.Output;
    EXPECT_NE(said[0].find("Kestrun.it: not a regular file"), std::string::npos) << said[0];
    EXPECT_EQ(said[0].rfind("veltrane: ", 0), 0u);
}

} // namespace
