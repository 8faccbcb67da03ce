#include "app/FrameInputBackend.h"

#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/Win32.h"

namespace {

// The keys the input grammar names, sampled at the end of every frame.
constexpr int RECORDED_KEYS[] = {'W', 'A', 'S', 'D', 'F', 'G', 'H', 'J', VK_ESCAPE, VK_LBUTTON, VK_RBUTTON};

}  // namespace

FrameInputBackend::FrameInputBackend(SystemBackend& innerBackend)
	: inner(innerBackend), playedCursor(ScriptedSystemBackend::START_CURSOR) {}

void FrameInputBackend::See(int virtualKey, bool down) {
	if (played[virtualKey] == down) {
		return;
	}
	played[virtualKey] = down;
	if (recorder != nullptr) {
		recorder->Key(frame, virtualKey, down);
	}
}

// A clicks in the title and the result; in the battle the gun is the
// trigger's alone.
bool FrameInputBackend::PadHolds(int virtualKey) {
	if (!GamepadMapping::Maps(virtualKey)) {
		return false;
	}
	GamepadState pad = Pad();
	const bool inBattle = sceneManager != nullptr && sceneManager->scene != nullptr &&
	                      sceneManager->scene->id == SCENE_GAME;
	if (virtualKey == VK_LBUTTON && inBattle) {
		pad.a = false;
	}
	return GamepadMapping::Holds(pad, virtualKey);
}

const GamepadState& FrameInputBackend::Pad() {
	if (!padThisFrame) {
		padThisFrame = inner.Gamepad();
	}
	return *padThisFrame;
}

bool FrameInputBackend::IsKeyDown(int virtualKey) {
	if (!IsValid(virtualKey)) {
		return inner.IsKeyDown(virtualKey);
	}
	if (boxTookKeys) {
		return false;
	}
	if (!polled[virtualKey]) {
		backendAsked = true;
		polled[virtualKey] = true;
		const bool keyDown = inner.IsKeyDown(virtualKey);
		reading[virtualKey] = PadHolds(virtualKey) || keyDown;
		See(virtualKey, reading[virtualKey]);
	}
	return reading[virtualKey];
}

bool FrameInputBackend::IsKeyHeld(int virtualKey) {
	if (IsValid(virtualKey) && (boxTookKeys || polled[virtualKey])) {
		return !boxTookKeys && reading[virtualKey];
	}
	backendAsked = true;
	const bool keyHeld = inner.IsKeyHeld(virtualKey);
	return PadHolds(virtualKey) || keyHeld;
}

POINT FrameInputBackend::CursorPosition() {
	if (cursorThisFrame) {
		return *cursorThisFrame;
	}
	backendAsked = true;
	const POINT motion = padMapping.LookMotion(Pad());
	padCursorOffset.x += motion.x;
	padCursorOffset.y += motion.y;
	POINT point = inner.CursorPosition();
	point.x += padCursorOffset.x;
	point.y += padCursorOffset.y;
	if (point.x != playedCursor.x || point.y != playedCursor.y) {
		if (recorder != nullptr) {
			recorder->Move(frame, point.x - playedCursor.x, point.y - playedCursor.y);
		}
		playedCursor = point;
	}
	cursorThisFrame = point;
	return point;
}

// Motion that arrives after this is read next frame, against this point.
void FrameInputBackend::SetCursorPosition(POINT position) {
	backendAsked = true;
	inner.SetCursorPosition(position);
	padCursorOffset = POINT{0, 0};
	playedCursor = position;
	cursorThisFrame = position;
}

int FrameInputBackend::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
	const int answer = inner.ShowMessageBox(owner, text, caption, type);
	if (recorder != nullptr && MessageBoxIsQuestion(type)) {
		recorder->Answer(answer == IDYES);
	}
	// What the playback holds is unchanged: a key the desktop let go is
	// written as up when it is next read, in a later frame.
	boxTookKeys = boxTookKeys || backendAsked;
	return answer;
}

void FrameInputBackend::NoteClose() {
	if (recorder != nullptr) {
		recorder->Close(frame);
	}
}

// A key the game did not ask the backend for this frame is written as held
// now: the playback takes it at the frame's start, where nothing reads it.
void FrameInputBackend::EndFrame() {
	for (const int key : RECORDED_KEYS) {
		if (!polled[key]) {
			const bool keyHeld = inner.IsKeyHeld(key);
			See(key, PadHolds(key) || keyHeld);
		}
	}
	if (recorder != nullptr) {
		recorder->Flush();
	}
	++frame;
	polled.fill(false);
	backendAsked = false;
	boxTookKeys = false;
	cursorThisFrame.reset();
	padThisFrame.reset();
}
