// The game's data gone, cut to half its length or overwritten with noise:
// each object whose file fails stays empty and the game goes on, title,
// battle, result and title again, and quits cleanly when asked.
//
// Without the stage nothing in the battle can end it: a shot lives only
// while the map lies ahead of it, so every shot, the robot's and the
// enemies', is spent the frame it is fired; the robot and the walkers fall
// through where the floor would be at the same pace and the boss hovers
// where it was placed. The result picture is therefore reached in-process,
// through the scene factory, with a battle whose robot is destroyed on its
// first update: what follows is the game's own fade, result and title.

#include "app/Application.h"
#include "app/HeadlessRunner.h"
#include "platform/image/Image.h"
#include "platform/system/Win32.h"
#include "scene/CGame.h"
#include "scene/SceneBase.h"
#include "scene/SceneManager.h"
#include "tests/faults/FaultTestSupport.h"

#include <cmath>
#include <cstdlib>

namespace faults {
namespace {

// One click on the title in frame 10 starts the battle in frame 66.
constexpr int BATTLE_STARTS = 66;
constexpr int ESCAPED = 100;
constexpr int CLOSED = 120;

const char* const LOOP_SCRIPT =
	"answer no\n"   // windowed
	"answer yes\n"  // back to the title
	"answer yes\n"  // quit
	"10 down LBUTTON\n11 up LBUTTON\n"
	"70 down W\n72 down LBUTTON\n90 up LBUTTON\n92 down RBUTTON\n93 up RBUTTON\n95 up W\n"
	"100 down ESCAPE\n101 up ESCAPE\n"
	"120 close\n";

// The lost battle: the fade counts from the update after the robot's fall,
// the result follows 120 frames on, and the title 60 frames after a click.
constexpr int RESULT_STARTS = 187;
constexpr int RESULT_CLICKED = 200;
constexpr int TITLE_RETURNS = 260;
constexpr int RESULT_LOOP_FRAMES = 270;

const char* const RESULT_SCRIPT =
	"answer no\n"
	"10 down LBUTTON\n11 up LBUTTON\n"
	"200 down LBUTTON\n201 up LBUTTON\n";

// A picture run: the click of the loop, the battle drawn twice.
constexpr int PICTURE_SHOT = BATTLE_STARTS + 1;
constexpr int PICTURE_FRAMES = PICTURE_SHOT + 1;

// The battle's clear colour: what an empty stage shows.
constexpr uint8_t BACKGROUND[3] = {0x00, 0x00, 0x32};

// A battle whose robot is destroyed on its first update.
class LostBattle : public CGame {
public:
	int32_t Update() override {
		player.hitPoints = 0.0f;
		return CGame::Update();
	}
};

SceneBase* CreateSceneWithLostBattle(int32_t id) {
	return id == SCENE_GAME ? new LostBattle() : CreateGameScene(id);
}

class DataFaultTest : public ::testing::TestWithParam<DataFault> {
protected:
	void SetUp() override { ASSERT_TRUE(game.Make(GetParam())); }

	Outcome RunRunner(const std::string& arguments) {
		return RunChild("SDL_VIDEODRIVER=offscreen ALSOFT_DRIVERS=null", (game.folder / "vortane-run").string(),
		                arguments);
	}

