// The program's own options (window, scaling, headless runs, data folder) and
// the help text. They are read before the original command line, which gets
// only the words left over, so that a value such as /test/out is never taken
// for an option.
#include "Runtime.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>

#ifndef VELTRANE_VERSION
#define VELTRANE_VERSION "unknown"
#endif

const char kVersion[] = "veltrane " VELTRANE_VERSION;

const char kUsage[] =
    "usage: veltrane [options] [/TEST] [/STRETCH] [/W:n /H:n /B:n] [/MODECHANGE:n]\n"
    "\n"
    "Plays the demo borderless over the whole screen, in step with its music, and\n"
    "ends with it. The first 8 seconds are black: the music's intro.\n"
    "\n"
    "Window:\n"
    "  --window [WxH]      a resizable desktop window instead of the full screen\n"
    "                      (default size: the largest whole multiple of 400x300\n"
    "                      that fits the desktop)\n"
    "  --scale-filter F    nearest or linear (default: nearest where the picture is\n"
    "                      scaled by a whole number, else linear)\n"
    "  --integer-scale     whole multiples only, black around (default: the largest\n"
    "                      size that fits)\n"
    "  --vsync on|off      wait for the display's refresh (default: on where offered)\n"
    "\n"
    "Headless (no window, no sound device, a virtual clock):\n"
    "  --headless          run the demo so (default: a window)\n"
    "  --record FILE       the demo to a video (.mp4, .mkv, .mov or .webm), the\n"
    "                      music as its sound\n"
    "  --scale N           with --record: each pixel N x N, 1 to 4 (default: 1;\n"
    "                      3 gives 1200x900)\n"
    "  --from POS          with --record: from this music position (as --at)\n"
    "  --to POS            with --record: up to this music position\n"
    "  --wav FILE          with --record: also keep the sound track as a WAV\n"
    "  --frames DIR        PNG pictures of the screen into DIR ...\n"
    "  --at LIST           ... at these music positions: ORDER:ROW or seconds, e.g. 12:32,95.5\n"
    "  --bench             every frame unpaced, then a table of frame times by scene\n"
    "  --digest            with a headless run: at its end, one digest of every\n"
    "                      frame shown (the same digest: the same pictures)\n"
    "\n"
    "Other:\n"
    "  --trace             one line per timeline step on stderr (default: off)\n"
    "  --data DIR          the data folder (default: Data beside the program)\n"
    "  --loops L           the library's span and triangle loops: scalar, sse2 or\n"
    "                      avx2 (default: the fastest the processor has); all\n"
    "                      draw the same pixels\n"
    "  --version           the program's name and version\n"
    "  --help              this text\n"
    "\n"
    "Original options (case ignored): /TEST the test card; /STRETCH start stretched;\n"
    "/W:n /H:n /B:n the display mode (default: 400x300, else 512x384, 640x480,\n"
    "emulated where the display has none); /MODECHANGE:0 keep the desktop's\n"
    "resolution, the picture 1:1 in the top-left corner (default: 1).\n"
    "\n"
    "Keys:\n"
    "  Escape, End         quit\n"
    "  D                   16-bit (5-6-5) colour precision, on/off\n"
    "  F                   the counter, on/off (below)\n"
    "  S                   stretch rows 4 to 307 over the whole window (the aspect\n"
    "                      changes), on/off\n"
    "  F6                  the music jumps to the next order (1, 2, 3 ... from the\n"
    "                      first press)\n"
    "  F12                 save the picture as Saved.bmp in the working directory\n"
    "  Alt+Enter           switch between full screen and a window\n"
    "  Tab                 the effects' keys go to the next module (at the start:\n"
    "                      the light beams', which take none; Tab once: the\n"
    "                      spirals')\n"
    "\n"
    "Effects' keys, by scene (Tab presses from the start in brackets):\n"
    "  spirals (1)         9 mirror the trails' turn; keypad * and / zoom the\n"
    "                      trails; keypad + and - turn them; F1, F2 larger,\n"
    "                      smaller; F3 wandering trails; F4 blue only\n"
    "  bump mapping (2)    F1 lens flares; F2 the closing fade\n"
    "  fire swirl (3)      F1 new direction; F2 random dots; F3 swirl\n"
    "  water (6)           1 picture; 2 drop; 3 reload the picture; 4 stir; 5 clear;\n"
    "                      6 fire; 7 symbol\n"
    "  landscape (7)       1, 2 tilt; 3, 4 faster, slower; 5 stop\n"
    "  3D objects (12)     1, 2 glass; 3, 4 texture blend; F1 next look; F2, F3 two\n"
    "                      fixed looks; F4 ripple; F5 turning lights\n"
    "\n"
    "The counter (F): the upper digits are the frame time in hundredths of a frame\n"
    "(100 on time, more when frames were dropped), the lower four the music position\n"
    "as order and row: 1001204 is 1.00 frames, order 12, row 4.\n";

