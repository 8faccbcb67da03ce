// The game's command line: --record and --trace, anything else refused with
// the usage on stderr and, as always for the game, exit code 0.

#include "app/GameOptions.h"
#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace {

TEST(GameOptions, ReadsRecordAndTraceAndRefusesTheRest) {
	GameOptions options;
	std::string why;
	ASSERT_TRUE(GameOptions::Parse({"--trace", "t.jsonl", "--record", "r.txt"}, options, why)) << why;
	EXPECT_EQ(options.recordFile, "r.txt");
	EXPECT_EQ(options.traceFile, "t.jsonl");
	ASSERT_TRUE(GameOptions::Parse({}, options, why));
	EXPECT_TRUE(options.recordFile.empty());
	EXPECT_TRUE(options.traceFile.empty());
	for (const std::vector<std::string>& bad :
	     std::vector<std::vector<std::string>>{{"--record"}, {"--trace", ""}, {"--frames", "5"}, {"record.txt"}}) {
		EXPECT_FALSE(GameOptions::Parse(bad, options, why)) << bad.front();
		EXPECT_FALSE(why.empty());
	}
}

TEST(GameOptions, ABadArgumentPrintsTheUsageAndTheGameExitsWithZero) {
	const std::string command = "'" + DataRoot() + "vortane' --fullscreen 2>&1 >/dev/null";
	FILE* pipe = popen(command.c_str(), "r");
	ASSERT_NE(pipe, nullptr);
	std::string errors;
	char buffer[1024];
	for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
		errors.append(buffer, read);
	}
	const int status = pclose(pipe);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 0);
	EXPECT_NE(errors.find("unknown argument '--fullscreen'"), std::string::npos) << errors;
	EXPECT_NE(errors.find("usage: vortane [--record FILE] [--trace FILE]"), std::string::npos) << errors;
}

}  // namespace