	GameCopy game;
};

// "key":number out of a trace line; NaN where it is missing.
double Number(const std::string& line, const std::string& key) {
	const size_t at = line.find("\"" + key + "\":");
	return at == std::string::npos ? std::nan("") : std::atof(line.c_str() + at + key.size() + 3);
}

// The y of "playerPosition":[x,y,z].
double PlayerHeight(const std::string& line) {
	const size_t at = line.find("\"playerPosition\":[");
	if (at == std::string::npos) {
		return std::nan("");
	}
	const size_t comma = line.find(',', at);
	return std::atof(line.c_str() + comma + 1);
}

TEST_P(DataFaultTest, TitleBattleTitleAndQuitRunOnWithEveryObjectEmpty) {
	const std::string script = WriteText(game.folder / "loop.txt", LOOP_SCRIPT);
	const fs::path trace = game.folder / "trace.jsonl";
	const Outcome outcome = RunRunner("--frames 200 --no-render --seed 3 --json --trace-scenes --trace " +
	                                  Quoted(trace) + " --input '" + script + "'");
	if (NoDeviceHere(outcome)) {
		GTEST_SKIP() << outcome.output;
	}
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	ExpectNoCrashReport(outcome);

	const std::vector<int> scenes = TracedScenes(outcome.output);
	ASSERT_EQ(scenes.size(), size_t(CLOSED)) << outcome.output;
	const std::vector<std::pair<int, int>> expected = {
		{0, SCENE_TITLE}, {BATTLE_STARTS, SCENE_GAME}, {ESCAPED, SCENE_TITLE}};
	EXPECT_EQ(SceneChanges(scenes), expected);
	EXPECT_NE(outcome.output.find("{\"frames\":120,\"scene\":0,"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("タイトルに戻りますか？ -> yes"), std::string::npos) << outcome.output;
	EXPECT_NE(outcome.output.find("frame 120: box \"確認\": 終了しますか？ -> yes"), std::string::npos)
		<< outcome.output;

	// In the battle: nine enemies that nothing hurts, a robot that nothing
	// hurts, whose shots are spent at once and who falls with no floor.
	const std::vector<std::string> lines = Lines(ReadText(trace));
	ASSERT_EQ(lines.size(), size_t(CLOSED));
	double lastHeight = std::nan("");
	for (int frame = BATTLE_STARTS; frame < ESCAPED; ++frame) {
		const std::string& line = lines[size_t(frame)];
		ASSERT_EQ(Number(line, "scene"), SCENE_GAME) << line;
		EXPECT_EQ(Number(line, "playerHitPoints"), 300.0) << line;
		EXPECT_EQ(Number(line, "enemies"), 9.0) << line;
		EXPECT_EQ(Number(line, "shots"), 0.0) << line;
		const double height = PlayerHeight(line);
		if (frame > BATTLE_STARTS) {
			EXPECT_LT(height, lastHeight) << line;
		}
		lastHeight = height;
	}
}

TEST_P(DataFaultTest, TheBattleShowsOnlyItsBackground) {
	const fs::path picture = game.folder / "battle.png";
	const std::string script = WriteText(game.folder / "click.txt", "answer no\n10 down LBUTTON\n11 up LBUTTON\n");
	const Outcome outcome = RunRunner("--frames " + std::to_string(PICTURE_FRAMES) + " --seed 3 --trace-scenes --shot " +
	                                  std::to_string(PICTURE_SHOT) + ":" + Quoted(picture) + " --input '" + script +
	                                  "'");
	if (NoDeviceHere(outcome)) {
		GTEST_SKIP() << outcome.output;
	}
	ASSERT_EQ(outcome.exitCode, 0) << outcome.output;
	ExpectNoCrashReport(outcome);
	const std::vector<int> scenes = TracedScenes(outcome.output);
	ASSERT_EQ(scenes.size(), size_t(PICTURE_FRAMES));
	ASSERT_EQ(scenes[PICTURE_SHOT], SCENE_GAME);

	const std::string bytes = ReadText(picture);
	Image image;
	std::string why;
	ASSERT_TRUE(ReadPngImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, why)) << why;
	ASSERT_EQ(image.width, 1280u);
	ASSERT_EQ(image.height, 720u);
	const std::vector<uint8_t>& pixels = image.surfaces[0].bytes;
	size_t foreign = 0;
	for (size_t i = 0; i + 3 < pixels.size(); i += 4) {
		// Stored B, G, R, A.
		if (pixels[i + 2] != BACKGROUND[0] || pixels[i + 1] != BACKGROUND[1] || pixels[i] != BACKGROUND[2]) {
			++foreign;
		}
	}
	EXPECT_EQ(foreign, 0u) << "pixels other than the background";
}

// In this process, through the runner's own loop, with the data root moved
// to the damaged copy.
class InProcessRun {
public:
	explicit InProcessRun(const fs::path& folder) : savedRoot(DataRoot()) {
		SetDataRoot(folder.string());
		Application::Get().SetSceneFactory(CreateSceneWithLostBattle);
	}
	~InProcessRun() {
		Application& application = Application::Get();
		application.SetSceneFactory(CreateGameScene);
		if (application.window != nullptr) {
			DestroyWindow(application.window);
			application.window = nullptr;
		}
		UnregisterClassA("Window", nullptr);
		SetDataRoot(savedRoot);
	}

	int Run(const RunnerOptions& options, std::string& log) {
		std::ostringstream out, errors;
		HeadlessRunner runner(options);
		const int exitCode = runner.Run(out, errors);
		log = out.str() + errors.str();
		return exitCode;
	}

private:
	std::string savedRoot;
};

TEST_P(DataFaultTest, ALostBattleFadesToTheResultAndAClickReturnsToTheTitle) {
	RunnerOptions options;
	options.frames = RESULT_LOOP_FRAMES;
	options.seed = 3;
	options.noRender = true;
	options.traceScenes = true;
	options.inputFile = WriteText(game.folder / "result.txt", RESULT_SCRIPT);
	options.traceFile = (game.folder / "trace.jsonl").string();
	std::string log;
	int exitCode = -1;
	{
		InProcessRun run(game.folder);
		exitCode = run.Run(options, log);
	}
	if (exitCode == 1 && log.find("could not be created") != std::string::npos) {
		GTEST_SKIP() << log;
	}
	ASSERT_EQ(exitCode, 0) << log;

	const std::vector<int> scenes = TracedScenes(log);
	ASSERT_EQ(scenes.size(), size_t(RESULT_LOOP_FRAMES)) << log;
	const std::vector<std::pair<int, int>> expected = {
		{0, SCENE_TITLE}, {BATTLE_STARTS, SCENE_GAME}, {RESULT_STARTS, SCENE_RESULT}, {TITLE_RETURNS, SCENE_TITLE}};
	EXPECT_EQ(SceneChanges(scenes), expected);
	const std::vector<std::string> lines = Lines(ReadText(options.traceFile));
	ASSERT_EQ(lines.size(), size_t(RESULT_LOOP_FRAMES));
	// The result picture shows the failure, and the click is what leaves it.
	EXPECT_NE(lines[RESULT_STARTS].find("\"battleFailed\":true"), std::string::npos) << lines[RESULT_STARTS];
	EXPECT_EQ(scenes[RESULT_CLICKED], SCENE_RESULT);
}

INSTANTIATE_TEST_SUITE_P(Data, DataFaultTest,
                         ::testing::Values(DataFault::Missing, DataFault::Halved, DataFault::RandomBytes),
                         [](const ::testing::TestParamInfo<DataFault>& info) { return DataFaultName(info.param); });

}  // namespace
}  // namespace faults
