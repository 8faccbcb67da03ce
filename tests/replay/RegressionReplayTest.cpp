// The committed regression replay: the autopilot's recording of seed 7 from
// the title into the walkers' yard and its first fights, played back by
// vortane-run with nobody at the controls. Every hundredth frame's state,
// and the last, must be the recorded ones, hash included; two playbacks
// must agree line for line, and so must playbacks with and without
// pictures. When the game's behaviour changes on purpose, remake.sh
// rerecords it (see README.md beside this file).

#include "platform/system/DataPath.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path HERE = fs::path(__FILE__).parent_path();
const fs::path RECORDING = HERE / "walkers_yard.rec";
const fs::path EXPECTED = HERE / "walkers_yard.expected";

std::vector<std::string> Lines(const fs::path& path) {
	std::ifstream file(path);
	std::vector<std::string> lines;
	for (std::string line; std::getline(file, line);) {
		lines.push_back(line);
	}
	return lines;
}

unsigned FrameOf(const std::string& line) {
	unsigned frame = 0;
	return std::sscanf(line.c_str(), "{\"frame\":%u,", &frame) == 1 ? frame : ~0u;
}

class RegressionReplayTest : public ::testing::Test {
protected:
	void SetUp() override {
		ASSERT_TRUE(fs::exists(RECORDING)) << RECORDING;
		expected = Lines(EXPECTED);
		ASSERT_FALSE(expected.empty()) << EXPECTED;
		frames = FrameOf(expected.back()) + 1;
		char pattern[] = "/tmp/vortane-replay-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override {
		if (!folder.empty()) {
			fs::remove_all(folder);
		}
	}

	// The recording played back for count frames; its trace's lines.
	std::vector<std::string> PlayBack(const std::string& name, unsigned count, bool pictures,
	                                  const std::string& options = "") {
		const fs::path trace = folder / name;
		const std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null '" +
		                            DataRoot() + "vortane-run' " + (pictures ? "" : "--no-render ") + options +
		                            " --frames " +
		                            std::to_string(count) + " --input '" + RECORDING.string() + "' --trace '" +
		                            trace.string() + "' >/dev/null 2>&1";
		const int status = std::system(command.c_str());
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << command;
		return Lines(trace);
	}

	std::vector<std::string> expected;
	unsigned frames = 0;
	fs::path folder;
};

TEST_F(RegressionReplayTest, TheRecordedFightStillPlaysOutAsRecorded) {
	// The recording reaches the yard and fights there: a walker is down.
	EXPECT_NE(expected.back().find("\"alive\":false"), std::string::npos)
		<< "the recording no longer reaches a fight; remake it with a longer run";
	const std::vector<std::string> played = PlayBack("played.jsonl", frames, false);
	ASSERT_EQ(played.size(), frames);
	for (const std::string& want : expected) {
		const unsigned frame = FrameOf(want);
		ASSERT_LT(frame, played.size()) << want;
		ASSERT_EQ(played[frame], want) << "the game parts from the recorded run by frame " << frame
		                               << "; if it changed on purpose, run tests/replay/remake.sh";
	}
}

TEST_F(RegressionReplayTest, TwoPlaybacksAgreeLineForLine) {
	const std::vector<std::string> first = PlayBack("first.jsonl", frames, false);
	const std::vector<std::string> second = PlayBack("second.jsonl", frames, false);
	ASSERT_EQ(first.size(), frames);
	ASSERT_EQ(second.size(), first.size());
	for (size_t frame = 0; frame < first.size(); ++frame) {
		ASSERT_EQ(second[frame], first[frame]) << "frame " << frame;
	}
}

// Pictures cost about 50 ms a frame: the title, the load and the battle's
// first steps are enough to show the draws leave the state alone.
TEST_F(RegressionReplayTest, PlaybacksWithAndWithoutPicturesAgree) {
	constexpr unsigned DRAWN_FRAMES = 160;
	const std::vector<std::string> drawn = PlayBack("drawn.jsonl", DRAWN_FRAMES, true);
	const std::vector<std::string> blind = PlayBack("blind.jsonl", DRAWN_FRAMES, false);
	ASSERT_EQ(drawn.size(), DRAWN_FRAMES);
	ASSERT_EQ(blind.size(), drawn.size());
	size_t battle = 0;
	for (size_t frame = 0; frame < drawn.size(); ++frame) {
		ASSERT_EQ(blind[frame], drawn[frame]) << "frame " << frame;
		battle += drawn[frame].find("\"scene\":2") != std::string::npos ? 1 : 0;
	}
	EXPECT_GT(battle, 50u);
}

// The game's clock skips pictures when they are slow; a skipped frame must
// still do the draw's game work. Forcing every other picture out must leave
// the trace exactly as the plain playback's.
TEST_F(RegressionReplayTest, SkippingEveryOtherPictureLeavesTheGameAsPlayed) {
	constexpr unsigned DRAWN_FRAMES = 160;
	const fs::path log = folder / "frames.txt";
	const std::vector<std::string> drawn = PlayBack("drawn.jsonl", DRAWN_FRAMES, true);
	const std::vector<std::string> skipping =
		PlayBack("skipping.jsonl", DRAWN_FRAMES, true, "--picture-every 2 --frame-log '" + log.string() + "'");
	ASSERT_EQ(drawn.size(), DRAWN_FRAMES);
	ASSERT_EQ(skipping.size(), drawn.size());
	for (size_t frame = 0; frame < drawn.size(); ++frame) {
		ASSERT_EQ(skipping[frame], drawn[frame]) << "frame " << frame;
	}
	// The frame log's second column says whether each frame drew its picture.
	unsigned skipped = 0;
	unsigned logged = 0;
	for (const std::string& line : Lines(log)) {
		unsigned frame = 0;
		int pictured = -1;
		if (std::sscanf(line.c_str(), "%u %d", &frame, &pictured) != 2) {
			continue;
		}
		EXPECT_EQ(pictured, frame % 2 == 0 ? 1 : 0) << "frame " << frame;
		skipped += pictured == 0 ? 1 : 0;
		++logged;
	}
	EXPECT_EQ(logged, DRAWN_FRAMES);
	EXPECT_EQ(skipped, DRAWN_FRAMES / 2);
}

// The timedemo measures the characters' cost against the stage alone on the
// same camera path: leaving their pixels out must leave the game alone.
TEST_F(RegressionReplayTest, TheStageOnlyViewPlaysTheSameGame) {
	constexpr unsigned DRAWN_FRAMES = 160;
	const std::vector<std::string> drawn = PlayBack("drawn.jsonl", DRAWN_FRAMES, true);
	const std::vector<std::string> stageOnly = PlayBack("stage-only.jsonl", DRAWN_FRAMES, true, "--stage-only");
	ASSERT_EQ(drawn.size(), DRAWN_FRAMES);
	ASSERT_EQ(stageOnly.size(), drawn.size());
	for (size_t frame = 0; frame < drawn.size(); ++frame) {
		ASSERT_EQ(stageOnly[frame], drawn[frame]) << "frame " << frame;
	}
}

}  // namespace
