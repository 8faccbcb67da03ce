// vortane-run as a subprocess: the real main loop, device and title scene,
// headless, checked through its JSON report, its log and its pictures.

#include "platform/image/Image.h"
#include "platform/system/DataPath.h"
#include "tests/ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

using Outcome = ChildOutcome;

class RunnerTest : public ::testing::Test {
protected:
	void SetUp() override {
		char pattern[] = "/tmp/vortane-runner-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override { fs::remove_all(folder); }

	Outcome RunRunner(const std::string& arguments) {
		const std::string command =
			"SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' " + arguments + " 2>&1";
		return RunShellCommand(command);
	}

	std::string WriteInput(const std::string& text) {
		const std::string path = (folder / "input.txt").string();
		std::ofstream(path) << text;
		return path;
	}

	fs::path folder;
};

TEST_F(RunnerTest, FiveFramesWithAShotOfTheLastAndAJsonReport) {
	const std::string shot = (folder / "t.png").string();
	const Outcome outcome = RunRunner("--frames 5 --shot 4:" + shot + " --json --seed 7");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	EXPECT_NE(outcome.output.find("{\"frames\":5,\"scene\":1,\"battleFailed\":false,\"timing\":{\"update\":{\"median\":"),
	          std::string::npos)
		<< outcome.output;
	EXPECT_NE(outcome.output.find("\"draw\":{\"median\":"), std::string::npos);
	EXPECT_NE(outcome.output.find("\"frame\":{\"median\":"), std::string::npos);
	// The full-screen question was asked and, with no answer queued, declined.
	EXPECT_NE(outcome.output.find("フルスクリーンにしますか？ -> no"), std::string::npos) << outcome.output;

	std::ifstream file(shot, std::ios::binary);
	ASSERT_TRUE(file.good()) << "no picture at " << shot;
	const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
	Image image;
	std::string why;
	ASSERT_TRUE(ReadPngImage(bytes.data(), bytes.size(), image, why)) << why;
	EXPECT_EQ(image.width, 1280u);
	EXPECT_EQ(image.height, 720u);
	ASSERT_EQ(image.format, PixelFormat::BGRA8);
	// The title picture, centred on opaque black.
	const std::vector<uint8_t>& pixels = image.Surface(0, 0).bytes;
	ASSERT_EQ(pixels.size(), 1280u * 720u * 4u);
	const auto lit = [&pixels](size_t x, size_t y) {
		const uint8_t* p = &pixels[(y * 1280u + x) * 4u];
		return (p[0] | p[1] | p[2]) != 0;
	};
	EXPECT_TRUE(lit(640, 360));
	EXPECT_TRUE(lit(300, 600));
	EXPECT_FALSE(lit(1160, 360));
	EXPECT_FALSE(lit(640, 700));
	size_t translucent = 0;
	for (size_t i = 3; i < pixels.size(); i += 4) {
		translucent += pixels[i] != 255 ? 1 : 0;
	}
	EXPECT_EQ(translucent, 0u);
}

TEST_F(RunnerTest, AnswersGoInOrderFromTheFullScreenQuestionOn) {
	const std::string input = WriteInput(
		"# decline full screen, close at frame 2, decline, close at 4, confirm\n"
		"answer no\n"
		"2 close\n"
		"answer no\n"
		"4 close\n"
		"answer yes\n");
	const Outcome outcome = RunRunner("--frames 50 --input " + input + " --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	// The quit ends the run after frames 0 to 3; no scene is left.
	EXPECT_NE(outcome.output.find("{\"frames\":4,\"scene\":0,"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("frame 2: box \"確認\": 終了しますか？ -> no"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("frame 4: box \"確認\": 終了しますか？ -> yes"), std::string::npos);
}

TEST_F(RunnerTest, EscapeOnTheTitleQuitsWithYes) {
	const std::string input = WriteInput("0 down ESCAPE\nanswer no\nanswer yes\n");
	const Outcome outcome = RunRunner("--frames 50 --input " + input + " --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	EXPECT_NE(outcome.output.find("{\"frames\":0,\"scene\":0,"), std::string::npos) << outcome.output;
}

TEST_F(RunnerTest, BadInputAndBadArgumentsStopBeforeTheGameStarts) {
	const std::string input = WriteInput("0 down W\n1 down SPACE\n");
	Outcome outcome = RunRunner("--frames 5 --input " + input);
	EXPECT_EQ(outcome.exitCode, 2);
	EXPECT_NE(outcome.output.find("line 2:"), std::string::npos) << outcome.output;

	outcome = RunRunner("--frames 5 --input " + (folder / "missing.txt").string());
	EXPECT_EQ(outcome.exitCode, 2);

	outcome = RunRunner("--frames five");
	EXPECT_EQ(outcome.exitCode, 2);
	EXPECT_NE(outcome.output.find("usage:"), std::string::npos);
}

// The trace's lines for one frame each, read back by field.
struct TraceLine {
	std::string text;

	std::string Field(const std::string& name) const {
		const std::string key = "\"" + name + "\":";
		const size_t at = text.find(key);
		if (at == std::string::npos) {
			return "";
		}
		const size_t start = at + key.size();
		size_t end = start;
		int depth = 0;
		for (; end < text.size(); ++end) {
			const char c = text[end];
			if (c == '[' || c == '{') {
				++depth;
			} else if (c == ']' || c == '}') {
				if (depth == 0) {
					break;
				}
				--depth;
			} else if (c == ',' && depth == 0) {
				break;
			}
		}
		return text.substr(start, end - start);
	}
	float Number(const std::string& name) const { return std::stof(Field(name)); }
	// Component i of a [x,y,z] field.
	float Component(const std::string& name, int i) const {
		std::string list = Field(name);
		list = list.substr(1, list.size() - 2);
		for (int skip = 0; skip < i; ++skip) {
			list = list.substr(list.find(',') + 1);
		}
		return std::stof(list);
	}
};

std::vector<TraceLine> ReadTrace(const fs::path& path) {
	std::ifstream file(path);
	std::vector<TraceLine> lines;
	for (std::string line; std::getline(file, line);) {
		lines.push_back(TraceLine{line});
	}
	return lines;
}

// Click at 10: the battle starts in frame 66 and first updates in 67.
constexpr int FIRST_BATTLE_UPDATE = 67;

TEST_F(RunnerTest, TheTraceFollowsTheRobotFrameByFrameAndTheReportEndsOnIt) {
	// W from the battle's first update: the robot walks a unit a frame
	// without counting as a change, so it is not "moving" until W comes again.
	const std::string input = WriteInput(
		"answer no\n10 down LBUTTON\n11 up LBUTTON\n67 down W\n100 up W\n105 down W\n106 move 70 0\n");
	const fs::path trace = folder / "trace.jsonl";
	const Outcome outcome = RunRunner("--frames 110 --seed 3 --json --input " + input + " --trace " + trace.string());
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;

	const std::vector<TraceLine> lines = ReadTrace(trace);
	ASSERT_EQ(lines.size(), 110u);
	for (size_t frame = 0; frame < lines.size(); ++frame) {
		ASSERT_EQ(lines[frame].Field("frame"), std::to_string(frame));
		// The battle's fields appear with the battle and never carry timing.
		const bool battle = lines[frame].Field("scene") == "2";
		EXPECT_EQ(battle, frame >= 66u) << lines[frame].text;
		EXPECT_EQ(lines[frame].Field("playerHitPoints").empty(), !battle) << lines[frame].text;
		EXPECT_EQ(lines[frame].Field("timing"), "");
	}
	const TraceLine& walking = lines[90];
	EXPECT_EQ(walking.Field("moving"), "false");
	// The whole stage: seven walkers, the turret, the boss, all far away.
	EXPECT_EQ(walking.Field("enemies"), "9");
	const std::string list = walking.Field("enemyList");
	size_t walkers = 0;
	for (size_t at = list.find("\"kind\":\"Two_Leg\""); at != std::string::npos;
	     at = list.find("\"kind\":\"Two_Leg\"", at + 1)) {
		++walkers;
	}
	EXPECT_EQ(walkers, 7u) << list;
	EXPECT_NE(list.find("{\"kind\":\"Turret\",\"hitPoints\":60,\"alive\":true,\"position\":[700,"), std::string::npos)
		<< list;
	EXPECT_NE(list.find("\"beamTimer\":0,\"projectiles\":0}"), std::string::npos) << list;
	EXPECT_NE(list.find("{\"kind\":\"Boss_Tank\",\"hitPoints\":300,\"alive\":true,\"position\":[2000,"),
	          std::string::npos)
		<< list;
	EXPECT_NE(list.find("\"missileTimer\":0,\"plasmaActive\":false,\"projectiles\":0}]"), std::string::npos) << list;
	EXPECT_EQ(walking.Number("playerHitPoints"), 300.0f);
	EXPECT_EQ(walking.Number("plasmaCharge"), 400.0f);
	EXPECT_EQ(walking.Field("plasmaActive"), "false");
	EXPECT_EQ(walking.Field("shots"), "0");
	EXPECT_EQ(walking.Number("aimPitch"), 25.0f);
	for (int frame = 80; frame + 1 < 100; ++frame) {
		EXPECT_EQ(lines[frame + 1].Component("playerPosition", 2) - lines[frame].Component("playerPosition", 2), 1.0f)
			<< "frame " << frame;
	}
	EXPECT_EQ(lines[90].Component("playerPosition", 2), float(90 - FIRST_BATTLE_UPDATE + 1));
	EXPECT_EQ(lines[105].Field("moving"), "true");
	// 70 pixels right is a 10 degree turn.
	EXPECT_EQ(lines[105].Number("playerYaw"), 0.0f);
	EXPECT_NEAR(lines[106].Number("playerYaw"), 10.0f, 1e-5f);

	// The report's battle fields are the last frame's.
	const size_t report = outcome.output.find("{\"frames\":110,\"scene\":2,\"battleFailed\":false,");
	ASSERT_NE(report, std::string::npos) << outcome.output;
	const TraceLine json{outcome.output.substr(report)};
	EXPECT_EQ(json.Field("playerPosition"), lines.back().Field("playerPosition"));
	EXPECT_EQ(json.Field("playerYaw"), lines.back().Field("playerYaw"));
	EXPECT_NE(json.Field("timing"), "");
}

TEST_F(RunnerTest, ATraceThatCannotBeWrittenStopsTheRun) {
	const Outcome outcome = RunRunner("--frames 5 --trace " + (folder / "no" / "such" / "trace.jsonl").string());
	EXPECT_EQ(outcome.exitCode, 1);
	EXPECT_NE(outcome.output.find("cannot write the trace file"), std::string::npos) << outcome.output;
}

// The report's last battle state, for runs that need no frame-by-frame trace.
TraceLine ReportOf(const std::string& output) {
	const size_t at = output.find("{\"frames\":");
	return TraceLine{at == std::string::npos ? "" : output.substr(at, output.find('\n', at) - at)};
}

TEST_F(RunnerTest, LeftAloneAtTheStartTheRobotOutlasts3000FramesWithEveryEnemyIdle) {
	const std::string input = WriteInput("answer no\n10 down LBUTTON\n11 up LBUTTON\n");
	const Outcome outcome = RunRunner("--frames 3067 --seed 11 --no-render --json --input " + input);
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	const TraceLine report = ReportOf(outcome.output);
	ASSERT_EQ(report.Field("scene"), "2") << outcome.output;
	EXPECT_EQ(report.Number("playerHitPoints"), 300.0f);
	EXPECT_EQ(report.Field("enemies"), "9");
	const std::string list = report.Field("enemyList");
	EXPECT_EQ(list.find("\"attacking\":true"), std::string::npos) << list;
	EXPECT_EQ(list.find("\"walking\":true"), std::string::npos) << list;
	EXPECT_EQ(list.find("\"alive\":false"), std::string::npos) << list;
}

TEST_F(RunnerTest, WalkingTheRouteIntoTheWalkersYardGetsTheRobotShotAt) {
	// Straight up the start corridor and the ramp into the yard, past the
	// outcrop that screens its mouth, to about 165 from the first two
	// walkers, then stand there.
	const std::string input =
		WriteInput("answer no\n10 down LBUTTON\n11 up LBUTTON\n67 down W\n1517 up W\n");
	const fs::path trace = folder / "yard.jsonl";
	const Outcome outcome =
		RunRunner("--frames 1900 --seed 11 --no-render --json --input " + input + " --trace " + trace.string());
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	const std::vector<TraceLine> lines = ReadTrace(trace);
	ASSERT_EQ(lines.size(), 1900u);
	// Up the ramp into the yard, on its floor.
	EXPECT_NEAR(lines[1317].Component("playerPosition", 2), 1250.0f, 1.0f);
	EXPECT_NEAR(lines[1517].Component("playerPosition", 2), 1450.0f, 1.0f);
	EXPECT_NEAR(lines[1517].Component("playerPosition", 1), 40.0f + 15.0f - 0.05f, 0.5f);
	const TraceLine& last = lines.back();
	EXPECT_LT(last.Number("playerHitPoints"), 300.0f);
	// The walkers came for it and fire from where they stand.
	EXPECT_NE(last.Field("enemyList").find("\"kind\":\"Two_Leg\",\"hitPoints\":50,\"alive\":true"), std::string::npos);
	bool walked = false, attacked = false;
	for (const TraceLine& line : lines) {
		const std::string list = line.Field("enemyList");
		walked = walked || list.find("\"walking\":true") != std::string::npos;
		attacked = attacked || list.find("\"attacking\":true") != std::string::npos;
	}
	EXPECT_TRUE(walked);
	EXPECT_TRUE(attacked);
}

TEST_F(RunnerTest, WithoutPicturesARunGivesTheSameTraceAndRefusesShots) {
	const std::string input = WriteInput(
		"answer no\n10 down LBUTTON\n11 up LBUTTON\n70 down D\n90 up D\n90 down W\n95 down LBUTTON\n"
		"100 move 30 -20\n110 down RBUTTON\n111 up RBUTTON\n");
	const fs::path drawn = folder / "drawn.jsonl";
	const fs::path blind = folder / "blind.jsonl";
	ASSERT_EQ(RunRunner("--frames 160 --seed 4 --input " + input + " --trace " + drawn.string()).exitCode, 0);
	ASSERT_EQ(RunRunner("--frames 160 --seed 4 --no-render --input " + input + " --trace " + blind.string()).exitCode, 0);
	std::ifstream a(drawn), b(blind);
	const std::string drawnText((std::istreambuf_iterator<char>(a)), std::istreambuf_iterator<char>());
	const std::string blindText((std::istreambuf_iterator<char>(b)), std::istreambuf_iterator<char>());
	ASSERT_FALSE(drawnText.empty());
	EXPECT_EQ(drawnText, blindText);

	const Outcome refused = RunRunner("--frames 5 --no-render --shot 4:" + (folder / "x.png").string());
	EXPECT_EQ(refused.exitCode, 2);
	EXPECT_NE(refused.output.find("--shot needs pictures"), std::string::npos) << refused.output;
}

// Any run can be recorded: with no seed given the runner takes one from the
// clock and writes it down, and the recording alone plays the same game
// again, hashes included. A --seed given with it still wins.
TEST_F(RunnerTest, ARecordedRunReplaysFromItsOwnSeedAndAGivenSeedWins) {
	const std::string input = WriteInput(
		"answer no\n10 down LBUTTON\n11 up LBUTTON\n70 down D\n90 up D\n90 down W\n95 down LBUTTON\n"
		"100 move 30 -20\n110 down RBUTTON\n111 up RBUTTON\n130 up LBUTTON\n");
	const fs::path record = folder / "record.txt";
	const fs::path first = folder / "first.jsonl";
	const fs::path again = folder / "again.jsonl";
	const fs::path reseeded = folder / "reseeded.jsonl";
	ASSERT_EQ(RunRunner("--frames 160 --no-render --input " + input + " --record " + record.string() + " --trace " +
	                    first.string())
	              .exitCode,
	          0);
	std::ifstream recordFile(record);
	const std::string recording((std::istreambuf_iterator<char>(recordFile)), std::istreambuf_iterator<char>());
	const size_t seedAt = recording.find("\nseed ");
	ASSERT_NE(seedAt, std::string::npos) << recording;
	const unsigned long seed = std::stoul(recording.substr(seedAt + 6));
	EXPECT_NE(recording.find("answer no\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find("10 down LBUTTON\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find("100 move 30 -20\n"), std::string::npos) << recording;

	ASSERT_EQ(RunRunner("--frames 160 --no-render --input " + record.string() + " --trace " + again.string()).exitCode,
	          0);
	const std::vector<TraceLine> played = ReadTrace(first);
	const std::vector<TraceLine> replayed = ReadTrace(again);
	ASSERT_EQ(played.size(), 160u);
	ASSERT_EQ(replayed.size(), played.size());
	for (size_t frame = 0; frame < played.size(); ++frame) {
		ASSERT_EQ(replayed[frame].text, played[frame].text) << "frame " << frame;
	}

	ASSERT_EQ(RunRunner("--frames 160 --no-render --seed " + std::to_string(seed + 1) + " --input " +
	                    record.string() + " --trace " + reseeded.string())
	              .exitCode,
	          0);
	const std::vector<TraceLine> other = ReadTrace(reseeded);
	ASSERT_EQ(other.size(), played.size());
	// Another seed places the walkers elsewhere from the battle's first frame.
	EXPECT_NE(other[70].Field("enemyList"), played[70].Field("enemyList"));
	EXPECT_NE(other[70].Field("hash"), played[70].Field("hash"));
	EXPECT_EQ(other[20].text, played[20].text) << "the title has nothing random yet";
}

// Every trace line ends with the state's hash: sixteen hex digits that
// follow the game, and stay put while nothing moves.
TEST_F(RunnerTest, EveryTraceLineEndsWithTheStatesHash) {
	const std::string input = WriteInput("answer no\n10 down LBUTTON\n11 up LBUTTON\n80 down W\n90 up W\n");
	const fs::path trace = folder / "trace.jsonl";
	ASSERT_EQ(RunRunner("--frames 100 --seed 2 --no-render --input " + input + " --trace " + trace.string()).exitCode,
	          0);
	const std::vector<TraceLine> lines = ReadTrace(trace);
	ASSERT_EQ(lines.size(), 100u);
	for (const TraceLine& line : lines) {
		const size_t at = line.text.rfind(",\"hash\":\"");
		ASSERT_NE(at, std::string::npos) << line.text;
		const std::string tail = line.text.substr(at + 9);
		ASSERT_EQ(tail.size(), 16u + 2u) << line.text;
		EXPECT_EQ(tail.substr(16), "\"}");
		EXPECT_EQ(tail.find_first_not_of("0123456789abcdef"), 16u) << line.text;
	}
	// The robot walks from 80 to 89: every frame a new state.
	for (int frame = 81; frame < 90; ++frame) {
		EXPECT_NE(lines[frame].Field("hash"), lines[frame - 1].Field("hash")) << "frame " << frame;
	}
	// The title's rings turn: its frames differ too.
	EXPECT_NE(lines[3].Field("hash"), lines[2].Field("hash"));
}

}  // namespace

// A run that would go on for hours ends on SIGTERM as any command-line tool
// does, so timeout(1) and a CI job's own stop can end it. The signal is sent
// once frames are being traced, after the window and its event queue exist.
TEST_F(RunnerTest, SigtermEndsARunMidGame) {
	const fs::path trace = folder / "trace.jsonl";
	const std::string script =
		"SDL_VIDEODRIVER=offscreen '" + DataRoot() + "vortane-run' --no-render --frames 100000000 --trace '" +
		trace.string() +
		"' >/dev/null 2>&1 & pid=$!\n"
		"for i in $(seq 600); do [ -s '" + trace.string() + "' ] && break; sleep 0.1; done\n"
		"[ -s '" + trace.string() + "' ] && echo traced\n"
		"kill -TERM $pid\n"
		"for i in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done\n"
		"if kill -0 $pid 2>/dev/null; then echo 'still running'; kill -KILL $pid; fi\n"
		"wait $pid; echo \"status $?\"\n";
	const std::string path = (folder / "stop.sh").string();
	std::ofstream(path) << script;
	const Outcome outcome = RunShellCommand("sh '" + path + "'");
	EXPECT_NE(outcome.output.find("traced"), std::string::npos) << outcome.output;
	EXPECT_EQ(outcome.output.find("still running"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("status 143"), std::string::npos) << outcome.output;
}