// ---- Options -------------------------------------------------------------

bool ParseWindowSize(const std::string &text, int *w, int *h)
{
    const char *s = text.c_str();
    char *end = nullptr;
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(s[0])))
        return false;
    const long width = std::strtol(s, &end, 10);
    if (*end != 'x' && *end != 'X')
        return false;
    const char *hs = end + 1;
    if (!std::isdigit(static_cast<unsigned char>(*hs)))
        return false;
    const long height = std::strtol(hs, &end, 10);
    if (*end != '\0' || width < 1 || height < 1 || width > 16384 || height > 16384)
        return false;
    if (w)
        *w = static_cast<int>(width);
    if (h)
        *h = static_cast<int>(height);
    return true;
}

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
                                name == "--scale-filter" || name == "--vsync" || name == "--loops" ||
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
        } else if (name == "--digest") {
            o->Digest = true;
        } else if (name == "--loops") {
            const char *const names[] = {"scalar", "sse2", "avx2"};
            const auto it = std::find(std::begin(names), std::end(names), value);
            if (it == std::end(names)) {
                *error = "--loops takes scalar, sse2 or avx2, not \"" + value + "\"";
                return false;
            }
            o->Loops = int(it - std::begin(names));
        } else if (name == "--help" || name == "-h") {
            o->Help = true;
        } else if (name == "--version") {
            o->Version = true;
        } else if (name == "--window") {
            // The size is optional: "--window", "--window 800x600", "--window=800x600".
            o->Window.Windowed = true;
            if (!hasValue && i + 1 < argc && ParseWindowSize(argv[i + 1], nullptr, nullptr))
                value = argv[++i], hasValue = true;
            if (hasValue && !ParseWindowSize(value, &o->Window.WindowW, &o->Window.WindowH)) {
                *error = "bad window size \"" + value + "\" (use WxH, such as 800x600)";
                return false;
            }
        } else if (name == "--scale-filter") {
            if (value != "nearest" && value != "linear") {
                *error = "--scale-filter takes nearest or linear, not \"" + value + "\"";
                return false;
            }
            o->Window.Filter = value == "nearest" ? PLAT_FILTER_NEAREST : PLAT_FILTER_LINEAR;
        } else if (name == "--integer-scale") {
            o->Window.IntegerScale = true;
        } else if (name == "--vsync") {
            if (value != "on" && value != "off") {
                *error = "--vsync takes on or off, not \"" + value + "\"";
                return false;
            }
            o->Window.VSync = value == "on";
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
        } else if (a.size() > 1 && a[0] == '-') {
            // Both forms, -x and --x; the original options start with '/'.
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
    if (o->Digest && !o->Headless) {
        *error = "--digest needs a headless run (--headless, --bench, --frames or --record)";
        return false;
    }
    return CheckRecordOptions(*o, error);
}
