#include "platform/posix/executable_bundle.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

namespace twl {
namespace {

namespace fs = std::filesystem;

TEST(ExecutableBundle, FindsResourcesInShareBesideBin) {
    std::string pattern = (fs::temp_directory_path() / "twl-bundle-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path prefix = pattern;
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "tidewaterlink");
    std::ofstream(prefix / "share" / "tidewaterlink" / "macosvpn.txt") << "tool";

    ExecutableBundle bundle(prefix / "bin" / "tidewaterlink");
    EXPECT_EQ(bundle.pathForResource("macosvpn.txt"),
              (prefix / "share" / "tidewaterlink" / "macosvpn.txt").string());
    EXPECT_EQ(bundle.pathForResource("../tidewaterlink/macosvpn.txt"), std::nullopt);
    EXPECT_EQ(bundle.pathForResource(""), std::nullopt);
    fs::remove_all(prefix);
}

}  // namespace
}  // namespace twl
