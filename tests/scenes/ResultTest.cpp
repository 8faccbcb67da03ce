// The result scene on the real device: the picture the last battle's
// outcome picks, the click that returns to the title 60 frames later, and
// the Escape question.

#include "scene/Result.h"
#include "scene/SceneManager.h"
#include "scene/Title.h"
#include "tests/scenes/SceneTestSupport.h"

using namespace scenes;

namespace {

constexpr int PICTURE_LEFT = 240;
constexpr int PICTURE_TOP = 60;

class ResultTest : public SceneDeviceTest {
protected:
	Picture DrawAndRead(Result& result) {
		result.Draw();
		Picture picture;
		EXPECT_TRUE(picture.ReadBackBuffer());
		return picture;
	}

	// Into the folder VORTANE_SCENE_SHOTS names, for a person to look at.
	static void KeepPicture(const Picture& picture, const char* name) {
		if (const char* folder = std::getenv("VORTANE_SCENE_SHOTS")) {
			std::string why;
			EXPECT_TRUE(WritePngFile(std::string(folder) + "/" + name, picture.width, picture.height,
			                         picture.rgba.data(), why))
				<< why;
		}
	}

	static SourceImage Load(const char* name) {
		SourceImage image;
		EXPECT_TRUE(image.Load(name)) << name;
		return image;
	}

