// A battle on a real desktop: a private X server, the game window with its
// OpenGL device, the SDL backend the game ships with, and xdotool moving the
// pointer and clicking as a person would. The robot must turn by exactly
// the pixels moved, see a click shorter than a frame, and keep the cursor
// out of sight. Skipped where Xvfb, xdotool or an OpenGL 3.3 device on
// Xvfb is missing.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "platform/math/D3DXMath.h"
#include "platform/system/PlatformWindow.h"
#include "platform/system/SystemBackend.h"
#include "platform/system/Win32.h"
#include "player/Ammo.h"
#include "player/PlayerMech.h"
#include "scene/CGame.h"
#include "scene/SceneManager.h"
#include "tests/desktop/XCursorProbe.h"
#include "tests/system/XvfbSession.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

using namespace xvfb_test;
using desktop_test::CursorImageVisible;

namespace {

// One frame of pointer motion: 35 and -14 pixels are 5 degrees of turn to
// the right and 2 degrees up at the robot's sensitivity of 7.
constexpr int MOTION_X = 35;
constexpr int MOTION_Y = -14;
constexpr float TURN_DEGREES = 5.0f;
constexpr float RAISE_DEGREES = 2.0f;
constexpr int MOTION_FRAMES = 4;
// The robot turns itself by whole degrees times this, not by pi / 180.
constexpr float DEGREE = 0.017453f;

constexpr int CLIENT_WIDTH = 1280;
constexpr int CLIENT_HEIGHT = 720;

D3DXVECTOR3 Row(const D3DXMATRIX& matrix, int row) {
	return D3DXVECTOR3(matrix.m[row][0], matrix.m[row][1], matrix.m[row][2]);
}

class DesktopBattleInputTest : public ::testing::Test {
public:
	static void SetUpTestSuite() { skipReason = session.Start(); }

	static void TearDownTestSuite() { session.Stop(); }

protected:
	void SetUp() override {
		if (!skipReason.empty()) {
			GTEST_SKIP() << skipReason;
		}
		// The desktop backend the game runs on, not a scripted one.
		SetSystemBackend(nullptr);
		Application& application = Application::Get();
		ASSERT_TRUE(application.CreateMainWindow(GetModuleHandleA(nullptr), CLIENT_WIDTH, CLIENT_HEIGHT));
		windowMade = true;
		ASSERT_EQ(application.clientWidth, CLIENT_WIDTH);
		ASSERT_EQ(application.clientHeight, CLIENT_HEIGHT);
		ShowWindow(application.window, SW_SHOW);
		// Keys and clicks go to the focused window, and the pointer starts over it.
		SDL_SetWindowInputFocus(PlatformWindowSdl(application.window));
		if (!GraphicsDevice::Get().Init(application.window, application.clientWidth, application.clientHeight,
		                                D3DFMT_X8R8G8B8, false)) {
			GTEST_SKIP() << "no OpenGL 3.3 device on Xvfb's GLX: " << SDL_GetError();
		}
		deviceMade = true;
		GraphicsDevice::Get().SetDefaultStates();
		application.plainShader.Init();
		application.modelShader.Init();
		application.blurFilter.Init();
		application.shadowMap.Init();

		// The title hides the cursor before any battle begins.
		ShowCursor(FALSE);
		cursorHidden = true;
		ASSERT_TRUE(Sync());
		PumpFrame();

		manager = new SceneManager([](int32_t id) -> SceneBase* { return id == SCENE_GAME ? new CGame() : nullptr; });
		sceneManager = manager;
		manager->SwitchTo(SCENE_GAME);
		game = static_cast<CGame*>(manager->scene);
		ASSERT_NE(game, nullptr);
		ASSERT_EQ(game->player.lookSensitivity, 7.0f);
	}

