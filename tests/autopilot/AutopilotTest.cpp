// vortane-run --autopilot as a subprocess: its recorded inputs stay within
// what one person's hands can do, it starts the battle from the title by a
// click, its recording replays to the same battle, and a whole seed is won.

#include "app/InputScript.h"
#include "app/RunnerOptions.h"
#include "platform/system/DataPath.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Outcome {
	int exitCode = -1;
	std::string output;  // stdout and stderr together
};

Outcome RunRunner(const std::string& arguments) {
	const std::string command = "SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' " + arguments + " 2>&1";
	Outcome outcome;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr) {
		return outcome;
	}
	char buffer[4096];
	for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
		outcome.output.append(buffer, read);
	}
	const int status = pclose(pipe);
	outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
	return outcome;
}

std::string ReadText(const fs::path& path) {
	std::ifstream file(path, std::ios::binary);
	std::ostringstream text;
	text << file.rdbuf();
	return text.str();
}

// The scene id of every traced frame.
std::map<uint32_t, int> ScenesOf(const std::string& trace) {
	std::map<uint32_t, int> scenes;
	std::istringstream lines(trace);
	for (std::string line; std::getline(lines, line);) {
		unsigned frame = 0;
		int scene = 0;
		if (std::sscanf(line.c_str(), "{\"frame\":%u,\"scene\":%d", &frame, &scene) == 2) {
			scenes[frame] = scene;
		}
	}
	return scenes;
}

// The JSON report up to its timing, which differs between runs.
std::string ReportWithoutTiming(const std::string& output) {
	const size_t start = output.find("{\"frames\":");
	const size_t end = output.find(",\"timing\":");
	return start == std::string::npos || end == std::string::npos ? std::string() : output.substr(start, end - start);
}

