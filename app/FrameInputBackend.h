#pragma once
// The input the game reads, held still for a frame and written down as the
// game saw it. It stands between the game and the real backend (the desktop,
// or the headless runner's script):
//
// - The first poll of a key in a frame asks the backend; every later poll of
//   that key in the frame gets the same answer. Likewise the cursor: the first
//   read asks, later reads get that point, or the point the game set since.
// - A message box that opens after the frame's first reading takes the
//   keyboard for the rest of that frame: every key reads up until the next
//   frame, where the backend is asked again (the desktop has released every
//   key by then; the scripted backend still holds what the script holds).
//   A box before any reading, like the questions at start-up and on a close,
//   leaves the frame's readings to come alone.
// - With a recorder, every change the game saw is written at its frame: keys
//   as polled, keys the game did not poll as held at the end of the frame,
//   cursor motion relative to where the game last put the cursor, closes, and
//   the answers to questions. Played back by the scripted backend, which
//   starts with the cursor at ScriptedSystemBackend::START_CURSOR, these give
//   the game the very same readings.
//
// - A game pad is read once a frame, when the game first polls a key the
//   pad maps or reads the cursor (or at the frame's end), and merged into
//   what the game reads (see GamepadMapping): its keys are held as the
//   keyboard's are, and its look motion moves the cursor the game reads
//   that frame. The recorder sees ordinary keys and motion, so a game
//   played on a pad plays back without one.
//
// Frames end at Present (EndFrame), as the headless runner counts them.

#include "app/InputRecorder.h"
#include "platform/system/GamepadMapping.h"
#include "platform/system/SystemBackend.h"

#include <array>
#include <cstdint>
#include <optional>

class FrameInputBackend : public SystemBackend {
public:
	explicit FrameInputBackend(SystemBackend& inner);

	// Null stops recording. The caller keeps ownership.
	void SetRecorder(InputRecorder* recorder) { this->recorder = recorder; }
	// The frame just presented is over: keys the game did not poll are
	// written as held now, the recording is flushed, and the next frame begins.
	void EndFrame();
	// A close command reached the game's window.
	void NoteClose();
	uint32_t Frame() const { return frame; }

	void PumpMessages() override { inner.PumpMessages(); }
	bool IsKeyDown(int virtualKey) override;
	bool IsKeyHeld(int virtualKey) override;
	POINT CursorPosition() override;
	void SetCursorPosition(POINT position) override;
	void SetCursorVisible(bool visible) override { inner.SetCursorVisible(visible); }
	int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
	DWORD Milliseconds() override { return inner.Milliseconds(); }
	void Sleep(DWORD milliseconds) override { inner.Sleep(milliseconds); }

private:
	static constexpr int KEY_COUNT = 256;
	static bool IsValid(int virtualKey) { return virtualKey >= 0 && virtualKey < KEY_COUNT; }

	// The game sees key as down or up now: written when the playback would
	// not already read it so.
	void See(int virtualKey, bool down);
	// This frame's pad, read from the backend on first use.
	const GamepadState& Pad();
	bool PadHolds(int virtualKey);

	SystemBackend& inner;
	InputRecorder* recorder = nullptr;
	uint32_t frame = 0;

	std::array<bool, KEY_COUNT> polled{};   // this frame
	std::array<bool, KEY_COUNT> reading{};  // what this frame's polls answer
	std::array<bool, KEY_COUNT> played{};   // what the playback holds
	bool backendAsked = false;              // this frame, for a key or the cursor
	bool boxTookKeys = false;               // this frame

	std::optional<POINT> cursorThisFrame;
	POINT playedCursor;  // where the playback's cursor stands

	GamepadMapping padMapping;
	std::optional<GamepadState> padThisFrame;
	// The pad's look motion not yet taken back by a cursor set.
	POINT padCursorOffset = {0, 0};
};
