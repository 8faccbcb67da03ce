#include "platform/system/SdlSystemBackend.h"

#include "platform/system/Win32.h"

#include <SDL.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

namespace {

// The virtual key behind a key position, by layout-independent scancode as
// a Windows game expects of its letter keys; 0 for keys the game never reads.
int VirtualKeyOf(SDL_Scancode scancode) {
	if (scancode == SDL_SCANCODE_ESCAPE) {
		return VK_ESCAPE;
	}
	if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
		return 'A' + (scancode - SDL_SCANCODE_A);
	}
	if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
		return '1' + (scancode - SDL_SCANCODE_1);
	}
	if (scancode == SDL_SCANCODE_0) {
		return '0';
	}
	return 0;
}

int VirtualKeyOfButton(Uint8 button) {
	if (button == SDL_BUTTON_LEFT) {
		return VK_LBUTTON;
	}
	return button == SDL_BUTTON_RIGHT ? VK_RBUTTON : 0;
}

// The game's axes and buttons by SDL's; false for those it does not map.
bool PadAxisOf(Uint8 sdlAxis, GamepadAxis& axis) {
	switch (sdlAxis) {
	case SDL_CONTROLLER_AXIS_LEFTX: axis = GamepadAxis::LeftX; return true;
	case SDL_CONTROLLER_AXIS_LEFTY: axis = GamepadAxis::LeftY; return true;
	case SDL_CONTROLLER_AXIS_RIGHTX: axis = GamepadAxis::RightX; return true;
	case SDL_CONTROLLER_AXIS_RIGHTY: axis = GamepadAxis::RightY; return true;
	case SDL_CONTROLLER_AXIS_TRIGGERLEFT: axis = GamepadAxis::LeftTrigger; return true;
	case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: axis = GamepadAxis::RightTrigger; return true;
	default: return false;
	}
}

bool PadButtonOf(Uint8 sdlButton, GamepadButton& button) {
	if (sdlButton == SDL_CONTROLLER_BUTTON_A) {
		button = GamepadButton::A;
		return true;
	}
	if (sdlButton == SDL_CONTROLLER_BUTTON_LEFTSHOULDER) {
		button = GamepadButton::LeftShoulder;
		return true;
	}
	return false;
}

// SDL's X11 message box picks its fonts for the current locale, and the
// questions are Japanese: without a UTF-8 locale they come out as garbage.
void PreferUtf8Locale() {
	const char* names[] = {"LC_ALL", "LC_CTYPE", "LANG"};
	for (const char* name : names) {
		const char* value = std::getenv(name);
		if (value != nullptr && value[0] != '\0') {
			if (std::strstr(value, "UTF-8") != nullptr || std::strstr(value, "utf8") != nullptr) {
				return;
			}
			break;
		}
	}
	setenv("LC_CTYPE", "C.UTF-8", 1);
	unsetenv("LC_ALL");
}

}  // namespace

bool SdlSystemBackend::EnableGamepads() {
	if (gamepadsEnabled) {
		return true;
	}
	if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
		return false;
	}
	gamepadsEnabled = true;
	return true;
}

void SdlSystemBackend::DisableGamepads() {
	if (!gamepadsEnabled) {
		return;
	}
	for (const auto& [id, controller] : controllers) {
		SDL_GameControllerClose(controller);
		pads.Disconnect(id);
	}
	controllers.clear();
	SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
	gamepadsEnabled = false;
}

void SdlSystemBackend::PumpMessages() {
	if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
		return;
	}
	bool closePosted = false;
	SDL_Event event;
	while (SDL_PollEvent(&event) != 0) {
		switch (event.type) {
		case SDL_WINDOWEVENT:
			HandleWindowEvent(event.window, closePosted);
			break;
		case SDL_KEYDOWN:
		case SDL_KEYUP:
		case SDL_MOUSEBUTTONDOWN:
		case SDL_MOUSEBUTTONUP:
			HandleInputEvent(event);
			break;
		case SDL_CONTROLLERDEVICEADDED:
		case SDL_CONTROLLERDEVICEREMOVED:
		case SDL_CONTROLLERAXISMOTION:
		case SDL_CONTROLLERBUTTONDOWN:
		case SDL_CONTROLLERBUTTONUP:
			HandlePadEvent(event);
			break;
		case SDL_QUIT:
			// A terminal's Ctrl+C or the session ending: ask as a close would,
			// unless a close in this batch already asks.
			if (!closePosted && !PlatformWindowList().empty()) {
				PostMessageA(PlatformWindowList().front(), WM_CLOSE, 0, 0);
				closePosted = true;
			}
			break;
		default:
			break;
		}
	}
}

