// The real game on a private X server, as a player meets it. Without
// OpenGL 3.3 (Mesa asked to offer no more than 2.1): the full-screen
// question, the device's own error box, the application's box, each
// answered with Return, then the end with exit code 0. And a battle whose
// window is closed, the quit question answered Yes: a clean exit. Skipped
// where Xvfb or the X tools are missing.

#include "tests/faults/DesktopSession.h"
#include "tests/faults/XDisplayProbe.h"

#include <cstdlib>

namespace faults {
namespace {

constexpr int BOX_WAIT_MS = 20000;
constexpr int EXIT_WAIT_MS = 20000;
constexpr int BATTLE_WAIT_MS = 60000;
constexpr int CLIENT_WIDTH = 1280;
constexpr int CLIENT_HEIGHT = 720;
// The lower half of the title and loading pictures is dark; the battle's
// floor fills it with light grey.
constexpr double BATTLE_BRIGHTNESS = 100.0;

double MeanBrightness(const std::vector<uint8_t>& rgba) {
	double sum = 0.0;
	for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
		sum += rgba[i] + rgba[i + 1] + rgba[i + 2];
	}
	return rgba.empty() ? 0.0 : sum / (3.0 * double(rgba.size() / 4));
}

bool Differs(const uint8_t* a, const uint8_t* b) {
	return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 24;
}

// The centre of a question box's left button, "はい": in the row of the
// lower half that differs most from the box's background, the first run of
// differing pixels from the left.
std::optional<std::pair<int, int>> YesButton(const std::vector<uint8_t>& rgba, int width, int height) {
	if (rgba.size() < size_t(width) * size_t(height) * 4) {
		return std::nullopt;
	}
	const uint8_t* background = &rgba[(size_t(width) + 1) * 4];
	auto at = [&](int x, int y) { return &rgba[(size_t(y) * size_t(width) + size_t(x)) * 4]; };
	int bestRow = -1, bestCount = 0;
	for (int y = height / 2; y < height; ++y) {
		int count = 0;
		for (int x = 0; x < width; ++x) {
			count += Differs(at(x, y), background) ? 1 : 0;
		}
		if (count > bestCount) {
			bestRow = y;
			bestCount = count;
		}
	}
	if (bestRow < 0) {
		return std::nullopt;
	}
	int left = 0;
	while (left < width && !Differs(at(left, bestRow), background)) {
		++left;
	}
	int right = left;
	while (right < width && Differs(at(right, bestRow), background)) {
		++right;
	}
	return std::make_pair((left + right) / 2, bestRow);
}

class DesktopFaultTest : public ::testing::Test {
protected:
	void SetUp() override {
		const std::string why = desktop.Start();
		if (!why.empty()) {
			GTEST_SKIP() << why;
		}
		char pattern[] = "/tmp/vortane-faults-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}

	void TearDown() override {
		desktop.Stop();
		if (!folder.empty()) {
			std::error_code ignored;
			fs::remove_all(folder, ignored);
		}
	}

	DesktopSession desktop;
	fs::path folder;
};

TEST_F(DesktopFaultTest, WithoutOpenGL33TheGameShowsTheDeviceBoxesAndExitsWithZero) {
	const fs::path log = folder / "vortane.log";
	ASSERT_TRUE(desktop.Launch(DataRoot() + "vortane", {"ALSOFT_DRIVERS=null", "MESA_GL_VERSION_OVERRIDE=2.1"}, log));

	// Each box alone on the screen, in this order: the question, the
	// device's error, the application's error without a caption.
	for (const std::string title : {"確認", "Direct3D初期化", ""}) {
		const std::optional<std::string> box = desktop.WaitForBox(title, BOX_WAIT_MS);
		ASSERT_TRUE(box.has_value()) << "no box \"" << title << "\"\n" << ReadText(log);
		EXPECT_EQ(desktop.BoxTitles(), std::vector<std::string>{title});
		ASSERT_TRUE(desktop.PressReturn(*box));
	}
	EXPECT_EQ(desktop.WaitForExit(EXIT_WAIT_MS), 0) << ReadText(log);
	Outcome outcome;
	outcome.exitCode = 0;
	outcome.output = ReadText(log);
	ExpectNoCrashReport(outcome);
}

TEST_F(DesktopFaultTest, ClosingTheWindowMidBattleAndAnsweringYesEndsCleanly) {
	const fs::path log = folder / "vortane.log";
	ASSERT_TRUE(desktop.Launch(DataRoot() + "vortane", {"ALSOFT_DRIVERS=null"}, log));
	const std::optional<std::string> question = desktop.WaitForBox("確認", BOX_WAIT_MS);
	ASSERT_TRUE(question.has_value()) << ReadText(log);
	ASSERT_TRUE(desktop.PressReturn(*question));  // windowed
	if (desktop.WaitForBox("Direct3D初期化", 1000)) {
		GTEST_SKIP() << "no OpenGL 3.3 device on Xvfb";
	}
	const std::optional<std::string> game = desktop.WindowNamed("VORTANE");
	ASSERT_TRUE(game.has_value());
	const unsigned long window = std::stoul(*game, nullptr, 16);
	XDisplayProbe probe;
	ASSERT_TRUE(probe.Open(desktop.Display()));

	// Click the title, then wait for the battle's floor.
	ASSERT_TRUE(desktop.Click(*game, CLIENT_WIDTH / 2, CLIENT_HEIGHT / 2));
	bool battle = false;
	for (int waited = 0; waited < BATTLE_WAIT_MS && !battle; waited += DesktopSession::POLL_MS) {
		std::this_thread::sleep_for(std::chrono::milliseconds(DesktopSession::POLL_MS));
		battle = MeanBrightness(probe.Pixels(window, 0, CLIENT_HEIGHT / 2, CLIENT_WIDTH, CLIENT_HEIGHT / 2)) >
		         BATTLE_BRIGHTNESS;
	}
	ASSERT_TRUE(battle) << ReadText(log);

	ASSERT_TRUE(probe.RequestClose(window));
	const std::optional<std::string> quit = desktop.WaitForBox("確認", BOX_WAIT_MS);
	ASSERT_TRUE(quit.has_value()) << ReadText(log);
	const std::pair<int, int> size = desktop.WindowSize(*quit);
	const std::optional<std::pair<int, int>> yes =
		YesButton(probe.Pixels(std::stoul(*quit, nullptr, 16), 0, 0, size.first, size.second), size.first, size.second);
	ASSERT_TRUE(yes.has_value());
	ASSERT_TRUE(desktop.Click(*quit, yes->first, yes->second));

	EXPECT_EQ(desktop.WaitForExit(EXIT_WAIT_MS), 0) << ReadText(log);
	Outcome outcome;
	outcome.exitCode = 0;
	outcome.output = ReadText(log);
	ExpectNoCrashReport(outcome);
}

}  // namespace
}  // namespace faults
