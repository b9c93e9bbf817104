// Traces built from file-system sources.
#include <gtest/gtest.h>

#include "cleaner/privacy_value.h"
#include "engine_test_support.h"
#include "platform/portable/portable_file_system.h"
#include "support/scratch_folder.h"

namespace lumo {
namespace {

TEST(TraceSources, AFileWhoseSizeCannotBeReadAddsNothing) {
    testing::ScratchFolder dir;
    PortableFileSystem files;
    testing::RecordingLog log;
    PrivacyValues pvs(&log);
    std::string path = dir.Write("present.bin", std::string(1234, 'x'));
    EXPECT_EQ(pvs.AddFile(files, path, vsFind)->Size, 1234);
    EXPECT_THROW(pvs.AddFile(files, dir.Path("vanished.bin"), vsFind), std::runtime_error);
    EXPECT_EQ(pvs.Count(), 1);
    EXPECT_EQ(log.lines.size(), 1u);
}

}  // namespace
}  // namespace lumo
