// The program's own options (headless runs, data folder), read before the
// original command line, which gets only the words left over, so that a value
// such as /test/out is never taken for an option.
#include "Runtime.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

const char kUsage[] =
    "usage: veltrane [options] [/TEST] [/STRETCH] [/W:n /H:n /B:n] [/MODECHANGE:n]\n"
    "  --headless          run without a window or sound device (virtual clock)\n"
    "  --record FILE       headless: the demo to a video (.mp4, .mkv, .mov or .webm), the music as its sound\n"
    "  --scale N           with --record: each pixel N x N (1 to 4; 3 gives 1200 x 900), default 1\n"
    "  --from POS          with --record: start at this music position (ORDER:ROW or seconds)\n"
    "  --to POS            with --record: stop before this music position\n"
    "  --wav FILE          with --record: also keep the sound track as a WAV file\n"
    "  --frames DIR        headless: PNG pictures of the screen into DIR ...\n"
    "  --at LIST           ... at these music positions: ORDER:ROW or seconds, e.g. 12:32,95.5\n"
    "  --bench             headless: draw every frame unpaced, then a table of frame times by scene\n"
    "  --trace             one line per timeline step on stderr\n"
    "  --data DIR          the data folder (default: Data beside the program)\n"
    "  --help              this text\n";

// ---- Options -------------------------------------------------------------

bool ParseFrameTargets(const std::string &list, std::vector<TFrameTarget> *targets, std::string *error)
{
    size_t start = 0;
    for (;;) {
        const size_t comma = list.find(',', start);
        const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        TFrameTarget t;
        t.Label = item;
        const char *s = item.c_str();
        char *end = nullptr;
        const size_t colon = item.find(':');
        bool ok = !item.empty();
        if (ok && colon != std::string::npos) {
            errno = 0;
            const long order = std::strtol(s, &end, 10);
            ok = end == s + colon && colon > 0 && order >= 0 && order < 256;
            const char *rs = s + colon + 1;
            const long row = ok ? std::strtol(rs, &end, 10) : 0;
            ok = ok && end != rs && *end == '\0' && row >= 0 && row < 256 && item.find_first_of("+- ") == std::string::npos;
            t.Order = static_cast<int>(order);
            t.Row = static_cast<int>(row);
            std::string name = item;
            name[colon] = '-';
            t.FileName = name + ".png";
        } else if (ok) {
            t.InSeconds = true;
            t.Seconds = std::strtod(s, &end);
            ok = end != s && *end == '\0' && std::isfinite(t.Seconds) && t.Seconds >= 0 &&
                 item.find_first_of("xXnN+- ") == std::string::npos;
            t.FileName = item + ".png";
        }
        if (!ok) {
            *error = "bad position \"" + item + "\" in --at (use ORDER:ROW such as 12:32, or seconds such as 95.5)";
            return false;
        }
        targets->push_back(t);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

// ---- Recording options (--scale, --from, --to, --wav) ----------------------

bool IsRecordOption(const std::string &name)
{
    return name == "--scale" || name == "--from" || name == "--to" || name == "--wav";
}

bool ParseRecordOption(const std::string &name, const std::string &value, TRunOptions *o, std::string *error)
{
    if (name == "--wav") {
        o->Wav = value;
        return true;
    }
    if (name == "--scale") {
        char *end = nullptr;
        const long n = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || n < 1 || n > 4) {
            *error = "bad --scale " + value + " (use 1, 2, 3 or 4)";
            return false;
        }
        o->Scale = static_cast<int>(n);
        return true;
    }
    std::vector<TFrameTarget> one;
    if (!ParseFrameTargets(value, &one, error) || one.size() != 1) {
        *error = "bad position \"" + value + "\" in " + name + " (use ORDER:ROW such as 12:32, or seconds such as 95.5)";
        return false;
    }
    one[0].Armed = true; // given
    (name == "--from" ? o->From : o->To) = one[0];
    return true;
}

// The combinations a recording refuses: the recording options without
// --record, and --record with --frames/--at (a video cut short at the last
// picture would look like a whole one).
bool CheckRecordOptions(const TRunOptions &o, std::string *error)
{
    const bool any = o.Scale != 1 || o.From.Armed || o.To.Armed || !o.Wav.empty();
    if (o.Record.empty() && any) {
        *error = "--scale, --from, --to and --wav need --record FILE";
        return false;
    }
    if (!o.Record.empty() && !o.FramesDir.empty()) {
        *error = "--record cannot be combined with --frames/--at (use --from/--to for a part of the demo)";
        return false;
    }
    if (!o.Record.empty() && o.Bench) {
        *error = "--record cannot be combined with --bench";
        return false;
    }
    return true;
}

bool ParseRunOptions(int argc, const char *const *argv, TRunOptions *o, std::string *error)
{
    for (int i = 1; i < argc; i++) {
        const std::string a = argv[i];
        std::string name = a, value;
        bool hasValue = false;
        if (a.rfind("--", 0) == 0 && a.find('=') != std::string::npos) {
            name = a.substr(0, a.find('='));
            value = a.substr(a.find('=') + 1);
            hasValue = true;
        }
        const bool takesValue = name == "--record" || name == "--frames" || name == "--at" || name == "--data" ||
                                IsRecordOption(name);
        if (takesValue && !hasValue) {
            if (i + 1 >= argc) {
                *error = name + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        if (takesValue && value.empty()) {
            *error = name + " needs a value";
            return false;
        }
        if (name == "--headless") {
            o->Headless = true;
        } else if (name == "--bench") {
            o->Bench = o->Headless = true;
        } else if (name == "--trace") {
            o->Trace = true;
        } else if (name == "--help" || name == "-h") {
            o->Help = true;
        } else if (name == "--record") {
            o->Record = value;
            o->Headless = true;
        } else if (name == "--frames") {
            o->FramesDir = value;
            o->Headless = true;
        } else if (name == "--at") {
            if (!ParseFrameTargets(value, &o->At, error))
                return false;
        } else if (name == "--data") {
            o->DataDir = value;
        } else if (IsRecordOption(name)) {
            if (!ParseRecordOption(name, value, o, error))
                return false;
        } else if (a.rfind("--", 0) == 0) {
            *error = "unknown option " + a;
            return false;
        } else {
            // The original options (and anything else) go to ProcessCommandLine.
            if (!o->CommandLine.empty())
                o->CommandLine += ' ';
            o->CommandLine += a;
        }
    }
    if (!o->FramesDir.empty() && o->At.empty()) {
        *error = "--frames needs --at LIST (the music positions to capture)";
        return false;
    }
    if (o->FramesDir.empty() && !o->At.empty()) {
        *error = "--at needs --frames DIR (where to write the pictures)";
        return false;
    }
    return CheckRecordOptions(*o, error);
}
