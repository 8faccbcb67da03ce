#pragma once
// Everything the outside world feeds the game — window close and size,
// key and button state, game pads, the cursor, message-box answers, the
// clock and sleep — comes through one SystemBackend. SdlSystemBackend is the desktop;
// ScriptedSystemBackend plays a script for tests and the headless runner.

#include "platform/system/GamepadState.h"
#include "platform/system/WinTypes.h"

#include <string>

class SystemBackend {
public:
	virtual ~SystemBackend() = default;

	// Turns what happened since the last call into window messages, posted
	// with PostMessageA.
	virtual void PumpMessages() = 0;

	virtual bool IsKeyDown(int virtualKey) = 0;
	// Whether the key is held now, without taking a press that IsKeyDown
	// would still report: for recorders, which must not steal the game's taps.
	virtual bool IsKeyHeld(int virtualKey) = 0;

	// The pads as one, with a button pressed or a trigger pulled since the
	// last call still pressed; all at rest where there is none.
	virtual GamepadState Gamepad() { return GamepadState{}; }

	// Desktop coordinates.
	virtual POINT CursorPosition() = 0;
	virtual void SetCursorPosition(POINT position) = 0;
	virtual void SetCursorVisible(bool visible) = 0;

	// Returns IDOK, IDYES or IDNO.
	virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;

	virtual DWORD Milliseconds() = 0;
	virtual void Sleep(DWORD milliseconds) = 0;
};

// The backend every Win32 call goes to; the SDL one unless another is set.
SystemBackend& ActiveSystemBackend();
// Null restores the SDL backend. The caller keeps ownership.
void SetSystemBackend(SystemBackend* backend);

// What a box of this type answers when nobody can press a button.
int MessageBoxDefaultAnswer(UINT type);
bool MessageBoxIsQuestion(UINT type);
