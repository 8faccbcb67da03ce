// The player's machine at fault: no sound device, no OpenGL 3.3, and the
// window closed in the middle of a battle. The game with its own data,
// run as a child process.

#include "scene/SceneBase.h"
#include "tests/faults/FaultTestSupport.h"

namespace faults {
namespace {

constexpr int BATTLE_STARTS = 66;

Outcome RunBuildRunner(const std::string& environment, const std::string& arguments) {
	return RunChild("SDL_VIDEODRIVER=offscreen " + environment, DataRoot() + "vortane-run", arguments);
}

class SystemFaultTest : public ::testing::Test {
protected:
	void SetUp() override {
		char pattern[] = "/tmp/vortane-faults-XXXXXX";
		ASSERT_NE(mkdtemp(pattern), nullptr);
		folder = pattern;
	}
	void TearDown() override {
		std::error_code ignored;
		fs::remove_all(folder, ignored);
	}

	fs::path folder;
};

//
// No sound device: OpenAL's OSS driver pointed at a device file that does
// not exist cannot open, so no sound plays; the battle must go exactly as
// it goes on the null driver.
//
const char* const NOISY_SCRIPT =
	"answer no\n"
	"10 down LBUTTON\n11 up LBUTTON\n"
	"70 down W\n75 down LBUTTON\n95 up LBUTTON\n100 down RBUTTON\n101 up RBUTTON\n110 up W\n"
	"112 down D\n125 up D\n";
constexpr int NOISY_FRAMES = 130;

TEST_F(SystemFaultTest, WithoutASoundDeviceTheBattleGoesAsOnTheNullDriver) {
	const std::string script = WriteText(folder / "noisy.txt", NOISY_SCRIPT);
	const std::string config = WriteText(folder / "alsoft.conf", "[oss]\ndevice = /nonexistent/vortane-dsp\n");
	const std::string arguments = "--frames " + std::to_string(NOISY_FRAMES) + " --no-render --seed 11 --input '" +
	                              script + "' --trace ";

	const Outcome silent = RunBuildRunner("ALSOFT_DRIVERS=null", arguments + Quoted(folder / "null.jsonl"));
	if (NoDeviceHere(silent)) {
		GTEST_SKIP() << silent.output;
	}
	ASSERT_EQ(silent.exitCode, 0) << silent.output;
	const Outcome deaf = RunBuildRunner("ALSOFT_DRIVERS=oss ALSOFT_LOGLEVEL=1 ALSOFT_CONF='" + config + "'",
	                                    arguments + Quoted(folder / "none.jsonl"));
	ASSERT_EQ(deaf.exitCode, 0) << deaf.output;
	ExpectNoCrashReport(deaf);
	// OpenAL tried the device and could not open it.
	EXPECT_NE(deaf.output.find("/nonexistent/vortane-dsp"), std::string::npos) << deaf.output;

	const std::string expected = ReadText(folder / "null.jsonl");
	const std::vector<std::string> lines = Lines(expected);
	ASSERT_EQ(lines.size(), size_t(NOISY_FRAMES));
	// The battle was on, and the gun fired, while the sounds had nowhere to go.
	EXPECT_NE(lines[BATTLE_STARTS].find("\"scene\":2"), std::string::npos) << lines[BATTLE_STARTS];
	EXPECT_NE(expected.find("\"moving\":true"), std::string::npos);
	EXPECT_NE(expected.find("\"plasmaActive\":true"), std::string::npos);
	EXPECT_EQ(ReadText(folder / "none.jsonl"), expected);
}

//
// No OpenGL 3.3: Mesa asked to offer no more than 2.1, where the device
// cannot be made. The device's own box, then the application's, then the
// end: exit code 0 for the game, 1 for the runner.
//
const char* const NO_GL_33 = "MESA_GL_VERSION_OVERRIDE=2.1";

TEST_F(SystemFaultTest, WithoutOpenGL33TheRunnerLogsBothDeviceBoxesAndStops) {
	const Outcome outcome = RunBuildRunner(std::string(NO_GL_33) + " ALSOFT_DRIVERS=null", "--frames 5 --json");
	if (outcome.output.find("\"frames\":5") != std::string::npos) {
		GTEST_SKIP() << "this OpenGL ignores MESA_GL_VERSION_OVERRIDE";
	}
	EXPECT_EQ(outcome.exitCode, 1) << outcome.output;
	ExpectNoCrashReport(outcome);
	const std::string boxes[] = {
		"vortane-run: frame 0: box \"確認\": フルスクリーンにしますか？ -> no",
		"vortane-run: frame 0: box \"Direct3D初期化\": Direct3Dの初期化に失敗 -> ok",
		"vortane-run: frame 0: box \"\": Direct3D初期化ミス -> ok",
	};
	size_t from = 0;
	for (const std::string& box : boxes) {
		const size_t at = outcome.output.find(box, from);
		ASSERT_NE(at, std::string::npos) << box << "\n" << outcome.output;
		from = at + box.size();
	}
	EXPECT_EQ(outcome.output.find("box", from), std::string::npos) << outcome.output;
	EXPECT_EQ(outcome.output.find("\"frames\""), std::string::npos) << outcome.output;
}

// SDL's offscreen driver shows no boxes: each is answered by its default
// at once, and the game must still end by itself.
TEST_F(SystemFaultTest, WithoutOpenGL33TheGameEndsWithExitCodeZero) {
	const Outcome outcome =
		RunChild(std::string("SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null ") + NO_GL_33, DataRoot() + "vortane", "",
		         60);
	EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
	ExpectNoCrashReport(outcome);
}

//
// The window's close command in the middle of a battle: No goes on with
// the battle, Yes ends the game with everything released.
//
TEST_F(SystemFaultTest, ClosingTheWindowMidBattleAndAnsweringYesEndsCleanly) {
	constexpr int REFUSED = 80;
	constexpr int CLOSED = 90;
	const std::string script = WriteText(folder / "close.txt",
	                                     "answer no\nanswer no\nanswer yes\n"
	                                     "10 down LBUTTON\n11 up LBUTTON\n"
	                                     "70 down W\n75 down LBUTTON\n"
	                                     "80 close\n"
	                                     "90 close\n");
	const Outcome outcome =
		RunBuildRunner("ALSOFT_DRIVERS=null", "--frames 200 --no-render --seed 2 --json --trace-scenes --input '" +
		                                          script + "'");
	if (NoDeviceHere(outcome)) {
		GTEST_SKIP() << outcome.output;
	}
	EXPECT_EQ(outcome.exitCode, 0) << outcome.output;
	ExpectNoCrashReport(outcome);
	const std::vector<int> scenes = TracedScenes(outcome.output);
	ASSERT_EQ(scenes.size(), size_t(CLOSED)) << outcome.output;
	const std::vector<std::pair<int, int>> expected = {{0, SCENE_TITLE}, {BATTLE_STARTS, SCENE_GAME}};
	EXPECT_EQ(SceneChanges(scenes), expected);
	EXPECT_NE(outcome.output.find("frame " + std::to_string(REFUSED) + ": box \"確認\": 終了しますか？ -> no"),
	          std::string::npos)
		<< outcome.output;
	EXPECT_NE(outcome.output.find("frame " + std::to_string(CLOSED) + ": box \"確認\": 終了しますか？ -> yes"),
	          std::string::npos)
		<< outcome.output;
	EXPECT_NE(outcome.output.find("{\"frames\":90,\"scene\":0,"), std::string::npos) << outcome.output;
}

}  // namespace
}  // namespace faults
