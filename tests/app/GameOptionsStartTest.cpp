// --fullscreen and --windowed answer the start-up question: the game goes
// straight to the chosen mode without asking. Without either it asks, as
// always.

#include "app/Application.h"
#include "platform/system/PlatformWindow.h"
#include "platform/system/ScriptedSystemBackend.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const char* const FULL_SCREEN_QUESTION = "フルスクリーンにしますか？";

class StartQuestionTest : public ::testing::Test {
protected:
	void SetUp() override { SetSystemBackend(&backend); }

	void TearDown() override {
		Application& application = Application::Get();
		if (started) {
			application.Shutdown();
		}
		if (application.window != nullptr) {
			DestroyWindow(application.window);
			application.window = nullptr;
		}
		UnregisterClassA("Window", nullptr);
		application.settings = GameSettings{};
		SetSystemBackend(nullptr);
	}

	// Starts the game as main does, with this choice; true when it came up.
	bool Start(std::optional<bool> fullScreen) {
		Application& application = Application::Get();
		application.settings.fullScreen = fullScreen;
		started = application.InitWindow(GetModuleHandleA(nullptr), 1280, 720);
		return started;
	}

	int FullScreenQuestions() const {
		int asked = 0;
		for (const ScriptedSystemBackend::Question& question : backend.Questions()) {
			asked += question.text == FULL_SCREEN_QUESTION ? 1 : 0;
		}
		return asked;
	}

	ScriptedSystemBackend backend;
	bool started = false;
};

TEST_F(StartQuestionTest, WithoutAChoiceTheGameAsksAndTheAnswerDecides) {
	backend.QueueAnswer(IDNO);
	if (!Start(std::nullopt)) {
		GTEST_SKIP() << "no OpenGL device here";
	}
	EXPECT_EQ(FullScreenQuestions(), 1);
	EXPECT_EQ(backend.AnswersLeft(), 0u);
	EXPECT_FALSE(PlatformWindowIsFullScreen(Application::Get().window));
}

TEST_F(StartQuestionTest, WindowedSkipsTheQuestionAndPlaysInAWindow) {
	// A queued Yes would make it full screen, were it asked.
	backend.QueueAnswer(IDYES);
	if (!Start(false)) {
		GTEST_SKIP() << "no OpenGL device here";
	}
	EXPECT_TRUE(backend.Questions().empty());
	EXPECT_EQ(backend.AnswersLeft(), 1u);
	EXPECT_FALSE(PlatformWindowIsFullScreen(Application::Get().window));
	EXPECT_EQ(Application::Get().clientWidth, 1280);
	EXPECT_EQ(Application::Get().clientHeight, 720);
}

TEST_F(StartQuestionTest, FullScreenSkipsTheQuestionAndGoesFullScreen) {
	backend.QueueAnswer(IDNO);
	if (!Start(true)) {
		GTEST_SKIP() << "no OpenGL device here";
	}
	EXPECT_TRUE(backend.Questions().empty());
	EXPECT_EQ(backend.AnswersLeft(), 1u);
	EXPECT_TRUE(PlatformWindowIsFullScreen(Application::Get().window));
}

}  // namespace
