// A pad in the real game, through vortane-run's pad lines: the traced game
// state, frame for frame, against the same game played on keys and mouse.
// Equal trace lines (their hashes included) mean the same game.

#include "platform/system/DataPath.h"
#include "tests/ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Clicks the title at frame 10; the battle's first update is frame 66.
const char* const START = "answer no\n10 down LBUTTON\n11 up LBUTTON\n";
const char* const PAD_START = "answer no\n10 pad down A\n11 pad up A\n";
constexpr int FRAMES = 120;

class PadRunnerTest : public ::testing::Test {
protected:
	void SetUp() override {
		char pattern[] = "/tmp/vortane-pad-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override { fs::remove_all(folder); }

	// The trace of a run of this input, a line a frame; extra are runner
	// arguments.
	std::vector<std::string> Trace(const std::string& input, const std::string& extra = "") {
		const std::string name = "run" + std::to_string(runs++);
		const fs::path inputFile = folder / (name + ".txt");
		const fs::path traceFile = folder / (name + ".jsonl");
		std::ofstream(inputFile) << input;
		const ChildOutcome outcome = RunShellCommand(
			"SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" + DataRoot() + "vortane-run' --no-render --seed 5 --frames " +
			std::to_string(FRAMES) + " --input " + inputFile.string() + " --trace " + traceFile.string() + " " + extra +
			" 2>&1");
		EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
		std::vector<std::string> lines;
		std::ifstream trace(traceFile);
		for (std::string line; std::getline(trace, line);) {
			lines.push_back(line);
		}
		EXPECT_EQ(lines.size(), static_cast<size_t>(FRAMES));
		return lines;
	}

	// The same game, line for line; reports the first frame that differs.
	static void ExpectSameGame(const std::vector<std::string>& keys, const std::vector<std::string>& pad) {
		ASSERT_EQ(keys.size(), pad.size());
		for (size_t frame = 0; frame < keys.size(); ++frame) {
			ASSERT_EQ(keys[frame], pad[frame]) << "frame " << frame;
		}
	}

	// A value of the trace line's battle state, as written.
	static std::string Field(const std::string& line, const std::string& name) {
		const std::string key = "\"" + name + "\":";
		const size_t at = line.find(key);
		if (at == std::string::npos) {
			return "";
		}
		const size_t start = at + key.size();
		size_t end = start;
		int depth = 0;
		while (end < line.size() && (depth > 0 || (line[end] != ',' && line[end] != '}'))) {
			depth += line[end] == '[' ? 1 : line[end] == ']' ? -1 : 0;
			++end;
		}
		return line.substr(start, end - start);
	}

	fs::path folder;
	int runs = 0;
};

TEST_F(PadRunnerTest, AClicksThroughTheTitleAsTheLeftButtonDoes) {
	const std::vector<std::string> mouse = Trace(START);
	const std::vector<std::string> pad = Trace(PAD_START);
	ExpectSameGame(mouse, pad);
	EXPECT_EQ(Field(pad[65], "scene"), "1");
	EXPECT_EQ(Field(pad[66], "scene"), "2");
}

TEST_F(PadRunnerTest, TheLeftStickHeldForwardWalksAsWDoesFrameForFrame) {
	const std::vector<std::string> keys = Trace(std::string(START) + "70 down W\n100 up W\n");
	const std::vector<std::string> pad = Trace(std::string(START) + "70 stick left 0 -1\n100 stick left 0 0\n");
	ExpectSameGame(keys, pad);
	// It walked: not a comparison of two idle robots.
	EXPECT_NE(Field(pad[69], "playerPosition"), Field(pad[100], "playerPosition"));
	EXPECT_EQ(Field(pad[100], "playerPosition"), Field(pad[119], "playerPosition"));
}

TEST_F(PadRunnerTest, EveryDirectionWalksAsItsKeyAndADiagonalAsTwoKeys) {
	const std::string start(START);
	ExpectSameGame(Trace(start + "70 down S\n90 up S\n"), Trace(start + "70 stick left 0.1 0.9\n90 stick left 0 0\n"));
	ExpectSameGame(Trace(start + "70 down D\n90 up D\n"), Trace(start + "70 stick left 0.9 -0.3\n90 stick left 0 0\n"));
	ExpectSameGame(Trace(start + "70 down A\n90 up A\n"), Trace(start + "70 stick left -1 0\n90 stick left 0 0\n"));
	ExpectSameGame(Trace(start + "70 down W\n70 down D\n90 up W\n90 up D\n"),
	               Trace(start + "70 stick left 0.7 -0.7\n90 stick left 0 0\n"));
}

TEST_F(PadRunnerTest, AStickInsideItsDeadZoneLeavesTheRobotStill) {
	const std::vector<std::string> idle = Trace(START);
	ExpectSameGame(idle, Trace(std::string(START) + "70 stick left 0.2 -0.1\n70 stick right -0.15 0.1\n"));
	// Just outside, it walks and turns.
	const std::vector<std::string> pushed =
		Trace(std::string(START) + "70 stick left 0 -0.3\n70 stick right -0.3 0\n");
	EXPECT_NE(Field(idle[110], "playerPosition"), Field(pushed[110], "playerPosition"));
	EXPECT_NE(Field(idle[110], "playerYaw"), Field(pushed[110], "playerYaw"));
}

TEST_F(PadRunnerTest, TheRightStickTurnsAndAimsAsTheEquivalentMouseMotion) {
	std::string mouse(START);
	for (int frame = 80; frame < 90; ++frame) {
		mouse += std::to_string(frame) + " move 42 0\n";
	}
	for (int frame = 95; frame < 100; ++frame) {
		mouse += std::to_string(frame) + " move 0 -42\n";
	}
	const std::vector<std::string> pad = Trace(std::string(START) + "80 stick right 1 0\n90 stick right 0 0\n"
	                                                                  "95 stick right 0 -1\n100 stick right 0 0\n");
	ExpectSameGame(Trace(mouse), pad);
	// Six degrees a frame for ten frames; the aim up six degrees a frame to its limit.
	EXPECT_EQ(std::stof(Field(pad[89], "playerYaw")), 60.0f);
	EXPECT_EQ(std::stof(Field(pad[99], "aimPitch")), 55.0f);
}

// A is the menus' click only: held in battle it leaves the gun alone.
TEST_F(PadRunnerTest, AFiresNothingInTheBattle) {
	const std::string start(START);
	const std::vector<std::string> held = Trace(start + "80 pad down A\n100 pad up A\n");
	ExpectSameGame(Trace(start), held);
	EXPECT_EQ(Field(held[99], "shots"), "0");
	EXPECT_EQ(Field(held[99], "scene"), "2");
}

TEST_F(PadRunnerTest, TheTriggersAndTheShoulderFireAsTheMouseButtons) {
	const std::string start(START);
	const std::vector<std::string> gun = Trace(start + "80 trigger right 1\n100 trigger right 0\n");
	ExpectSameGame(Trace(start + "80 down LBUTTON\n100 up LBUTTON\n"), gun);
	EXPECT_EQ(Field(gun[79], "shots"), "0");
	EXPECT_NE(Field(gun[81], "shots"), "0");

	const std::vector<std::string> plasma = Trace(start + "80 trigger left 1\n82 trigger left 0\n");
	ExpectSameGame(Trace(start + "80 down RBUTTON\n82 up RBUTTON\n"), plasma);
	EXPECT_EQ(Field(plasma[79], "plasmaActive"), "false");
	EXPECT_EQ(Field(plasma[81], "plasmaActive"), "true");
	ExpectSameGame(plasma, Trace(start + "80 pad down LB\n82 pad up LB\n"));
}

TEST_F(PadRunnerTest, APadGameRecordsAsKeysAndMouseAndReplaysWithoutThePad) {
	const fs::path record = folder / "pad.rec";
	const std::vector<std::string> played = Trace(std::string(PAD_START) +
	                                              "70 stick left 0.7 -0.7\n75 stick right 0.6 0.3\n90 stick right 0 0\n"
	                                              "92 trigger right 1\n95 stick left 0 0\n96 trigger right 0\n",
	                                              "--record " + record.string());
	std::ifstream recordFile(record);
	const std::string recording((std::istreambuf_iterator<char>(recordFile)), std::istreambuf_iterator<char>());
	EXPECT_NE(recording.find("70 down W\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find("70 down D\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find("10 down LBUTTON\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" move "), std::string::npos) << recording;
	EXPECT_EQ(recording.find("stick"), std::string::npos) << recording;
	EXPECT_EQ(recording.find("pad"), std::string::npos) << recording;
	ExpectSameGame(played, Trace(recording));
}

}  // namespace
