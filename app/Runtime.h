// The program's run-time frame around the shell: the new command-line
// options (headless runs, data folder), the exit status, the render thread's
// shutdown wait and the headless frame sinks.
#pragma once

#include "Platform.h"

#include <atomic>
#include <string>
#include <vector>

// A music position at which --frames writes a picture: ORDER:ROW or seconds.
struct TFrameTarget {
    bool InSeconds = false;
    int Order = 0, Row = 0;
    double Seconds = 0;
    std::string Label;      // as written: "12:32", "95.5"
    std::string FileName;   // "12-32.png", "95.5.png"
    bool Armed = false;     // the position has been reached
    bool Written = false;
};

struct TRunOptions {
    bool Headless = false;
    bool Bench = false;
    bool Trace = false;
    bool Help = false;
    bool Version = false;       // --version
    PlatWindowOptions Window;   // --window, --scale-filter, --integer-scale, --vsync
    std::string Record;         // --record FILE: video of the whole demo
    std::string FramesDir;      // --frames DIR
    std::vector<TFrameTarget> At;
    std::string DataDir;        // --data DIR
    int Scale = 1;              // --scale N: each pixel N x N in the video
    TFrameTarget From, To;      // --from/--to POS (Armed when given)
    std::string Wav;            // --wav FILE: the sound track kept as a WAV
    bool Digest = false;        // --digest: a digest of every frame shown
    int Loops = -1;             // --loops: 0 scalar, 1 SSE2, 2 AVX2 (-1: the library's choice)
    std::string CommandLine;    // everything else, for ProcessCommandLine
};

// The help text; its first line is the usage line.
extern const char kUsage[];
// "veltrane 0.1": the program's name and the version of the build.
extern const char kVersion[];

// Reads the options; the words it does not know are joined (blank between)
// into CommandLine. False with `error` set for a bad or incomplete option.
bool ParseRunOptions(int argc, const char *const *argv, TRunOptions *options, std::string *error);
// "800x600" -> 800, 600 (either may be null). False when it is not WxH.
bool ParseWindowSize(const std::string &text, int *w, int *h);
// "12:32,95.5" -> targets. False with `error` set.
bool ParseFrameTargets(const std::string &list, std::vector<TFrameTarget> *targets, std::string *error);

// The recording options (--scale, --from, --to, --wav): whether `name` is one,
// reading one, and the combinations refused once all are read.
bool IsRecordOption(const std::string &name);
bool ParseRecordOption(const std::string &name, const std::string &value, TRunOptions *options, std::string *error);
bool CheckRecordOptions(const TRunOptions &options, std::string *error);

// Exit status of the program: 0, or 1 after a failure that ended it.
extern std::atomic<int> AppExitStatus;

// Waits (sleeping, not spinning) until ThreadRunning is 0 or `timeoutMs` of
// real time have passed. True when the render thread has stopped.
bool WaitForRenderThread(long timeoutMs);

// Headless runs: set up the sinks before the render thread starts, finish
// them after it has ended. Both false with a message printed on failure.
bool StartHeadlessRun(const TRunOptions &options);
bool FinishHeadlessRun();
// SIGINT and SIGTERM stop a headless run at the next frame (a second one
// ends the program at once); the run then exits with 128 + the signal.
void InstallInterruptHandlers();
// The signal received (0: none).
int InterruptSignal();
