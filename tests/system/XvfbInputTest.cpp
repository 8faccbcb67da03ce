// Real input on a real X server: a private Xvfb, a game window opened the
// Win32 way, and xdotool pressing keys and moving the pointer as a person
// would. Skipped where Xvfb or xdotool is missing.

#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"
#include "tests/system/XvfbSession.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace xvfb_test;

namespace {

LRESULT CALLBACK IgnoringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	return DefWindowProcA(window, message, wParam, lParam);
}

enum class CursorMode { Visible, Hidden, HiddenWarpEmulation };

class XvfbInputTest : public ::testing::Test {
public:
	// One server and one switch of SDL to it for the whole suite; the other
	// suites go back to the offscreen driver afterwards.
	static void SetUpTestSuite() { skipReason = session.Start(); }

	static void TearDownTestSuite() { session.Stop(); }

protected:
	void SetUp() override {
		if (!skipReason.empty()) {
			GTEST_SKIP() << skipReason;
		}
		WNDCLASSEXA windowClass = {};
		windowClass.cbSize = sizeof(WNDCLASSEXA);
		windowClass.lpfnWndProc = IgnoringProcedure;
		windowClass.lpszClassName = "XvfbInputWindow";
		ASSERT_NE(RegisterClassExA(&windowClass), 0);
		SetSystemBackend(&desktop);
		window = CreateWindowExA(0, "XvfbInputWindow", "VORTANE", WS_CAPTION | WS_SYSMENU, 100, 80, 640, 480,
		                         nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
		ASSERT_NE(window, nullptr) << SDL_GetError();
		ShowWindow(window, SW_SHOW);
		// Keys go to the focused window, and the pointer starts over it.
		SDL_SetWindowInputFocus(PlatformWindowSdl(window));
		const POINT centre = Centre();
		SetCursorPos(centre.x, centre.y);
		ASSERT_TRUE(Sync());
		PumpFrame();
	}

	void TearDown() override {
		for (; hiddenCount > 0; --hiddenCount) {
			ShowCursor(TRUE);
		}
		SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_MODE_WARP, nullptr);
		if (window != nullptr) {
			DestroyWindow(window);
		}
		UnregisterClassA("XvfbInputWindow", nullptr);
		SetSystemBackend(nullptr);
	}

	// Where the robot re-centres the cursor every battle frame.
	POINT Centre() const {
		RECT client = {};
		GetClientRect(window, &client);
		POINT centre = {client.right / 2, client.bottom / 2 - 48};
		ClientToScreen(window, &centre);
		return centre;
	}

	void UseCursorMode(CursorMode mode) {
		if (mode == CursorMode::Visible) {
			return;
		}
		if (mode == CursorMode::HiddenWarpEmulation) {
			SDL_SetHint(SDL_HINT_MOUSE_RELATIVE_MODE_WARP, "1");
		}
		ShowCursor(FALSE);
		++hiddenCount;
	}

	static void PumpFrame() {
		MSG message;
		while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
			DispatchMessageA(&message);
		}
	}

	static bool Held(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

	void ExpectQuickInputSeenOnce(CursorMode mode) {
		UseCursorMode(mode);
		PumpFrame();
		struct Case {
			std::vector<std::string> xdotool;
			int virtualKey;
			std::function<bool(const SDL_Event&)> lastEvent;
		};
		const Case cases[] = {
			{{"keydown", "a", "keyup", "a"}, 'A', KeyUp(SDL_SCANCODE_A)},
			{{"mousedown", "1", "mouseup", "1"}, VK_LBUTTON, ButtonUp(SDL_BUTTON_LEFT)},
			{{"mousedown", "3", "mouseup", "3"}, VK_RBUTTON, ButtonUp(SDL_BUTTON_RIGHT)},
		};
		for (const Case& input : cases) {
			SCOPED_TRACE(input.virtualKey);
			EXPECT_FALSE(Held(input.virtualKey));
			// Down and up inside one frame: no poll between them.
			ASSERT_TRUE(Xdotool(input.xdotool));
			ASSERT_TRUE(WaitForEvent(input.lastEvent));
			PumpFrame();
			EXPECT_TRUE(Held(input.virtualKey));
			EXPECT_FALSE(Held(input.virtualKey));
			PumpFrame();
			EXPECT_FALSE(Held(input.virtualKey));
		}
	}

	void ExpectMotionMovesTheCursorExactly(CursorMode mode) {
		UseCursorMode(mode);
		EXPECT_EQ(SDL_GetRelativeMouseMode() == SDL_TRUE, mode != CursorMode::Visible);
		const POINT centre = Centre();
		SetCursorPos(centre.x, centre.y);
		PumpFrame();
		for (int frame = 0; frame < 4; ++frame) {
			SCOPED_TRACE(frame);
			ASSERT_TRUE(MovePointer(35, -14));
			PumpFrame();
			POINT cursor = {};
			ASSERT_TRUE(GetCursorPos(&cursor));
			// 35 and -14 pixels are exactly 5 and -2 degrees of turn.
			EXPECT_EQ(cursor.x - centre.x, 35);
			EXPECT_EQ(cursor.y - centre.y, -14);

			SetCursorPos(centre.x, centre.y);
			ASSERT_TRUE(GetCursorPos(&cursor));
			EXPECT_EQ(cursor.x, centre.x);
			EXPECT_EQ(cursor.y, centre.y);

			// A frame without motion: the re-centre must not read as motion.
			ASSERT_TRUE(Sync());
			PumpFrame();
			ASSERT_TRUE(GetCursorPos(&cursor));
			EXPECT_EQ(cursor.x, centre.x);
			EXPECT_EQ(cursor.y, centre.y);
		}
	}

	static inline XvfbSession session;
	static inline std::string skipReason;

	SdlSystemBackend desktop;
	HWND window = nullptr;
	int hiddenCount = 0;
};

TEST_F(XvfbInputTest, QuickKeyAndClicksAreSeenOnceWithTheCursorShown) {
	ExpectQuickInputSeenOnce(CursorMode::Visible);
}

TEST_F(XvfbInputTest, QuickKeyAndClicksAreSeenOnceWithTheCursorHidden) {
	ExpectQuickInputSeenOnce(CursorMode::Hidden);
}

TEST_F(XvfbInputTest, HeldKeyIsSeenByEveryPollUntilReleased) {
	ASSERT_TRUE(Xdotool({"keydown", "a"}));
	ASSERT_TRUE(Sync());
	PumpFrame();
	EXPECT_TRUE(Held('A'));
	EXPECT_TRUE(Held('A'));
	PumpFrame();
	EXPECT_TRUE(Held('A'));
	ASSERT_TRUE(Xdotool({"keyup", "a"}));
	ASSERT_TRUE(WaitForEvent(KeyUp(SDL_SCANCODE_A)));
	PumpFrame();
	EXPECT_FALSE(Held('A'));
}

TEST_F(XvfbInputTest, PointerMotionMovesTheShownCursorExactly) {
	ExpectMotionMovesTheCursorExactly(CursorMode::Visible);
}

TEST_F(XvfbInputTest, PointerMotionMovesTheHiddenCursorExactly) {
	ExpectMotionMovesTheCursorExactly(CursorMode::Hidden);
}

// Where SDL has no raw relative motion it warps the pointer itself.
TEST_F(XvfbInputTest, PointerMotionMovesTheHiddenCursorExactlyUnderWarpEmulation) {
	ExpectMotionMovesTheCursorExactly(CursorMode::HiddenWarpEmulation);
}

}  // namespace