void SdlSystemBackend::HandleWindowEvent(const SDL_WindowEvent& event, bool& closePosted) {
	const HWND window = PlatformWindowFromSdl(SDL_GetWindowFromID(event.windowID));
	if (window == nullptr) {
		return;
	}
	if (event.event == SDL_WINDOWEVENT_CLOSE && !closePosted) {
		PostMessageA(window, WM_CLOSE, 0, 0);
		closePosted = true;
	} else if (event.event == SDL_WINDOWEVENT_SIZE_CHANGED && !PlatformWindowIsFullScreen(window)) {
		if (event.data1 != window->clientWidth || event.data2 != window->clientHeight) {
			window->clientWidth = event.data1;
			window->clientHeight = event.data2;
			PostMessageA(window, WM_SIZE, SIZE_RESTORED,
			             MAKELPARAM(static_cast<WORD>(event.data1), static_cast<WORD>(event.data2)));
		}
	}
}

void SdlSystemBackend::HandleInputEvent(const SDL_Event& event) {
	const bool isKey = event.type == SDL_KEYDOWN || event.type == SDL_KEYUP;
	const int virtualKey = isKey ? VirtualKeyOf(event.key.keysym.scancode) : VirtualKeyOfButton(event.button.button);
	if (virtualKey == 0) {
		return;
	}
	if (event.type == SDL_KEYDOWN || event.type == SDL_MOUSEBUTTONDOWN) {
		latch.Press(virtualKey);
	} else {
		latch.Release(virtualKey);
	}
}

void SdlSystemBackend::HandlePadEvent(const SDL_Event& event) {
	if (!gamepadsEnabled) {
		return;
	}
	switch (event.type) {
	case SDL_CONTROLLERDEVICEADDED: {
		// which is a device index here; every later event names the instance.
		SDL_GameController* controller = SDL_GameControllerOpen(event.cdevice.which);
		if (controller == nullptr) {
			return;
		}
		const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
		if (!controllers.emplace(id, controller).second) {
			SDL_GameControllerClose(controller);  // plugged-in twice over: opened already
			return;
		}
		pads.Connect(id);
		break;
	}
	case SDL_CONTROLLERDEVICEREMOVED: {
		const auto found = controllers.find(event.cdevice.which);
		if (found != controllers.end()) {
			SDL_GameControllerClose(found->second);
			controllers.erase(found);
		}
		pads.Disconnect(event.cdevice.which);
		break;
	}
	case SDL_CONTROLLERAXISMOTION: {
		GamepadAxis axis;
		if (PadAxisOf(event.caxis.axis, axis)) {
			// -32768 to 32767, triggers 0 to 32767: full at 32767 either way.
			pads.SetAxis(event.caxis.which, axis, static_cast<float>(event.caxis.value) / 32767.0f);
		}
		break;
	}
	default: {
		GamepadButton button;
		if (PadButtonOf(event.cbutton.button, button)) {
			pads.SetButton(event.cbutton.which, button, event.type == SDL_CONTROLLERBUTTONDOWN);
		}
		break;
	}
	}
}

// No pump here: the main loop polls Escape before it pumps and the scene
// after, so a tap collected by the pump reaches the scene's poll.
bool SdlSystemBackend::IsKeyDown(int virtualKey) { return latch.Poll(virtualKey); }

