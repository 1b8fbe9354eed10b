#include "core/paths.h"
#include "state_test_fixture.h"

namespace me::test {
namespace {

class NetworkLoggerTest : public StateTest {
protected:
    std::string log_file(const char* name) { return read_file(paths::save_file(name)); }
};

TEST_F(NetworkLoggerTest, AllFramesAreLoggedAndOnlyAcknowledgedOnesReachTheAckedFile) {
    logger.open(NetworkLogger::kAllFramesBit | NetworkLogger::kAckedFramesBit);
    run("Network.log(7, \"a\", \"b\"); Network.log(5, \"five\"); Network.log(3, \"three\"); Network.log(-1, \"big\");"
        "Network.log_discard_frames(0, 4); Network.log_ack_frames(5, 5);");
    EXPECT_EQ(log_file(NetworkLogger::kAllFileName), "7 : ab\n5 : five\n3 : three\n4294967295 : big\n");
    EXPECT_EQ(log_file(NetworkLogger::kAckedFileName), "5 : five\n");
    EXPECT_EQ(logger.pending_count(), 2u);
    run("Network.log_ack_frames(0, -1);");
    EXPECT_EQ(log_file(NetworkLogger::kAckedFileName), "5 : five\n7 : ab\n4294967295 : big\n");
    run("Network.log(8, \"x\"); Network.log_discard_all_frames();");
    EXPECT_EQ(logger.pending_count(), 0u);
}

TEST_F(NetworkLoggerTest, ConfiguredBitsChooseTheFiles) {
    registry.set_int("network::log", 2);
    logger.start();
    run("Network.log(1, \"one\"); Network.log_ack_frames(1, 1);");
    EXPECT_FALSE(std::filesystem::exists(paths::save_file(NetworkLogger::kAllFileName)));
    EXPECT_EQ(log_file(NetworkLogger::kAckedFileName), "1 : one\n");
}

using NetworkLoggerDeathTest = NetworkLoggerTest;

TEST_F(NetworkLoggerDeathTest, ANonStringPartStopsTheProcess) {
    EXPECT_EXIT(evaluate("Network.log(1, 2);"), ::testing::ExitedWithCode(1),
                "sq_getstring\\( v, top \\+ 1, &s \\) unpexpectly failed\\.");
}

}  // namespace
}  // namespace me::test
