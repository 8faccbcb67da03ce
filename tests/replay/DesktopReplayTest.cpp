// The real game on a real X server, played by injected keys and pointer
// motion, recorded with --record and traced with --trace; its recording
// played back by vortane-run must give the same trace, frame for frame,
// hashes included. Skipped where Xvfb, xdotool or xwininfo is missing, or
// the game cannot draw on Xvfb.

#include "platform/system/DataPath.h"
#include "tests/system/XvfbSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

using namespace xvfb_test;
namespace fs = std::filesystem;

namespace {

constexpr int WAIT_LIMIT_MS = 60000;

std::string Capture(const std::string& command) {
	std::string output;
	FILE* pipe = popen(command.c_str(), "r");
	if (pipe == nullptr) {
		return output;
	}
	char buffer[4096];
	for (size_t read; (read = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) {
		output.append(buffer, read);
	}
	pclose(pipe);
	return output;
}

std::string ReadText(const fs::path& path) {
	std::ifstream file(path, std::ios::binary);
	std::ostringstream text;
	text << file.rdbuf();
	return text.str();
}

// The whole lines of a file that is still being written.
std::vector<std::string> WholeLines(const fs::path& path) {
	const std::string text = ReadText(path);
	std::vector<std::string> lines;
	size_t start = 0;
	for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
		lines.push_back(text.substr(start, end - start));
	}
	return lines;
}

bool WaitFor(const std::function<bool()>& done) {
	for (int waited = 0; waited < WAIT_LIMIT_MS; waited += 20) {
		if (done()) {
			return true;
		}
		usleep(20000);
	}
	return false;
}

class DesktopReplayTest : public ::testing::Test {
protected:
	void SetUp() override {
		if (!ProgramOnPath("Xvfb") || !ProgramOnPath("xdotool") || !ProgramOnPath("xwininfo")) {
			GTEST_SKIP() << "Xvfb, xdotool or xwininfo is not installed";
		}
		char pattern[] = "/tmp/vortane-desktop-replay-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
		ASSERT_TRUE(server.Start()) << "Xvfb did not start";
		for (const char* name : {"DISPLAY", "SDL_VIDEODRIVER", "SDL_AUDIODRIVER", "ALSOFT_DRIVERS"}) {
			saved.emplace_back(name, Variable(name));
		}
		setenv("DISPLAY", server.display.c_str(), 1);
		setenv("SDL_VIDEODRIVER", "x11", 1);
		setenv("SDL_AUDIODRIVER", "dummy", 1);
		setenv("ALSOFT_DRIVERS", "null", 1);
	}

	void TearDown() override {
		if (game > 0) {
			kill(game, SIGKILL);
			Reap(game, CHILD_LIMIT_MS);
		}
		for (const auto& [name, value] : saved) {
			RestoreVariable(name.c_str(), value);
		}
		server.Stop();
		if (!folder.empty()) {
			fs::remove_all(folder);
		}
	}

	// The window id of the message box (caption 確認) on screen, or empty.
	static std::string BoxWindow() {
		// xwininfo writes a UTF-8 name as it is only in a UTF-8 locale.
		const std::string tree = Capture("LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null");
		const size_t caption = tree.find("\"確認\"");
		if (caption == std::string::npos) {
			return "";
		}
		const size_t start = tree.rfind("0x", caption);
		return start == std::string::npos ? "" : tree.substr(start, tree.find(' ', start) - start);
	}

	// Escape on the box, given the keyboard's focus: No.
	static bool DeclineBox() {
		std::string box;
		return WaitFor([&box] { return !(box = BoxWindow()).empty(); }) && Xdotool({"windowfocus", box}) &&
		       Xdotool({"key", "--window", box, "Escape"}) && WaitFor([] { return BoxWindow().empty(); });
	}

	size_t Frames() const { return WholeLines(trace).size(); }

	// Waits until the game has traced count frames in all.
	bool WaitForFrames(size_t count) const {
		return WaitFor([this, count] { return Frames() >= count; });
	}

	std::string LastScene() const {
		const std::vector<std::string> lines = WholeLines(trace);
		if (lines.empty()) {
			return "";
		}
		const size_t at = lines.back().find("\"scene\":");
		return at == std::string::npos ? "" : lines.back().substr(at + 8, 1);
	}