	void TearDown() override {
		delete manager;
		manager = nullptr;
		sceneManager = nullptr;
		if (cursorHidden) {
			ShowCursor(TRUE);
		}
		Application& application = Application::Get();
		if (deviceMade) {
			application.plainShader.Release();
			application.modelShader.Release();
			application.blurFilter.Release();
			application.shadowMap.Release();
			GraphicsDevice::Get().Release();
		}
		if (windowMade) {
			DestroyWindow(application.window);
			UnregisterClassA("Window", nullptr);
			application.window = nullptr;
		}
		SetSystemBackend(nullptr);
	}

	PlayerMech& Robot() { return game->player; }

	// The main loop's message pump between two frames.
	static void PumpFrame() {
		MSG message;
		while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
			TranslateMessage(&message);
			DispatchMessageA(&message);
		}
	}

	// One robot frame on whatever input has arrived.
	void RobotFrame() {
		PumpFrame();
		Robot().Update();
	}

	// Where the robot puts the cursor back every frame: above the client
	// centre, in screen coordinates.
	static POINT Centre() {
		POINT centre = {CLIENT_WIDTH / 2, CLIENT_HEIGHT / 2 - 48};
		ClientToScreen(Application::Get().window, &centre);
		return centre;
	}

	static POINT Cursor() {
		POINT cursor = {};
		GetCursorPos(&cursor);
		return cursor;
	}

	// Hidden as the player sees it: no visible pixel in the pointer image
	// the X server draws, and SDL keeping it hidden.
	static void ExpectCursorHidden() {
		EXPECT_TRUE(SDL_GetRelativeMouseMode() == SDL_TRUE || SDL_ShowCursor(SDL_QUERY) == SDL_DISABLE)
			<< "SDL shows the cursor";
		const std::optional<bool> visible = CursorImageVisible(session.Display());
		if (visible) {
			EXPECT_FALSE(*visible) << "the X server draws a visible pointer";
		}
	}

	static inline XvfbSession session;
	static inline std::string skipReason;

	SceneManager* manager = nullptr;
	CGame* game = nullptr;
	bool windowMade = false;
	bool deviceMade = false;
	bool cursorHidden = false;
};

TEST_F(DesktopBattleInputTest, TheBattleCentresTheCursorAboveTheClientCentre) {
	const POINT centre = Centre();
	EXPECT_EQ(Robot().cursorCentre.x, centre.x);
	EXPECT_EQ(Robot().cursorCentre.y, centre.y);
	EXPECT_EQ(Cursor().x, centre.x);
	EXPECT_EQ(Cursor().y, centre.y);
}

