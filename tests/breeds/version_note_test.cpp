#include "platform/module.h"
#include "support/breed_plugin.h"

namespace {

// The note the loader reads from the library file before loading it: this build is 1.0.0.0.
TEST(BreedVersionNote, TheLibraryFileCarriesItsVersion) {
    CModuleVersion version;
    ASSERT_TRUE(ReadModuleVersion(BreedPlugin::Path(), version));
    EXPECT_EQ(version.parts[0], 1);
    EXPECT_EQ(version.parts[1], 0);
    EXPECT_EQ(version.parts[2], 0);
    EXPECT_EQ(version.parts[3], 0);
    EXPECT_EQ(version.productVersion, u"1.0.0.0");
}

}  // namespace