	PrivateXvfb server;
	std::vector<std::pair<std::string, std::optional<std::string>>> saved;
	fs::path folder;
	fs::path record;
	fs::path trace;
	pid_t game = -1;
};

TEST_F(DesktopReplayTest, AGamePlayedInTheWindowReplaysFrameForFrame) {
	record = folder / "game.rec";
	trace = folder / "game.jsonl";
	game = Spawn({DataRoot() + "vortane", "--record", record.string(), "--trace", trace.string()});
	ASSERT_GT(game, 0);

	// Windowed: the full-screen question is declined before the first frame.
	ASSERT_TRUE(DeclineBox()) << "no full-screen question came, or it stayed";
	if (!WaitForFrames(30)) {
		GTEST_SKIP() << "the game drew no frames on Xvfb";
	}
	// Click the title; the battle loads.
	ASSERT_TRUE(Xdotool({"mousemove", "640", "360"}));
	ASSERT_TRUE(Xdotool({"click", "1"}));
	ASSERT_TRUE(WaitFor([this] { return LastScene() == "2"; })) << "no battle after the click";
	const size_t battle = Frames();

	// Walk, turn, look up, fire, strafe, fire the plasma.
	ASSERT_TRUE(Xdotool({"keydown", "w"}));
	ASSERT_TRUE(WaitForFrames(battle + 40));
	ASSERT_TRUE(Xdotool({"mousemove_relative", "--", "35", "-14"}));
	ASSERT_TRUE(WaitForFrames(battle + 50));
	ASSERT_TRUE(Xdotool({"mousemove_relative", "--", "-70", "7"}));
	ASSERT_TRUE(Xdotool({"click", "1"}));
	ASSERT_TRUE(WaitForFrames(battle + 70));
	ASSERT_TRUE(Xdotool({"keyup", "w"}));
	ASSERT_TRUE(Xdotool({"keydown", "d"}));
	ASSERT_TRUE(Xdotool({"mousedown", "1"}));
	ASSERT_TRUE(WaitForFrames(battle + 100));
	ASSERT_TRUE(Xdotool({"mouseup", "1"}));
	ASSERT_TRUE(Xdotool({"keyup", "d"}));
	ASSERT_TRUE(Xdotool({"click", "3"}));
	ASSERT_TRUE(WaitForFrames(battle + 130));

	// The window's close, declined: the game goes on.
	kill(game, SIGTERM);
	ASSERT_TRUE(DeclineBox()) << "no quit question came, or it stayed";
	const size_t declined = Frames();
	ASSERT_TRUE(Xdotool({"keydown", "s"}));
	ASSERT_TRUE(WaitForFrames(declined + 30));
	ASSERT_TRUE(Xdotool({"keyup", "s"}));
	ASSERT_TRUE(WaitForFrames(declined + 40));
	kill(game, SIGKILL);
	Reap(game, CHILD_LIMIT_MS);
	game = -1;

	const std::vector<std::string> played = WholeLines(trace);
	const std::string recording = ReadText(record);
	EXPECT_NE(recording.find("\nseed "), std::string::npos) << recording;
	EXPECT_NE(recording.find(" down LBUTTON\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" down W\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" down D\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" down RBUTTON\n"), std::string::npos) << recording;
	EXPECT_NE(recording.find(" move "), std::string::npos) << recording;
	EXPECT_NE(recording.find(" close\n"), std::string::npos) << recording;
	size_t answers = 0;
	for (size_t at = recording.find("answer no\n"); at != std::string::npos; at = recording.find("answer no\n", at + 1)) {
		++answers;
	}
	EXPECT_EQ(answers, 2u) << recording;

	const fs::path replay = folder / "replay.jsonl";
	const std::string command = "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy ALSOFT_DRIVERS=null '" + DataRoot() +
	                            "vortane-run' --no-render --frames " + std::to_string(played.size()) + " --input '" +
	                            record.string() + "' --trace '" + replay.string() + "' 2>&1";
	const std::string output = Capture(command);
	const std::vector<std::string> replayed = WholeLines(replay);
	ASSERT_EQ(replayed.size(), played.size()) << output;
	size_t battleFrames = 0;
	for (size_t frame = 0; frame < played.size(); ++frame) {
		ASSERT_EQ(replayed[frame], played[frame]) << "the replay parts from the game at frame " << frame;
		battleFrames += played[frame].find("\"scene\":2") != std::string::npos ? 1 : 0;
	}
	EXPECT_GE(battleFrames, 170u);
	// The robot moved and turned in the battle, and fired.
	EXPECT_NE(played.back().find("\"playerYaw\":"), std::string::npos);
	EXPECT_EQ(played.back().find("\"playerYaw\":0,"), std::string::npos) << played.back();
	EXPECT_EQ(played.back().find("\"plasmaCharge\":400,"), std::string::npos) << played.back();
	std::printf("compared %zu frames, %zu of them in the battle\n", played.size(), battleFrames);
}

}  // namespace