class AutopilotTest : public ::testing::Test {
protected:
	void SetUp() override {
		char pattern[] = "/tmp/vortane-autopilot-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override { fs::remove_all(folder); }

	fs::path folder;
};

TEST(AutopilotOptionsTest, AutopilotAndRecordAreParsedAndCheckedAgainstEachOther) {
	RunnerOptions options;
	std::string why;
	ASSERT_TRUE(RunnerOptions::Parse({"--autopilot", "--record", "r.txt", "--no-render"}, options, why)) << why;
	EXPECT_TRUE(options.autopilot);
	EXPECT_EQ(options.recordFile, "r.txt");
	EXPECT_FALSE(RunnerOptions::Parse({"--autopilot", "--input", "keys.txt"}, options, why));
	EXPECT_NE(why.find("--input"), std::string::npos) << why;
	EXPECT_FALSE(RunnerOptions::Parse({"--record", "r.txt"}, options, why));
	EXPECT_NE(why.find("--autopilot"), std::string::npos) << why;
	EXPECT_FALSE(RunnerOptions::Parse({"--autopilot", "--record"}, options, why));
}

// A person has one hand on the keys and one on the mouse: at most one move
// key down in any frame, and no more than 200 pixels of motion in one.
TEST_F(AutopilotTest, InputsAreOnePersonsHands) {
	const fs::path record = folder / "record.txt";
	const fs::path trace = folder / "trace.jsonl";
	const Outcome outcome = RunRunner("--autopilot --no-render --seed 3 --frames 1600 --json --record '" +
	                                  record.string() + "' --trace '" + trace.string() + "'");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;

	InputScript script;
	ASSERT_TRUE(script.Parse(ReadText(record))) << (script.Errors().empty() ? "" : script.Errors().front());
	std::map<uint32_t, std::vector<InputCommand>> byFrame;
	for (const InputCommand& command : script.Commands()) {
		if (command.kind != InputCommand::Kind::Answer) {
			byFrame[command.frame].push_back(command);
		}
	}
	ASSERT_FALSE(byFrame.empty()) << "nothing recorded";
	std::map<int, bool> down;
	size_t moveFrames = 0, motionFrames = 0, fireFrames = 0, turned = 0;
	for (uint32_t frame = 0; frame < 1600; ++frame) {
		int dx = 0, dy = 0;
		const auto due = byFrame.find(frame);
		if (due != byFrame.end()) {
			for (const InputCommand& command : due->second) {
				if (command.kind == InputCommand::Kind::KeyDown || command.kind == InputCommand::Kind::KeyUp) {
					down[command.virtualKey] = command.kind == InputCommand::Kind::KeyDown;
				} else if (command.kind == InputCommand::Kind::Move) {
					dx += command.dx;
					dy += command.dy;
				}
			}
		}
		const int moveKeys = down['W'] + down['A'] + down['S'] + down['D'];
		EXPECT_LE(moveKeys, 1) << "frame " << frame;
		EXPECT_LE(std::hypot(dx, dy), 200.0) << "frame " << frame;
		moveFrames += moveKeys > 0 ? 1 : 0;
		motionFrames += dx != 0 || dy != 0 ? 1 : 0;
		fireFrames += down[VK_LBUTTON] ? 1 : 0;
		turned += static_cast<size_t>(std::abs(dx));
	}
	// It did play: walked, turned and fired in these frames.
	EXPECT_GT(moveFrames, 1000u);
	EXPECT_GT(motionFrames, 20u);
	EXPECT_GT(fireFrames, 2u);
	EXPECT_GT(turned, 200u);
}

// The battle starts with a click on the title: the first button press falls
// in a title frame, and the battle follows it.
TEST_F(AutopilotTest, StartsTheBattleFromTheTitleWithAClick) {
	const fs::path record = folder / "record.txt";
	const fs::path trace = folder / "trace.jsonl";
	const Outcome outcome = RunRunner("--autopilot --no-render --seed 5 --frames 200 --record '" + record.string() +
	                                  "' --trace '" + trace.string() + "'");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	InputScript script;
	ASSERT_TRUE(script.Parse(ReadText(record)));
	const std::map<uint32_t, int> scenes = ScenesOf(ReadText(trace));
	ASSERT_EQ(scenes.size(), 200u);

	uint32_t click = 0;
	bool clicked = false;
	for (const InputCommand& command : script.Commands()) {
		if (command.kind == InputCommand::Kind::KeyDown && command.virtualKey == VK_LBUTTON) {
			click = command.frame;
			clicked = true;
			break;
		}
	}
	ASSERT_TRUE(clicked) << "no click in the record";
	ASSERT_GT(click, 0u);
	// The frame before the press was the title's, and so is the press's own.
	EXPECT_EQ(scenes.at(click - 1), 1);
	EXPECT_EQ(scenes.at(click), 1);
	EXPECT_EQ(scenes.rbegin()->second, 2) << "no battle after the click";
	uint32_t battleStart = 0;
	for (const auto& [frame, scene] : scenes) {
		if (scene == 2) {
			battleStart = frame;
			break;
		}
	}
	EXPECT_GT(battleStart, click);
}

// The pilot decides from the game alone: its recording, played back as an
// input file, gives the very same battle.
TEST_F(AutopilotTest, ItsRecordingReplaysToTheSameBattle) {
	const fs::path record = folder / "record.txt";
	const Outcome piloted =
		RunRunner("--autopilot --no-render --seed 11 --frames 1500 --json --record '" + record.string() + "'");
	ASSERT_EQ(piloted.exitCode, 0) << piloted.output;
	const Outcome replayed = RunRunner("--no-render --seed 11 --frames 1500 --json --input '" + record.string() + "'");
	ASSERT_EQ(replayed.exitCode, 0) << replayed.output;
	const std::string expected = ReportWithoutTiming(piloted.output);
	ASSERT_NE(expected.find("\"enemyList\""), std::string::npos) << piloted.output;
	EXPECT_EQ(ReportWithoutTiming(replayed.output), expected);
}

// One whole seed, from the title to the result picture, with the frames
// bounded so that a pilot that gets lost fails instead of running on.
TEST_F(AutopilotTest, SevenIsWonAndTheResultIsReached) {
	const Outcome outcome = RunRunner("--autopilot --no-render --seed 7 --frames 20000 --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	EXPECT_NE(outcome.output.find("\"scene\":3,\"battleFailed\":false"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("\"won\":true"), std::string::npos) << outcome.output;
	const size_t at = outcome.output.find("\"playerHitPointsLeft\":");
	ASSERT_NE(at, std::string::npos);
	EXPECT_GT(std::stof(outcome.output.substr(at + 22)), 0.0f);
	const size_t frames = outcome.output.find("\"battleFrames\":");
	ASSERT_NE(frames, std::string::npos);
	EXPECT_GT(std::stoul(outcome.output.substr(frames + 15)), 1000u);
}

}  // namespace
