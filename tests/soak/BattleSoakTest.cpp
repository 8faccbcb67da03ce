// Three whole battles in one process, as a player who keeps coming back to
// the title would play them: title, battle, result, title, three times over.
// Leaks, use-after-free and state carried from one battle into the next show
// up here and nowhere else. Under the sanitizers the child process reports
// to its stderr and fails, so the report is read from the output too.

#include "platform/system/DataPath.h"
#include "tests/ChildProcess.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int BATTLES = 3;

using Outcome = ChildOutcome;

Outcome RunRunner(const std::string& arguments) {
	const std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null '" + DataRoot() +
	                            "vortane-run' " + arguments + " 2>&1";
	return RunShellCommand(command);
}

// The value of "name": in a one-line JSON object, up to the next comma or
// closing brace at the same depth.
std::string Field(const std::string& line, const std::string& name) {
	const std::string key = "\"" + name + "\":";
	const size_t at = line.find(key);
	if (at == std::string::npos) {
		return "";
	}
	size_t end = at + key.size();
	for (int depth = 0; end < line.size(); ++end) {
		const char c = line[end];
		if (c == '{' || c == '[') {
			++depth;
		} else if ((c == '}' || c == ']') && depth-- == 0) {
			break;
		} else if (c == ',' && depth == 0) {
			break;
		}
	}
	return line.substr(at + key.size(), end - at - key.size());
}

// The live counts without the OpenAL source pool's size: the pool keeps what
// the most overlapping sounds so far needed, so it may grow in a later
// battle; the sources voices still hold are counted apart and must match.
std::string HoldingsOf(const std::string& line) {
	std::string live = Field(line, "live");
	const std::string pool = "\"sources\":" + Field(live, "sources") + ",";
	const size_t at = live.find(pool);
	if (at != std::string::npos) {
		live.erase(at, pool.size());
	}
	return live;
}

std::vector<std::string> LinesStartingWith(const std::string& output, const std::string& prefix) {
	std::vector<std::string> lines;
	std::istringstream stream(output);
	for (std::string line; std::getline(stream, line);) {
		if (line.rfind(prefix, 0) == 0) {
			lines.push_back(line);
		}
	}
	return lines;
}

TEST(BattleSoakTest, ThreeAutopilotBattlesInARowEndOnTheTitleWithNothingLeftOver) {
	const Outcome outcome =
		RunRunner("--autopilot --no-render --battles " + std::to_string(BATTLES) + " --battle-log --seed 7 --json");
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;

	// AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer reports.
	for (const char* finding : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:", "SUMMARY: "}) {
		EXPECT_EQ(outcome.output.find(finding), std::string::npos) << outcome.output;
	}

	const std::vector<std::string> battles = LinesStartingWith(outcome.output, "{\"battle\":");
	ASSERT_EQ(battles.size(), size_t(BATTLES)) << outcome.output;
	for (int i = 0; i < BATTLES; ++i) {
		const std::string& line = battles[size_t(i)];
		EXPECT_EQ(Field(line, "battle"), std::to_string(i + 1)) << line;
		// Each battle is played to an outcome, not cut short by the frame limit.
		EXPECT_GT(std::stoul(Field(line, "battleFrames")), 120ul) << line;
		const std::string won = Field(line, "won");
		const float hitPoints = std::stof(Field(line, "playerHitPointsLeft"));
		EXPECT_TRUE((won == "true" && hitPoints > 0.0f) || (won == "false" && hitPoints <= 0.0f)) << line;
	}
	// What a battle made is gone once the title is back: the next battles end
	// holding exactly what the first left.
	const std::string afterFirst = HoldingsOf(battles[0]);
	ASSERT_NE(afterFirst.find("\"sourcesHeld\":"), std::string::npos) << battles[0];
	for (int i = 1; i < BATTLES; ++i) {
		EXPECT_EQ(HoldingsOf(battles[size_t(i)]), afterFirst) << "battle " << i + 1;
	}

	const std::vector<std::string> reports = LinesStartingWith(outcome.output, "{\"frames\":");
	ASSERT_EQ(reports.size(), 1u) << outcome.output;
	EXPECT_EQ(Field(reports[0], "battles"), std::to_string(BATTLES)) << reports[0];
	// The run ends on the title after the last battle.
	EXPECT_EQ(Field(reports[0], "scene"), "1") << reports[0];
}

}  // namespace
