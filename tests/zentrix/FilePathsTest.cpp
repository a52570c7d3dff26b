// Mapping the program's file names onto host paths and the data folder.
#include "zentrix.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Resolve(const char *name)
{
    char out[512];
    const char *r = ZentrixResolvePath(name, out, sizeof(out));
    return r ? std::string(r) : std::string("<null>");
}

} // namespace

TEST(FilePaths, BackslashesAndDataFolder)
{
    ZentrixSetDataFolder(nullptr);
    EXPECT_EQ(Resolve("Data\\Land.raw"), "Data/Land.raw");
    EXPECT_EQ(Resolve("plain.txt"), "plain.txt");
    EXPECT_EQ(Resolve("a\\b\\c"), "a/b/c");
    ZentrixSetDataFolder("/opt/demo/Data/");
    EXPECT_EQ(Resolve("Data\\Land.raw"), "/opt/demo/Data/Land.raw");
    EXPECT_EQ(Resolve("data/sub\\x.pcx"), "/opt/demo/Data/sub/x.pcx");
    EXPECT_EQ(Resolve("Database\\x"), "Database/x");   // only the folder "Data"
    EXPECT_EQ(Resolve("Data"), "Data");                // a file, not a folder
    EXPECT_EQ(Resolve("other\\Data\\x"), "other/Data/x");
    ZentrixSetDataFolder("C:\\demo\\Data");
    EXPECT_EQ(Resolve("Data\\x"), "C:/demo/Data/x");
    ZentrixSetDataFolder("");
    EXPECT_EQ(Resolve("Data\\x"), "Data/x");
}

TEST(FilePaths, OutputThatDoesNotFitIsRefused)
{
    ZentrixSetDataFolder("/some/long/folder");
    char out[12];
    EXPECT_EQ(ZentrixResolvePath("Data\\x", out, sizeof(out)), nullptr);
    EXPECT_EQ(out[0], '\0');
    char tiny[7];
    EXPECT_EQ(ZentrixResolvePath("abcdef", tiny, 7), tiny);
    EXPECT_EQ(ZentrixResolvePath("abcdefg", tiny, 7), nullptr);
    EXPECT_EQ(ZentrixResolvePath("x", tiny, 0), nullptr);
    EXPECT_EQ(ZentrixResolvePath(nullptr, tiny, 7), nullptr);
    ZentrixSetDataFolder(nullptr);
}

TEST(FilePaths, LoadersOpenThroughTheDataFolder)
{
    WriteScratch("mapped.raw", {0x10, 0x20, 0x30});
    ZentrixSetDataFolder(ScratchDir().c_str());
    uint32_t px = 0;
    LoadRaw32("Data\\mapped.raw", 1, 1, &px);
    EXPECT_EQ(px, 0x102030u);
    ZentrixSetDataFolder(nullptr);
}