// Pumps without taking events: SDL keeps the global pointer and relative
// motion as of the last events read, and the key events stay queued for
// PumpMessages.
POINT SdlSystemBackend::CursorPosition() {
	SDL_PumpEvents();
	if (relativeMode) {
		int dx = 0, dy = 0;
		SDL_GetRelativeMouseState(&dx, &dy);
		relativeMotion.x += dx;
		relativeMotion.y += dy;
		return POINT{relativeBase.x + relativeMotion.x, relativeBase.y + relativeMotion.y};
	}
	int x = 0, y = 0;
	SDL_GetGlobalMouseState(&x, &y);
	return POINT{x, y};
}

void SdlSystemBackend::SetCursorPosition(POINT position) {
	if (relativeMode) {
		relativeBase = position;
		relativeMotion = POINT{0, 0};
		SDL_GetRelativeMouseState(nullptr, nullptr);
		return;
	}
	SDL_WarpMouseGlobal(position.x, position.y);
}

void SdlSystemBackend::SetCursorVisible(bool visible) {
	if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
		return;
	}
	SetRelativeMode(!visible);
	if (!relativeMode) {
		SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
	}
}

void SdlSystemBackend::SetRelativeMode(bool relative) {
	if (relative == relativeMode) {
		return;
	}
	if (relative) {
		const POINT here = CursorPosition();
		if (SDL_SetRelativeMouseMode(SDL_TRUE) != 0) {
			return;
		}
		// Where SDL emulates relative mode by warping, it takes the first
		// motion after for the pointer's first position and drops it. A warp
		// in relative mode moves nothing but gives SDL that position.
		int x = 0, y = 0;
		SDL_GetMouseState(&x, &y);
		SDL_WarpMouseInWindow(nullptr, x, y);
		relativeBase = here;
		relativeMotion = POINT{0, 0};
		SDL_GetRelativeMouseState(nullptr, nullptr);
		relativeMode = true;
	} else {
		SDL_SetRelativeMouseMode(SDL_FALSE);
		relativeMode = false;
	}
}

int SdlSystemBackend::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
	const int defaultAnswer = MessageBoxDefaultAnswer(type);
	const bool question = MessageBoxIsQuestion(type);

	SDL_MessageBoxButtonData buttons[2];
	int buttonCount = 0;
	if (question) {
		const Uint32 yesFlags = defaultAnswer == IDYES ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0;
		const Uint32 noFlags = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT |
		                       (defaultAnswer == IDNO ? SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT : 0);
		buttons[buttonCount++] = SDL_MessageBoxButtonData{yesFlags, IDYES, "はい(Y)"};
		buttons[buttonCount++] = SDL_MessageBoxButtonData{noFlags, IDNO, "いいえ(N)"};
	} else {
		buttons[buttonCount++] = SDL_MessageBoxButtonData{
			SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, IDOK, "OK"};
	}

	Uint32 flags = SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
	const UINT icon = type & MB_ICONMASK;
	if (icon == MB_ICONERROR) {
		flags |= SDL_MESSAGEBOX_ERROR;
	} else if (icon == MB_ICONWARNING) {
		flags |= SDL_MESSAGEBOX_WARNING;
	} else {
		flags |= SDL_MESSAGEBOX_INFORMATION;
	}

	// An owner that is not on screen yet would hide the box behind nothing.
	SDL_Window* parent = (owner != nullptr && IsWindow(owner) && owner->visible) ? owner->sdl : nullptr;
	const SDL_MessageBoxData box{flags, parent, caption.c_str(), text.c_str(), buttonCount, buttons, nullptr};

	// The box needs the real pointer while it is up.
	const bool wasRelative = relativeMode;
	SetRelativeMode(false);
	PreferUtf8Locale();
	int pressed = -1;
	const bool shown = SDL_ShowMessageBox(&box, &pressed) == 0;
	SetRelativeMode(wasRelative);
	// Keys released while the box had the focus never reached the game
	// window, and presses made to answer it are not the game's.
	SDL_ResetKeyboard();
	latch.Reset();
	pads.DropPresses();
	if (!shown || pressed < 0) {
		return defaultAnswer;
	}
	return pressed;
}

DWORD SdlSystemBackend::Milliseconds() { return static_cast<DWORD>(SDL_GetTicks()); }

void SdlSystemBackend::Sleep(DWORD milliseconds) { SDL_Delay(milliseconds); }
