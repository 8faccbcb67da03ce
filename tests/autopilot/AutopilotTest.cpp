// vortane-run --autopilot as a subprocess: its recorded inputs stay within
// what one person's hands can do, it starts the battle from the title by a
// click, its recording replays to the same battle, a whole seed is won, and
// battles follow one another in one process.

#include "app/InputScript.h"
#include "app/RunnerOptions.h"
#include "platform/system/DataPath.h"
#include "platform/system/Win32.h"
#include "tests/ChildProcess.h"

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

using Outcome = ChildOutcome;

Outcome RunRunner(const std::string& arguments) {
	const std::string command = "SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' " + arguments + " 2>&1";
	return RunShellCommand(command);
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

TEST(AutopilotOptionsTest, AutopilotBattlesAndRecordAreParsedAndCheckedAgainstEachOther) {
	RunnerOptions options;
	std::string why;
	ASSERT_TRUE(RunnerOptions::Parse({"--autopilot", "--record", "r.txt", "--no-render"}, options, why)) << why;
	EXPECT_TRUE(options.autopilot);
	EXPECT_EQ(options.recordFile, "r.txt");
	EXPECT_EQ(options.battles, 1u);
	EXPECT_FALSE(options.battlesGiven);
	EXPECT_FALSE(options.battleLog);
	ASSERT_TRUE(RunnerOptions::Parse({"--autopilot", "--battles", "3", "--battle-log"}, options, why)) << why;
	EXPECT_EQ(options.battles, 3u);
	EXPECT_TRUE(options.battlesGiven);
	EXPECT_TRUE(options.battleLog);
	EXPECT_FALSE(RunnerOptions::Parse({"--autopilot", "--input", "keys.txt"}, options, why));
	EXPECT_NE(why.find("--input"), std::string::npos) << why;
	EXPECT_FALSE(RunnerOptions::Parse({"--autopilot", "--record"}, options, why));
	for (const char* count : {"0", "-1", "two"}) {
		EXPECT_FALSE(RunnerOptions::Parse({"--autopilot", "--battles", count}, options, why)) << count;
	}
	// Battles are the autopilot's.
	EXPECT_FALSE(RunnerOptions::Parse({"--battles", "2"}, options, why));
	EXPECT_NE(why.find("--autopilot"), std::string::npos) << why;
	EXPECT_FALSE(RunnerOptions::Parse({"--battle-log"}, options, why));
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
// input file with nobody at the controls, gives the very same game, trace
// line for trace line, hashes included. The recording carries its seed.
TEST_F(AutopilotTest, ItsRecordingReplaysToTheSameBattleLineForLine) {
	const fs::path record = folder / "record.txt";
	const fs::path pilotTrace = folder / "pilot.jsonl";
	const fs::path replayTrace = folder / "replay.jsonl";
	const Outcome piloted = RunRunner("--autopilot --no-render --seed 11 --frames 2500 --json --record '" +
	                                  record.string() + "' --trace '" + pilotTrace.string() + "'");
	ASSERT_EQ(piloted.exitCode, 0) << piloted.output;
	EXPECT_NE(ReadText(record).find("\nseed 11\n"), std::string::npos);
	const Outcome replayed = RunRunner("--no-render --frames 2500 --json --input '" + record.string() +
	                                   "' --trace '" + replayTrace.string() + "'");
	ASSERT_EQ(replayed.exitCode, 0) << replayed.output;
	const std::string expected = ReportWithoutTiming(piloted.output);
	ASSERT_NE(expected.find("\"enemyList\""), std::string::npos) << piloted.output;
	EXPECT_EQ(ReportWithoutTiming(replayed.output), expected);

	std::istringstream pilotLines(ReadText(pilotTrace));
	std::istringstream replayLines(ReadText(replayTrace));
	std::string pilotLine, replayLine;
	size_t compared = 0, firing = 0;
	while (std::getline(pilotLines, pilotLine)) {
		ASSERT_TRUE(std::getline(replayLines, replayLine)) << "the replay stops after " << compared << " frames";
		ASSERT_EQ(replayLine, pilotLine) << "frame " << compared;
		ASSERT_NE(pilotLine.find("\"hash\":\""), std::string::npos);
		firing += pilotLine.find("\"shots\":0,") == std::string::npos && pilotLine.find("\"shots\":") != std::string::npos;
		++compared;
	}
	EXPECT_EQ(compared, 2500u);
	// The pilot fought in these frames.
	EXPECT_GT(firing, 20u);
}

// The "live":{...} counts of a battle log line, by name.
std::map<std::string, long> LiveCounts(const std::string& line) {
	std::map<std::string, long> counts;
	const size_t start = line.find("\"live\":{");
	if (start == std::string::npos) {
		return counts;
	}
	std::istringstream fields(line.substr(start + 8, line.find('}', start) - start - 8));
	for (std::string field; std::getline(fields, field, ',');) {
		const size_t colon = field.find(':');
		if (field.size() > 2 && colon != std::string::npos) {
			counts[field.substr(1, colon - 2)] = std::stol(field.substr(colon + 1));
		}
	}
	return counts;
}

// A whole number in a JSON text after "name":, or -1.
long Field(const std::string& json, const std::string& name) {
	const size_t at = json.find("\"" + name + "\":");
	return at == std::string::npos ? -1 : std::stol(json.substr(at + name.size() + 3));
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
	EXPECT_GT(Field(outcome.output, "battleFrames"), 1000);
	EXPECT_EQ(Field(outcome.output, "battles"), 1);
	EXPECT_EQ(Field(outcome.output, "battlesWon"), 1);
}

// Two battles in one process: each logged once the title is back, the
// second played from a fresh click on the title, and the device, effect and
// sound objects back to the same counts after each.
TEST_F(AutopilotTest, TwoBattlesInARowEachLoggedBackAtTheTitle) {
	const fs::path trace = folder / "trace.jsonl";
	const Outcome outcome = RunRunner("--autopilot --no-render --seed 7 --frames 40000 --battles 2 --battle-log "
	                                  "--json --trace '" + trace.string() + "'");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	std::vector<std::string> logs;
	std::istringstream lines(outcome.output);
	for (std::string line; std::getline(lines, line);) {
		if (line.rfind("{\"battle\":", 0) == 0) {
			logs.push_back(line);
		}
	}
	ASSERT_EQ(logs.size(), 2u) << outcome.output;
	for (size_t i = 0; i < logs.size(); ++i) {
		SCOPED_TRACE(logs[i]);
		EXPECT_EQ(Field(logs[i], "battle"), static_cast<long>(i + 1));
		EXPECT_GT(Field(logs[i], "battleFrames"), 1000);
		EXPECT_GT(Field(logs[i], "rssKiB"), 1000);
		EXPECT_NE(logs[i].find("\"won\":"), std::string::npos);
		EXPECT_NE(logs[i].find("\"playerHitPointsLeft\":"), std::string::npos);
		EXPECT_GE(Field(logs[i], "textures"), 1);
	}
	// The source pool keeps as many OpenAL sources as ever played at once,
	// which follows the wall clock (sounds play in real time); the rest must
	// come back to the same counts.
	std::map<std::string, long> live1 = LiveCounts(logs[0]);
	std::map<std::string, long> live2 = LiveCounts(logs[1]);
	ASSERT_GE(live1.size(), 6u) << logs[0];
	live1.erase("sources");
	live2.erase("sources");
	EXPECT_EQ(live2, live1) << "objects left behind by the second battle:\n" << logs[0] << "\n" << logs[1];

	// The run ends on the title after the second battle, and reports it.
	EXPECT_NE(outcome.output.find("\"frames\":"), std::string::npos);
	EXPECT_NE(outcome.output.find("\"scene\":1,"), std::string::npos) << outcome.output;
	EXPECT_EQ(Field(outcome.output.substr(outcome.output.find("{\"frames\":")), "battles"), 2);
	const long won = Field(outcome.output.substr(outcome.output.find("{\"frames\":")), "battlesWon");
	EXPECT_EQ(won, static_cast<long>(logs[0].find("\"won\":true") != std::string::npos) +
	                   static_cast<long>(logs[1].find("\"won\":true") != std::string::npos));

	// Title, battle, result, title, battle, result, title: two battles.
	const std::map<uint32_t, int> scenes = ScenesOf(ReadText(trace));
	std::vector<int> visited;
	for (const auto& [frame, scene] : scenes) {
		if (visited.empty() || visited.back() != scene) {
			visited.push_back(scene);
		}
	}
	EXPECT_EQ(visited, (std::vector<int>{1, 2, 3, 1, 2, 3, 1}));
}

}  // namespace
