#include "platform/system/ScriptedSystemBackend.h"

#include "platform/system/Win32.h"

#include <SDL.h>

void ScriptedSystemBackend::SetKey(uint32_t at, int virtualKey, bool down) {
	keyChanges.emplace(at, KeyChange{virtualKey, down});
}

void ScriptedSystemBackend::MoveCursor(uint32_t at, int dx, int dy) { motions.emplace(at, Motion{dx, dy}); }

void ScriptedSystemBackend::SetPadAxis(uint32_t at, GamepadAxis axis, float value) {
	padChanges.emplace(at, PadChange{true, axis, GamepadButton::A, value});
}

void ScriptedSystemBackend::SetPadButton(uint32_t at, GamepadButton button, bool down) {
	padChanges.emplace(at, PadChange{false, GamepadAxis::LeftX, button, down ? 1.0f : 0.0f});
}

void ScriptedSystemBackend::CloseWindow(uint32_t at) { closes.emplace(at, true); }

void ScriptedSystemBackend::QueueAnswer(int answer) { answers.push_back(answer); }

void ScriptedSystemBackend::AdvanceFrame() { ++frame; }

// Consumes every key change and motion scheduled up to the current frame.
void ScriptedSystemBackend::ApplyDueInput() {
	while (!keyChanges.empty() && keyChanges.begin()->first <= frame) {
		const KeyChange change = keyChanges.begin()->second;
		keysDown[change.virtualKey] = change.down;
		keyChanges.erase(keyChanges.begin());
	}
	while (!motions.empty() && motions.begin()->first <= frame) {
		cursor.x += motions.begin()->second.dx;
		cursor.y += motions.begin()->second.dy;
		motions.erase(motions.begin());
	}
	while (!padChanges.empty() && padChanges.begin()->first <= frame) {
		const PadChange change = padChanges.begin()->second;
		if (change.isAxis) {
			pad.SetAxis(change.axis, change.value);
		} else {
			pad.SetButton(change.button, change.value > 0.0f);
		}
		padChanges.erase(padChanges.begin());
	}
}

void ScriptedSystemBackend::UseManualClock(DWORD start) {
	manualClock = true;
	manualTime = start;
}

void ScriptedSystemBackend::AdvanceClock(DWORD milliseconds) { manualTime += milliseconds; }

void ScriptedSystemBackend::PumpMessages() {
	// The window still lives on SDL's event queue; keep it drained.
	if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
		SDL_PumpEvents();
		SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
	}
	while (!closes.empty() && closes.begin()->first <= frame) {
		closes.erase(closes.begin());
		for (HWND window : PlatformWindowList()) {
			PostMessageA(window, WM_CLOSE, 0, 0);
		}
	}
}

bool ScriptedSystemBackend::IsKeyDown(int virtualKey) {
	ApplyDueInput();
	const auto found = keysDown.find(virtualKey);
	return found != keysDown.end() && found->second;
}

GamepadState ScriptedSystemBackend::Gamepad() {
	ApplyDueInput();
	return pad;
}

POINT ScriptedSystemBackend::CursorPosition() {
	ApplyDueInput();
	return cursor;
}

void ScriptedSystemBackend::SetCursorPosition(POINT position) {
	ApplyDueInput();
	cursor = position;
}

void ScriptedSystemBackend::SetCursorVisible(bool visible) { cursorVisible = visible; }

int ScriptedSystemBackend::ShowMessageBox(HWND, const std::string& text, const std::string& caption, UINT type) {
	int answer = MessageBoxDefaultAnswer(type);
	if (MessageBoxIsQuestion(type)) {
		answer = IDNO;
		if (!answers.empty()) {
			answer = answers.front();
			answers.pop_front();
		}
	}
	questions.push_back(Question{text, caption, type, answer, frame});
	return answer;
}

DWORD ScriptedSystemBackend::Milliseconds() {
	return manualClock ? manualTime : static_cast<DWORD>(SDL_GetTicks());
}

void ScriptedSystemBackend::Sleep(DWORD milliseconds) {
	if (sleeps.size() < MAX_RECORDED_SLEEPS) {
		sleeps.push_back(milliseconds);
	}
	if (manualClock) {
		manualTime += milliseconds;
	} else if (realTime) {
		SDL_Delay(milliseconds);
	}
}
