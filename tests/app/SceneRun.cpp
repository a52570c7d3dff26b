// Shared set-up of the scene tests (see SceneRun.h).
#include "SceneRun.h"

#include "FakePlatform.h"
#include "Random.h"

#include <climits>
#include <cmath>
#include <filesystem>
#include <unistd.h>

namespace {

bool Started = false;

} // namespace

std::string GeneratedData()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0)
        return "Data";
    path[n] = 0;
    return (std::filesystem::path(path).parent_path() / "Data").string();
}

bool StartScenes(const std::string &data, bool reseed)
{
    StopScenes();
    fake::Reset();
    SeedRand15(1);
    ZentrixSetDataFolder(data.c_str());
    Started = GetBackgroundPic() && InitAppMemory() == 1;
    if (reseed)
        SeedRand15(1);   // again: see SceneRun.h
    DemoState = -1;
    DemoSubState1 = DemoSubState2 = 0;
    return Started;
}

void StopScenes()
{
    ApplicationFin = 0;
    if (Started)
        QuitAppMemory();
    Started = false;
    ZentrixSetDataFolder(nullptr);
}

void PlayFrom(int order, int row, long msPerRow, long shown)
{
    fake::MsPerRow = msPerRow;
    fake::SongStart = long(fake::Clock) - (order * 64L + row) * msPerRow;
    fake::CloseAfterPresents = 1 + shown;
    LastFrame = 0;
    UseHiResTimer = 1;
    ApplicationFin = 0;
    bTestOnly = 0;
    HandleDemo();
}

void PlayTaking(int order, int row, long msPerRow, const std::vector<long> &at,
                const std::function<void(size_t)> &take)
{
    size_t next = 0;
    fake::OnPresent = [&](defZENTRIXPAGE *) {
        const long shown = long(fake::PresentTimes.size()) - 1;
        while (next < at.size() && at[next] == shown)
            take(next++);
    };
    PlayFrom(order, row, msPerRow, at.back());
    fake::OnPresent = nullptr;
}

PageShot::PageShot(const defZENTRIXPAGE &page) : Pixels(PagePixels(page), PagePixels(page) + 400 * 308) {}

double PageShot::Mean(int x0, int y0, int x1, int y1, int shift) const
{
    double s = 0;
    for (int y = y0; y < y1; ++y)
        for (int k = y * 400 + x0; k < y * 400 + x1; ++k)
            s += shift < 0 ? (Channel(k, 16) + Channel(k, 8) + Channel(k, 0)) / 3.0 : Channel(k, shift);
    return s / double((y1 - y0) * (x1 - x0));
}

double PageShot::Difference(const PageShot &o, int y0, int y1) const
{
    double s = 0;
    for (int k = y0 * 400; k < y1 * 400; ++k)
        s += std::fabs((Channel(k, 16) + Channel(k, 8) + Channel(k, 0)) / 3.0 -
                       (o.Channel(k, 16) + o.Channel(k, 8) + o.Channel(k, 0)) / 3.0);
    return s / double((y1 - y0) * 400);
}

long PageShot::Lit() const
{
    long n = 0;
    for (uint32_t c : Pixels) n += (c & 0xFCFCFC) != 0;
    return n;
}

long PageShot::Lit(int x0, int y0, int x1, int y1, int above) const
{
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += Grey(x, y) > above;
    return n;
}