	// Updates until the scene asks for another; the number of updates that
	// took, the last one included.
	int UpdatesUntilLeft(Result& result, int limit = 200) {
		for (int update = 1; update <= limit; ++update) {
			const int32_t next = result.Update();
			backend.AdvanceFrame();
			if (next != SCENE_RESULT) {
				EXPECT_EQ(next, SCENE_TITLE);
				return update;
			}
		}
		return 0;
	}
};

TEST_F(ResultTest, AWonBattleShowsTheSuccessPictureAndALostOneTheFailurePicture) {
	const SourceImage success = Load("data/Texture/Result/Result.png");
	const SourceImage failure = Load("data/Texture/Result/Failed.png");
	Application& application = Application::Get();

	application.battleFailed = false;
	Result won;
	EXPECT_EQ(won.id, SCENE_RESULT);
	const Picture wonPicture = DrawAndRead(won);
	EXPECT_LT(MeanDifferenceFromImage(wonPicture, success, PICTURE_LEFT, PICTURE_TOP), 6.0);
	EXPECT_GT(MeanDifferenceFromImage(wonPicture, failure, PICTURE_LEFT, PICTURE_TOP), 30.0);
	// Centred on black.
	EXPECT_TRUE(wonPicture.IsBlack(120, 360));
	EXPECT_TRUE(wonPicture.IsBlack(1160, 360));
	EXPECT_TRUE(wonPicture.IsBlack(640, 30));
	EXPECT_TRUE(wonPicture.IsBlack(640, 690));
	won.Uninit();
	KeepPicture(wonPicture, "result_success_drawn.png");

	application.battleFailed = true;
	Result lost;
	const Picture lostPicture = DrawAndRead(lost);
	KeepPicture(lostPicture, "result_failure_drawn.png");
	EXPECT_LT(MeanDifferenceFromImage(lostPicture, failure, PICTURE_LEFT, PICTURE_TOP), 6.0);
	EXPECT_GT(MeanDifferenceFromImage(lostPicture, success, PICTURE_LEFT, PICTURE_TOP), 30.0);
	lost.Uninit();
	EXPECT_TRUE(lost.resultTexture.IsEmpty());
	EXPECT_EQ(lost.buttonSound.Voice(0), nullptr);
}

TEST_F(ResultTest, StartsWithTheTitlesLightAndAResetCamera) {
	Application& application = Application::Get();
	application.cameraEye = D3DXVECTOR3(100.0f, 20.0f, 2000.0f);
	application.cameraTarget = D3DXVECTOR3(100.0f, 20.0f, 2060.0f);
	Result result;
	EXPECT_EQ(application.cameraEye, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_EQ(application.cameraTarget, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
	EXPECT_FALSE(result.clicked);
	EXPECT_EQ(result.counter, 0);
	D3DLIGHT9 light;
	GraphicsDevice::Get().GetLight(&light, 0);
	EXPECT_NEAR(light.Direction.x, 0.70710678f, 1e-5f);
	EXPECT_NEAR(light.Direction.z, 0.0f, 1e-6f);
	// The draw puts the camera back at its identity pose.
	result.Draw();
	EXPECT_NEAR(application.cameraEye.z, -20.0f, 1e-4f);
	EXPECT_NEAR(application.cameraTarget.z, 60.0f, 1e-4f);
}

TEST_F(ResultTest, OneClickReturnsToTheTitleInItsSixtyFirstUpdate) {
	Result result;
	// A few frames of looking at the picture first.
	for (int frame = 0; frame < 5; ++frame) {
		EXPECT_EQ(result.Update(), SCENE_RESULT);
		backend.AdvanceFrame();
	}
	EXPECT_FALSE(result.clicked);
	ClickNow();
	EXPECT_EQ(UpdatesUntilLeft(result), 61);
	EXPECT_TRUE(result.clicked);
}

TEST_F(ResultTest, ASecondClickDoesNotRestartTheCount) {
	Result result;
	ClickNow();
	for (int frame = 0; frame < 30; ++frame) {
		ASSERT_EQ(result.Update(), SCENE_RESULT);
		backend.AdvanceFrame();
	}
	ClickNow();
	EXPECT_EQ(UpdatesUntilLeft(result), 31);
}

TEST_F(ResultTest, HoldingTheButtonPlaysTheButtonSoundEveryFrame) {
	if (!loopback) {
		GTEST_SKIP() << "no OpenAL loopback device";
	}
	Result result;
	ASSERT_NE(result.buttonSound.Voice(0), nullptr);
	EXPECT_EQ(PlayingVoices(result.buttonSound), 0);
	backend.SetKey(0, VK_LBUTTON, true);
	for (int frame = 1; frame <= 4; ++frame) {
		result.Update();
		backend.AdvanceFrame();
		EXPECT_EQ(PlayingVoices(result.buttonSound), frame);
	}
	// Still counting from the first of them.
	EXPECT_EQ(result.counter, 4);
}

TEST_F(ResultTest, EscapeAnsweredNoKeepsTheResultShowing) {
	Result result;
	backend.QueueAnswer(IDNO);
	backend.SetKey(0, VK_ESCAPE, true);
	backend.SetKey(1, VK_ESCAPE, false);
	EXPECT_EQ(result.Update(), SCENE_RESULT);
	backend.AdvanceFrame();
	ASSERT_EQ(backend.Questions().size(), 1u);
	const ScriptedSystemBackend::Question& question = backend.Questions()[0];
	EXPECT_EQ(question.text, "タイトルに戻りますか？");
	EXPECT_EQ(question.caption, "確認");
	EXPECT_EQ(question.type, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST));
	// Nothing changed: it waits for a click as before, and asks no more.
	for (int frame = 0; frame < 100; ++frame) {
		ASSERT_EQ(result.Update(), SCENE_RESULT);
		backend.AdvanceFrame();
	}
	EXPECT_EQ(backend.Questions().size(), 1u);
	EXPECT_FALSE(result.clicked);
	ClickNow();
	EXPECT_EQ(UpdatesUntilLeft(result), 61);
}

TEST_F(ResultTest, EscapeAnsweredYesReturnsAtOnceEvenBeforeAClick) {
	Result result;
	backend.QueueAnswer(IDYES);
	backend.SetKey(0, VK_ESCAPE, true);
	EXPECT_EQ(result.Update(), SCENE_TITLE);
	EXPECT_EQ(backend.Questions().size(), 1u);
	EXPECT_FALSE(result.clicked);
}

TEST_F(ResultTest, EscapeAnsweredYesDuringTheCountReturnsAtOnce) {
	Result result;
	ClickNow();
	for (int frame = 0; frame < 10; ++frame) {
		ASSERT_EQ(result.Update(), SCENE_RESULT);
		backend.AdvanceFrame();
	}
	backend.QueueAnswer(IDYES);
	backend.SetKey(backend.Frame(), VK_ESCAPE, true);
	EXPECT_EQ(result.Update(), SCENE_TITLE);
}

// Through the manager, as the game switches scenes: the title made by the
// click's 61st update is drawn in the same frame, and the cursor that the
// first title hid stays hidden all along.
TEST_F(ResultTest, TheManagerReturnsFromTheResultToAFreshTitle) {
	int titlesMade = 0;
	SceneManager manager([&titlesMade](int32_t id) -> SceneBase* {
		switch (id) {
		case SCENE_TITLE:
			++titlesMade;
			return new Title();
		case SCENE_RESULT:
			return new Result();
		default:
			return nullptr;
		}
	});
	ASSERT_EQ(titlesMade, 1);
	EXPECT_FALSE(backend.CursorVisible());
	manager.SwitchTo(SCENE_RESULT);
	ASSERT_NE(manager.scene, nullptr);
	ASSERT_EQ(manager.scene->id, SCENE_RESULT);

	ClickNow();
	int frames = 0;
	while (manager.scene->id == SCENE_RESULT && frames < 100) {
		manager.Update();
		manager.Draw();
		backend.AdvanceFrame();
		++frames;
		EXPECT_FALSE(backend.CursorVisible());
	}
	EXPECT_EQ(frames, 61);
	EXPECT_EQ(manager.scene->id, SCENE_TITLE);
	EXPECT_EQ(titlesMade, 2);
	// The new title drew its picture in the switch frame.
	Picture picture;
	ASSERT_TRUE(picture.ReadBackBuffer());
	EXPECT_LT(MeanDifferenceFromImage(picture, Load("data/Texture/Title/Title.png"), PICTURE_LEFT, PICTURE_TOP), 6.0);
}

}  // namespace
