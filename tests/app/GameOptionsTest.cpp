// The game's command line: every option read, bad ones refused with one
// line on stderr and exit code 2, --help and --version answered at once.

#include "app/GameOptions.h"
#include "platform/system/DataPath.h"
#include "tests/ChildProcess.h"

#include "GameVersion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Arguments = std::vector<std::string>;

GameOptions Parsed(const Arguments& arguments) {
	GameOptions options;
	std::string why;
	EXPECT_TRUE(GameOptions::Parse(arguments, options, why)) << why;
	return options;
}

// stdout alone, or stderr alone, and the exit code.
ChildOutcome RunGame(const std::string& arguments, bool errors) {
	const std::string redirect = errors ? " 2>&1 >/dev/null" : " 2>/dev/null";
	return RunShellCommand("SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" + DataRoot() + "vortane' " + arguments +
	                       redirect);
}

TEST(GameOptions, WithoutOptionsTheGameAsksAndPlaysAsAlways) {
	const GameOptions options = Parsed({});
	EXPECT_TRUE(options.recordFile.empty());
	EXPECT_TRUE(options.traceFile.empty());
	EXPECT_FALSE(options.settings.fullScreen.has_value());
	EXPECT_EQ(options.settings.lookSensitivity, 1.0f);
	EXPECT_FALSE(options.settings.invertLook);
	EXPECT_FALSE(options.mute);
	EXPECT_FALSE(options.help);
	EXPECT_FALSE(options.version);
}

TEST(GameOptions, ReadsEveryOption) {
	const GameOptions options = Parsed({"--trace", "t.jsonl", "--record", "r.txt", "--sensitivity", "2.5",
	                                    "--invert-y", "--mute", "--windowed"});
	EXPECT_EQ(options.recordFile, "r.txt");
	EXPECT_EQ(options.traceFile, "t.jsonl");
	EXPECT_EQ(options.settings.lookSensitivity, 2.5f);
	EXPECT_TRUE(options.settings.invertLook);
	EXPECT_TRUE(options.mute);
	ASSERT_TRUE(options.settings.fullScreen.has_value());
	EXPECT_FALSE(*options.settings.fullScreen);

	ASSERT_TRUE(Parsed({"--fullscreen"}).settings.fullScreen.has_value());
	EXPECT_TRUE(*Parsed({"--fullscreen", "--fullscreen"}).settings.fullScreen);
	EXPECT_TRUE(Parsed({"--help"}).help);
	EXPECT_TRUE(Parsed({"-h"}).help);
	EXPECT_TRUE(Parsed({"--version"}).version);
	// The range's ends are in it.
	EXPECT_EQ(Parsed({"--sensitivity", "0.1"}).settings.lookSensitivity, GameOptions::MIN_SENSITIVITY);
	EXPECT_EQ(Parsed({"--sensitivity", "10"}).settings.lookSensitivity, GameOptions::MAX_SENSITIVITY);
}

TEST(GameOptions, RefusesBadOptionsAndValuesWithOneLineSaying) {
	const std::vector<Arguments> bad = {
		{"--record"}, {"--trace", ""}, {"--frames", "5"}, {"record.txt"}, {"--sensitivity"},
		{"--sensitivity", "fast"}, {"--sensitivity", "0"}, {"--sensitivity", "-1"}, {"--sensitivity", "0.05"},
		{"--sensitivity", "10.5"}, {"--sensitivity", "nan"}, {"--sensitivity", "inf"}, {"--sensitivity", "2x"},
		{"--fullscreen", "--windowed"}, {"--windowed", "--fullscreen"}, {"--mute", "--Mute"}, {"-invert-y"},
	};
	for (const Arguments& arguments : bad) {
		GameOptions options;
		std::string why;
		EXPECT_FALSE(GameOptions::Parse(arguments, options, why)) << arguments.back();
		EXPECT_FALSE(why.empty()) << arguments.back();
		EXPECT_EQ(why.find('\n'), std::string::npos) << why;
	}
}

TEST(GameOptions, ABadOptionEndsTheGameWithOneLineAndExitCodeTwo) {
	for (const char* arguments : {"--frames 5", "--sensitivity", "--sensitivity 0", "--fullscreen --windowed",
	                                     "--record"}) {
		const ChildOutcome outcome = RunGame(arguments, true);
		EXPECT_EQ(outcome.exitCode, 2) << arguments;
		EXPECT_EQ(std::count(outcome.output.begin(), outcome.output.end(), '\n'), 1) << outcome.output;
		EXPECT_EQ(outcome.output.rfind("vortane: ", 0), 0u) << outcome.output;
	}
	EXPECT_NE(RunGame("--frames 5", true).output.find("unknown option '--frames'"), std::string::npos);
}

TEST(GameOptions, HelpListsEveryOptionAndVersionPrintsTheProjectsVersion) {
	const ChildOutcome help = RunGame("--help", false);
	EXPECT_EQ(help.exitCode, 0);
	for (const char* option : {"--fullscreen", "--windowed", "--sensitivity X", "--invert-y", "--mute",
	                           "--record FILE", "--trace FILE", "--version", "--help"}) {
		EXPECT_NE(help.output.find(option), std::string::npos) << option << "\n" << help.output;
	}
	EXPECT_EQ(help.output, GameOptions::Help());

	const ChildOutcome version = RunGame("--version", false);
	EXPECT_EQ(version.exitCode, 0);
	EXPECT_EQ(version.output, std::string("vortane ") + VORTANE_VERSION + "\n");
	EXPECT_STRNE(VORTANE_VERSION, "");
	// Help or version wins over the rest: the game does not start.
	EXPECT_EQ(RunGame("--windowed --version", false).output, version.output);
}

TEST(GameOptions, ARecordOrTraceFileThatCannotBeWrittenEndsTheGameWithExitCodeOne) {
	const ChildOutcome record = RunGame("--windowed --record /nonexistent/folder/game.rec", true);
	EXPECT_EQ(record.exitCode, 1);
	EXPECT_NE(record.output.find("cannot write the record file"), std::string::npos) << record.output;
	const ChildOutcome trace = RunGame("--windowed --trace /nonexistent/folder/game.jsonl", true);
	EXPECT_EQ(trace.exitCode, 1);
	EXPECT_NE(trace.output.find("cannot write the trace file"), std::string::npos) << trace.output;
}

}  // namespace
