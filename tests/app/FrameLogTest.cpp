// vortane-run --frame-log and --phases, as the timedemo reads them: one line
// a frame in order, and on every Nth frame the battle draw's phases, timed
// with the device drained at their edges, adding up to no more than the draw.

#include "app/RunnerOptions.h"
#include "platform/system/DataPath.h"
#include "render/DrawPhaseProfiler.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct LoggedFrame {
	uint32_t frame = 0;
	int pictured = 0;
	double draw = 0.0;
	std::vector<double> phases;  // empty when the frame was not timed
};

std::vector<LoggedFrame> ReadFrameLog(const fs::path& path) {
	std::vector<LoggedFrame> frames;
	std::ifstream in(path);
	for (std::string line; std::getline(in, line);) {
		if (line.empty() || line[0] == '#') {
			continue;
		}
		std::istringstream words(line);
		LoggedFrame logged;
		double update = 0.0, whole = 0.0;
		words >> logged.frame >> logged.pictured >> update >> logged.draw >> whole;
		for (std::string word; words >> word;) {
			if (word != "-") {
				logged.phases.push_back(std::stod(word));
			}
		}
		frames.push_back(logged);
	}
	return frames;
}

TEST(FrameLogOptions, PhasesNeedTheFrameLogAndAPositiveCount) {
	RunnerOptions options;
	std::string why;
	ASSERT_TRUE(RunnerOptions::Parse({"--frame-log", "f.txt", "--phases", "8"}, options, why)) << why;
	EXPECT_EQ(options.frameLogFile, "f.txt");
	EXPECT_EQ(options.phaseEvery, 8u);
	EXPECT_FALSE(RunnerOptions::Parse({"--phases", "8"}, options, why));
	EXPECT_NE(why.find("--frame-log"), std::string::npos) << why;
	EXPECT_FALSE(RunnerOptions::Parse({"--frame-log", "f.txt", "--phases", "0"}, options, why));
}

TEST(FrameLogRunnerTest, EveryFrameIsLoggedAndEveryThirdBattleFrameHasItsPhases) {
	char pattern[] = "/tmp/vortane-framelog-XXXXXX";
	ASSERT_NE(mkdtemp(pattern), nullptr);
	const fs::path folder = pattern;
	const fs::path input = folder / "input.txt";
	std::ofstream(input) << "10 down LBUTTON\n11 up LBUTTON\n";
	const fs::path log = folder / "frames.txt";
	constexpr uint32_t FRAMES = 90;  // the battle starts at frame 66
	const std::string command = "SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null '" + DataRoot() +
	                            "vortane-run' --frames " + std::to_string(FRAMES) + " --seed 3 --input '" +
	                            input.string() + "' --frame-log '" + log.string() + "' --phases 3 >/dev/null 2>&1";
	const int status = std::system(command.c_str());
	ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
	const std::vector<LoggedFrame> frames = ReadFrameLog(log);
	fs::remove_all(folder);
	ASSERT_EQ(frames.size(), size_t(FRAMES));
	int battleFramesTimed = 0;
	for (uint32_t i = 0; i < FRAMES; ++i) {
		const LoggedFrame& logged = frames[i];
		EXPECT_EQ(logged.frame, i);
		EXPECT_EQ(logged.pictured, 1) << "without --realtime every frame draws";
		if (i % 3 != 0) {
			EXPECT_TRUE(logged.phases.empty()) << i;
			continue;
		}
		ASSERT_EQ(logged.phases.size(), DrawPhaseProfiler::PHASE_COUNT) << i;
		double sum = 0.0;
		for (const double phase : logged.phases) {
			EXPECT_GE(phase, 0.0);
			sum += phase;
		}
		EXPECT_LE(sum, logged.draw + 0.5) << "frame " << i << ": the phases are parts of the draw";
		if (i > 70) {
			const double mainPass = logged.phases[size_t(DrawPhase::MainPass)];
			EXPECT_GT(mainPass, 0.0) << i;
			EXPECT_GT(logged.phases[size_t(DrawPhase::Shadow)], 0.0) << i;
			EXPECT_GT(logged.phases[size_t(DrawPhase::Glow)], 0.0) << i;
			++battleFramesTimed;
		}
	}
	EXPECT_GE(battleFramesTimed, 5);
}

TEST(DrawPhaseProfiler, APhaseInsideAnotherTakesItsTimeOutOfTheOuterOne) {
	using Clock = std::chrono::steady_clock;
	auto busy = [](int milliseconds) {
		const Clock::time_point until = Clock::now() + std::chrono::milliseconds(milliseconds);
		while (Clock::now() < until) {
		}
	};
	DrawPhaseProfiler::SetEnabled(true);
	const Clock::time_point start = Clock::now();
	DrawPhaseProfiler::Begin(DrawPhase::MainPass);
	busy(4);
	DrawPhaseProfiler::Begin(DrawPhase::Effects);
	busy(6);
	DrawPhaseProfiler::End(DrawPhase::Effects);
	busy(4);
	DrawPhaseProfiler::End(DrawPhase::MainPass);
	const double outer = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
	const DrawPhaseProfiler::Times times = DrawPhaseProfiler::TakeTimes();
	DrawPhaseProfiler::SetEnabled(false);
	EXPECT_GE(times[size_t(DrawPhase::Effects)], 6.0);
	EXPECT_GE(times[size_t(DrawPhase::MainPass)], 8.0);
	EXPECT_LE(times[size_t(DrawPhase::MainPass)] + times[size_t(DrawPhase::Effects)], outer);
	EXPECT_EQ(times[size_t(DrawPhase::Glow)], 0.0);
	const DrawPhaseProfiler::Times again = DrawPhaseProfiler::TakeTimes();
	EXPECT_EQ(again[size_t(DrawPhase::MainPass)], 0.0) << "taking the times starts over";
}

}  // namespace
