// Every effect module's entry points called in the orders nobody plans for:
// freed before it was allocated and twice, drawn without its memory,
// started on a missing data folder (and twice), drawn onto a page it was not
// made for, and drawn again once freed.
#include "BumpyEffect.h"
#include "Feedback.h"
#include "FireEffect.h"
#include "General.h"
#include "Helix.h"
#include "LandEffect.h"
#include "LenzFlare.h"
#include "LightEffect.h"
#include "PageFixture.h"
#include "Plants.h"
#include "RandomFire.h"
#include "Scroller.h"
#include "Spin.h"
#include "Splot.h"
#include "Title.h"
#include "WaterEffect.h"

#include <gtest/gtest.h>

namespace {

struct Module {
    const char *Name;
    int (*Allocate)();
    void (*Free)();
    void (*Initialize)(defZENTRIXPAGE *page);
    void (*Draw)(defZENTRIXPAGE *page);
    // Shapes a page the module must leave alone once allocated (none: null).
    void (*Odd)(defZENTRIXPAGE *page);
    uint32_t Empty;   // what a frame without memory leaves on a page of 7s
};

const Module kModules[] = {
    {"Title", AllocateTitleMemory, FreeTitleMemory, [](defZENTRIXPAGE *p) { InitializeTitle(p); },
     [](defZENTRIXPAGE *p) {
         DoTitleQuiverEffect(nullptr, nullptr, 1, p);
         DoTitleGlowEffect(nullptr, nullptr, 1, p);
     },
     nullptr, 0},   // each frame starts from a black page
    {"Lenz", AllocateLenzMemory, [] { FreeLenzMemory(); }, [](defZENTRIXPAGE *) { InitializeLenz(); },
     [](defZENTRIXPAGE *p) { DrawLenz(123, 45, p); }, nullptr, 7},
    {"Splot", AllocateSplotMemory, FreeSplotMemory, [](defZENTRIXPAGE *p) { InitializeSplot(p); },
     [](defZENTRIXPAGE *p) { DoSplotEffect(nullptr, nullptr, 1, p); }, nullptr, 7},
    {"Scroller", AllocateScrollerMemory, [] { FreeScrollerMemory(); },
     [](defZENTRIXPAGE *p) { InitializeScroller(p); },
     [](defZENTRIXPAGE *p) { DoScrollerEffect(nullptr, nullptr, 1, p); }, nullptr, 7},
    {"Feedback", AllocateFeedbackMemory, FreeFeedbackMemory, [](defZENTRIXPAGE *p) { InitializeFeedback(p); },
     [](defZENTRIXPAGE *p) { DoFeedbackEffect(p); },
     [](defZENTRIXPAGE *p) { p->Width = p->Height = 100; }, 7},   // too small to be its own texture
    {"Bumpy", AllocateBumpyMemory, [] { FreeBumpyMemory(); }, [](defZENTRIXPAGE *) { InitializeBumpy(); },
     [](defZENTRIXPAGE *p) { DoBumpyEffect(nullptr, nullptr, 1.0f, p); },
     [](defZENTRIXPAGE *p) { p->Height = 300; }, 7},
    {"Light", AllocateLightMemory, [] { FreeLightMemory(); }, [](defZENTRIXPAGE *) { InitializeLight(); },
     [](defZENTRIXPAGE *p) { DoLightEffect(nullptr, nullptr, 1, p); }, nullptr, 7},
    {"Spin", AllocateSpinMemory, [] { FreeSpinMemory(); }, [](defZENTRIXPAGE *) { InitializeSpin(); },
     [](defZENTRIXPAGE *p) { DoSpinEffect(nullptr, nullptr, 1.0f, p); }, nullptr, 7},
    {"Fire", AllocateFireMemory, [] { FreeFireMemory(); }, [](defZENTRIXPAGE *) { InitializeFire(); },
     [](defZENTRIXPAGE *p) { DoFireEffect(nullptr, nullptr, 1, p); },
     [](defZENTRIXPAGE *p) { p->Height = 400; }, 7},   // larger than the field
    {"Swirl", AllocateRndFireMemory, [] { FreeRndFireMemory(); }, [](defZENTRIXPAGE *) { InitializeRndFire(); },
     [](defZENTRIXPAGE *p) { DoSwirlFireEffect(nullptr, nullptr, 1, p); },
     [](defZENTRIXPAGE *p) { p->Height = 200; }, 7},   // the tables are for 400 x 308
    {"Land", AllocateLandMemory, [] { FreeLandMemory(); }, [](defZENTRIXPAGE *) { InitializeLand(); },
     [](defZENTRIXPAGE *p) { DoLandEffect(nullptr, nullptr, 1.0f, p); }, nullptr, 7},
    {"Helix", AllocateHelixMemory, [] { FreeHelixMemory(); }, [](defZENTRIXPAGE *p) { InitializeHelix(p); },
     [](defZENTRIXPAGE *p) { DoHelixEffect(nullptr, nullptr, 1, p); }, nullptr, 7},
    {"Water", AllocateWaterMemory, [] { FreeWaterMemory(); }, [](defZENTRIXPAGE *) { InitializeWater(); },
     [](defZENTRIXPAGE *p) {
         DoWaterEffect(nullptr, nullptr, 1, p);
         DrawDrop(50, 50, 100);
     },
     [](defZENTRIXPAGE *p) { p->BPP = 16; }, 7},
    {"Plants", AllocatePlantMemory, FreePlantMemory, [](defZENTRIXPAGE *p) { InitializePlant(p); },
     [](defZENTRIXPAGE *p) { DoPlantEffect(nullptr, nullptr, 1, p); }, nullptr, 7},
};

class Lifecycle : public ::testing::TestWithParam<Module> {
protected:
    // The shared tables every module may read, as the program makes them.
    void SetUp() override
    {
        ASSERT_EQ(AllocateGeneralMemory(), 1);
        InitializeGeneral(nullptr);
    }
    void TearDown() override
    {
        ZentrixSetDataFolder(nullptr);
        FreeGeneralMemory();
    }
};

TEST_P(Lifecycle, FreeAndDrawWithoutMemoryAndStartWithoutFiles)
{
    const Module &m = GetParam();
    m.Free();
    m.Free();
    defZENTRIXPAGE never{};   // a page never created
    m.Initialize(&never);     // no memory: nothing to fill
    GuardedPage p(7);
    m.Draw(&p.page);          // and nothing drawn
    EXPECT_EQ(p.CountNot(m.Empty), 0);

    ZentrixSetDataFolder("/nonexistent-folder-for-lifecycle-test");
    ASSERT_EQ(m.Allocate(), 1);
    m.Initialize(&never);
    m.Initialize(&never);     // a second start replaces what the first made
    for (int frame = 0; frame < 3; ++frame) m.Draw(&p.page);
    EXPECT_TRUE(p.GuardsIntact());
    if (m.Odd) {
        GuardedPage odd(0x00102030);
        m.Odd(&odd.page);
        m.Draw(&odd.page);
        EXPECT_EQ(odd.CountNot(0x00102030), 0);
        EXPECT_TRUE(odd.GuardsIntact());
    }

    m.Free();
    m.Free();
    GuardedPage after(7);
    m.Draw(&after.page);
    EXPECT_EQ(after.CountNot(m.Empty), 0);
}

INSTANTIATE_TEST_SUITE_P(Modules, Lifecycle, ::testing::ValuesIn(kModules),
                         [](const ::testing::TestParamInfo<Module> &info) { return std::string(info.param.Name); });

} // namespace