TEST_F(DesktopBattleInputTest, PointerMotionTurnsAndAimsByItsPixelsAndAStillFrameTurnsNothing) {
	Application& application = Application::Get();
	const POINT centre = Centre();
	ASSERT_EQ(Robot().yaw, 0.0f);
	ASSERT_EQ(Robot().aimPitch, 25.0f);
	ASSERT_EQ(application.viewPitch, 0.0f);
	ASSERT_EQ(application.viewYaw, 0.0f);

	for (int frame = 1; frame <= MOTION_FRAMES; ++frame) {
		SCOPED_TRACE(frame);
		const D3DXMATRIX before = Robot().world;
		ASSERT_TRUE(MovePointer(MOTION_X, MOTION_Y));
		RobotFrame();

		EXPECT_EQ(Robot().lookDeltaX, TURN_DEGREES);
		EXPECT_EQ(Robot().lookDeltaY, -RAISE_DEGREES);
		EXPECT_EQ(Robot().yaw, TURN_DEGREES * frame);
		EXPECT_EQ(application.viewYaw, TURN_DEGREES * frame);
		EXPECT_EQ(Robot().aimPitch, 25.0f + RAISE_DEGREES * frame);
		EXPECT_EQ(application.viewPitch, -RAISE_DEGREES * frame);

		// The robot turned right about its own vertical axis by the frame's
		// turn: its axes are the previous ones rotated, its forward row
		// points that many degrees right of +z.
		D3DXMATRIX turn;
		D3DXMatrixRotationY(&turn, TURN_DEGREES * DEGREE);
		const D3DXMATRIX expected = turn * before;
		for (int row = 0; row < 3; ++row) {
			for (int column = 0; column < 3; ++column) {
				EXPECT_NEAR(Robot().world.m[row][column], expected.m[row][column], 1e-6f) << row << "," << column;
			}
		}
		const D3DXVECTOR3 forward = Row(Robot().world, 2);
		EXPECT_NEAR(forward.x, std::sin(TURN_DEGREES * frame * DEGREE), 1e-5f);
		EXPECT_NEAR(forward.y, 0.0f, 1e-6f);
		EXPECT_NEAR(forward.z, std::cos(TURN_DEGREES * frame * DEGREE), 1e-5f);
		const float previousHeading = std::atan2(before._31, before._33);
		EXPECT_NEAR(std::atan2(forward.x, forward.z) - previousHeading, TURN_DEGREES * DEGREE, 1e-5f);

		// Put back, so the next frame measures from the centre again.
		EXPECT_EQ(Cursor().x, centre.x);
		EXPECT_EQ(Cursor().y, centre.y);
		ExpectCursorHidden();

		// A frame without motion: the re-centre must not read as motion.
		const D3DXMATRIX turned = Robot().world;
		ASSERT_TRUE(Sync());
		RobotFrame();
		EXPECT_EQ(Robot().lookDeltaX, 0.0f);
		EXPECT_EQ(Robot().lookDeltaY, 0.0f);
		EXPECT_EQ(Robot().yaw, TURN_DEGREES * frame);
		EXPECT_EQ(application.viewYaw, TURN_DEGREES * frame);
		EXPECT_EQ(Robot().aimPitch, 25.0f + RAISE_DEGREES * frame);
		EXPECT_EQ(application.viewPitch, -RAISE_DEGREES * frame);
		for (int row = 0; row < 3; ++row) {
			for (int column = 0; column < 3; ++column) {
				EXPECT_EQ(Robot().world.m[row][column], turned.m[row][column]) << row << "," << column;
			}
		}
		EXPECT_EQ(Cursor().x, centre.x);
		EXPECT_EQ(Cursor().y, centre.y);
	}
}

TEST_F(DesktopBattleInputTest, AClickShorterThanAFrameFiresTheGunOnce) {
	ASSERT_TRUE(Robot().shots.empty());
	// Down and up before the frame polls the button.
	ASSERT_TRUE(Xdotool({"click", "1"}));
	ASSERT_TRUE(WaitForEvent(ButtonUp(SDL_BUTTON_LEFT)));
	RobotFrame();
	ASSERT_EQ(Robot().shots.size(), 1u);
	EXPECT_TRUE(Robot().shots.front()->active);
	EXPECT_EQ(Robot().fireCooldown, 1);

	// The click is over: the next frame neither fires again nor keeps
	// counting towards the next shot as a held button would.
	ASSERT_TRUE(Sync());
	RobotFrame();
	EXPECT_LE(Robot().shots.size(), 1u);
	EXPECT_EQ(Robot().fireCooldown, 0);
	ExpectCursorHidden();
}

TEST_F(DesktopBattleInputTest, TheCursorStaysHiddenThroughBattleFramesAndShowsOnlyWhenAskedFor) {
	ExpectCursorHidden();
	for (int frame = 0; frame < 3; ++frame) {
		ASSERT_TRUE(MovePointer(MOTION_X, MOTION_Y));
		RobotFrame();
		ExpectCursorHidden();
	}
	// The probe can see a pointer at all: showing it again makes it visible.
	ShowCursor(TRUE);
	cursorHidden = false;
	ASSERT_TRUE(Sync());
	const std::optional<bool> visible = CursorImageVisible(session.Display());
	if (!visible) {
		GTEST_SKIP() << "XFixes is not available to read the pointer image";
	}
	EXPECT_TRUE(*visible);
}

}  // namespace
