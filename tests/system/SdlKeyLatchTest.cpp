// The desktop backend's key and button state, fed synthetic SDL events on
// the offscreen driver: presses collected by the message pump reach
// GetAsyncKeyState, quick taps included.

#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {

class SdlKeyLatchTest : public ::testing::Test {
protected:
	void SetUp() override {
		ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
		videoStarted = true;
		SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
		SetSystemBackend(&desktop);
	}

	void TearDown() override {
		SetSystemBackend(nullptr);
		if (videoStarted) {
			SDL_QuitSubSystem(SDL_INIT_VIDEO);
		}
	}

	static void PushKey(SDL_Scancode scancode, bool down, bool repeat = false) {
		SDL_Event event = {};
		event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
		event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
		event.key.repeat = repeat ? 1 : 0;
		event.key.keysym.scancode = scancode;
		ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
	}

	static void PushButton(Uint8 button, bool down) {
		SDL_Event event = {};
		event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
		event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
		event.button.button = button;
		event.button.clicks = 1;
		ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
	}

	// What the main loop does between frames: take every message there is.
	static void PumpFrame() {
		MSG message;
		while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
			DispatchMessageA(&message);
		}
	}

	static bool Held(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

	SdlSystemBackend desktop;
	bool videoStarted = false;
};

TEST_F(SdlKeyLatchTest, KeyTapInsideOneFrameIsSeenByTheNextPollOnly) {
	EXPECT_FALSE(Held('A'));
	PushKey(SDL_SCANCODE_A, true);
	PushKey(SDL_SCANCODE_A, false);
	// Nothing is seen before the pump collects it.
	EXPECT_FALSE(Held('A'));
	PumpFrame();
	EXPECT_TRUE(Held('A'));
	EXPECT_FALSE(Held('A'));
	PumpFrame();
	EXPECT_FALSE(Held('A'));
}

TEST_F(SdlKeyLatchTest, ClicksInsideOneFrameAreSeenByTheNextPollOnly) {
	PushButton(SDL_BUTTON_LEFT, true);
	PushButton(SDL_BUTTON_LEFT, false);
	PushButton(SDL_BUTTON_RIGHT, true);
	PushButton(SDL_BUTTON_RIGHT, false);
	PumpFrame();
	EXPECT_TRUE(Held(VK_LBUTTON));
	EXPECT_FALSE(Held(VK_LBUTTON));
	EXPECT_TRUE(Held(VK_RBUTTON));
	EXPECT_FALSE(Held(VK_RBUTTON));
}

TEST_F(SdlKeyLatchTest, HeldKeysStayDownAcrossFramesUntilReleased) {
	PushKey(SDL_SCANCODE_W, true);
	PushButton(SDL_BUTTON_LEFT, true);
	PumpFrame();
	for (int frame = 0; frame < 3; ++frame) {
		EXPECT_TRUE(Held('W')) << frame;
		EXPECT_TRUE(Held(VK_LBUTTON)) << frame;
		PumpFrame();
	}
	PushKey(SDL_SCANCODE_W, false);
	PushButton(SDL_BUTTON_LEFT, false);
	PumpFrame();
	EXPECT_FALSE(Held('W'));
	EXPECT_FALSE(Held(VK_LBUTTON));
}

// The main loop polls Escape before it pumps, the battle scene after: the
// loop's earlier poll must not take the tap from the scene.
TEST_F(SdlKeyLatchTest, PollBeforeThePumpDoesNotTakeTheTapFromThePollAfter) {
	PushKey(SDL_SCANCODE_ESCAPE, true);
	PushKey(SDL_SCANCODE_ESCAPE, false);
	EXPECT_FALSE(Held(VK_ESCAPE));
	PumpFrame();
	EXPECT_TRUE(Held(VK_ESCAPE));
	EXPECT_FALSE(Held(VK_ESCAPE));
}

TEST_F(SdlKeyLatchTest, KeysMapByPositionLettersAndDigits) {
	PushKey(SDL_SCANCODE_Z, true);
	PushKey(SDL_SCANCODE_0, true);
	PushKey(SDL_SCANCODE_9, true);
	PushKey(SDL_SCANCODE_F1, true);
	PumpFrame();
	EXPECT_TRUE(Held('Z'));
	EXPECT_TRUE(Held('0'));
	EXPECT_TRUE(Held('9'));
	EXPECT_FALSE(Held('Y'));
	EXPECT_FALSE(Held('1'));
}

TEST_F(SdlKeyLatchTest, AutoRepeatAfterTheKeyWasSeenDoesNotShowItAgain) {
	PushKey(SDL_SCANCODE_D, true);
	PumpFrame();
	EXPECT_TRUE(Held('D'));
	PushKey(SDL_SCANCODE_D, true, true);
	PushKey(SDL_SCANCODE_D, false);
	PumpFrame();
	EXPECT_FALSE(Held('D'));
}

// A box takes the keyboard; what was held or tapped before it closes must
// not act on the game afterwards.
TEST_F(SdlKeyLatchTest, MessageBoxLeavesNoKeyHeldOrPending) {
	if (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr) {
		GTEST_SKIP() << "a display is present; the box would wait for a person";
	}
	PushKey(SDL_SCANCODE_ESCAPE, true);
	PushButton(SDL_BUTTON_LEFT, true);
	PushButton(SDL_BUTTON_LEFT, false);
	PumpFrame();
	EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_YESNO | MB_DEFBUTTON2), IDNO);
	EXPECT_FALSE(Held(VK_ESCAPE));
	EXPECT_FALSE(Held(VK_LBUTTON));
}

}  // namespace
