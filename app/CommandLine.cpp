// The command-line parser: reads the options "/TEST", "/STRETCH", "/W:",
// "/H:", "/B:" and "/MODECHANGE:" (any case) into the shell's variables.
// The word being read is tested after every character, so any word that
// begins with "/TEST" or "/STRETCH" sets its flag.
#include "CommonStuff.h"
#include "Gen32.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Decimal value like atoi (optional sign, leading digits, 0 when there are
// none), but saturated to the int range instead of overflowing.
long DecimalValue(const char *text)
{
    long v = std::strtol(text, nullptr, 10);
    if (v > INT_MAX)
        v = INT_MAX;
    if (v < INT_MIN)
        v = INT_MIN;
    return v;
}

} // namespace

void ProcessCommandLine(const char *szCmdLine)
{
    if (!szCmdLine || !*szCmdLine)
        return;
    // The current word; a word longer than 99 characters is cut there.
    char Command[100] = "";
    size_t len = 0;
    const char *p = szCmdLine;
    while (*p) {
        if (len + 1 < sizeof(Command)) {
            Command[len++] = *p;
            Command[len] = '\0';
        }
        UpCase(Command);

        long *value = nullptr;
        if (std::strcmp(Command, "/TEST") == 0)
            bTestOnly = 1;
        if (std::strcmp(Command, "/STRETCH") == 0)
            StretchToScreen = 1;
        if (std::strcmp(Command, "/W:") == 0)
            value = &UserWidth;
        if (std::strcmp(Command, "/H:") == 0)
            value = &UserHeight;
        if (std::strcmp(Command, "/B:") == 0)
            value = &UserBPP;
        if (std::strcmp(Command, "/MODECHANGE:") == 0)
            value = &bModeChange;

        if (value) {
            // The value runs from behind the colon to the next blank or the
            // end; an empty one stores 0.
            p++;
            len = 0;
            for (; *p && !IsBlank(*p); p++)
                if (len + 1 < sizeof(Command))
                    Command[len++] = *p;
            Command[len] = '\0';
            *value = DecimalValue(Command);
        }
        // A blank ends the word; the next one starts afresh.
        if (IsBlank(*p)) {
            len = 0;
            Command[0] = '\0';
        }
        if (*p)
            p++;
    }
}
