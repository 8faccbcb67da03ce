// The desktop backend's pads, played by SDL's virtual game controller: plugged
// in, moved, tapped and pulled out through SDL's own events.

#include "platform/system/SdlSystemBackend.h"

#include <gtest/gtest.h>

#include <SDL.h>

namespace {

class SdlGamepadTest : public ::testing::Test {
protected:
	void SetUp() override {
		ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
		ASSERT_TRUE(desktop.EnableGamepads()) << SDL_GetError();
		device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
		                                   SDL_CONTROLLER_BUTTON_MAX, 0);
		ASSERT_GE(device, 0) << SDL_GetError();
		desktop.PumpMessages();
		joystick = SDL_JoystickFromInstanceID(SDL_JoystickGetDeviceInstanceID(device));
		if (joystick == nullptr) {
			GTEST_SKIP() << "SDL opened no game controller for its virtual pad";
		}
	}

	void TearDown() override {
		if (device >= 0) {
			SDL_JoystickDetachVirtual(device);
			desktop.PumpMessages();
		}
		desktop.DisableGamepads();
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
	}

	void Axis(SDL_GameControllerAxis axis, Sint16 value) {
		SDL_JoystickSetVirtualAxis(joystick, axis, value);
		desktop.PumpMessages();
	}
	void Button(SDL_GameControllerButton button, bool down) {
		SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
		desktop.PumpMessages();
	}

	SdlSystemBackend desktop;
	int device = -1;
	SDL_Joystick* joystick = nullptr;
};

TEST_F(SdlGamepadTest, SticksTriggersAndButtonsReachTheGameAsThePadHoldsThem) {
	Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
	Axis(SDL_CONTROLLER_AXIS_RIGHTX, 32767);
	Axis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
	Button(SDL_CONTROLLER_BUTTON_LEFTSHOULDER, true);
	const GamepadState held = desktop.Gamepad();
	EXPECT_EQ(held.leftY, -1.0f);
	EXPECT_EQ(held.rightX, 1.0f);
	EXPECT_EQ(held.rightTrigger, 1.0f);
	EXPECT_TRUE(held.leftShoulder);
	EXPECT_FALSE(held.a);
	EXPECT_EQ(held.leftX, 0.0f);
}

TEST_F(SdlGamepadTest, ATapBetweenTwoReadsShowsOnceAndAPulledPadLetsGo) {
	Button(SDL_CONTROLLER_BUTTON_A, true);
	Button(SDL_CONTROLLER_BUTTON_A, false);
	Axis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
	EXPECT_TRUE(desktop.Gamepad().a);
	EXPECT_FALSE(desktop.Gamepad().a);
	EXPECT_EQ(desktop.Gamepad().leftX, 1.0f);

	SDL_JoystickDetachVirtual(device);
	device = -1;
	desktop.PumpMessages();
	EXPECT_EQ(desktop.Gamepad().leftX, 0.0f);
}

}  // namespace
