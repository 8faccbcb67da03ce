#pragma once
// A backend that plays a script instead of the desktop, for tests and the
// headless runner. The script is keyed by frame: the frame counter starts
// at 0 and advances with AdvanceFrame (the runner calls it after every
// Present), and what is scheduled for frame F takes effect when the counter
// reaches F, that is before frame F's update.

#include "platform/system/SystemBackend.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <vector>

class ScriptedSystemBackend : public SystemBackend {
public:
	struct Question {
		std::string text;
		std::string caption;
		UINT type = 0;
		int answer = 0;
		uint32_t frame = 0;
	};

	// Scripting. Events of one frame apply in the order they were added.
	void SetKey(uint32_t frame, int virtualKey, bool down);
	void MoveCursor(uint32_t frame, int dx, int dy);
	// A pad, plugged in from the start; axes are clamped to their range.
	void SetPadAxis(uint32_t frame, GamepadAxis axis, float value);
	void SetPadButton(uint32_t frame, GamepadButton button, bool down);
	void CloseWindow(uint32_t frame);
	// The answer (IDYES or IDNO) to the next Yes/No question; a question
	// finding none queued gets No. OK boxes take no answer.
	void QueueAnswer(int answer);

	// Where the cursor starts.
	static constexpr POINT START_CURSOR = {640, 360};

	void AdvanceFrame();
	uint32_t Frame() const { return frame; }

	// Time. The default clock is the real one; a manual clock moves only by
	// AdvanceClock and by the sleeps asked for. Without real time, sleeps are
	// recorded but do not wait.
	void UseManualClock(DWORD start);
	void AdvanceClock(DWORD milliseconds);
	void SetRealTime(bool realTime) { this->realTime = realTime; }

	const std::vector<Question>& Questions() const { return questions; }
	// The first MAX_RECORDED_SLEEPS sleeps asked for: tests look at the first
	// frames, and a run of a hundred battles must not grow by a word a frame.
	static constexpr size_t MAX_RECORDED_SLEEPS = 4096;
	const std::vector<DWORD>& Sleeps() const { return sleeps; }
	size_t AnswersLeft() const { return answers.size(); }
	bool CursorVisible() const { return cursorVisible; }

	void PumpMessages() override;
	bool IsKeyDown(int virtualKey) override;
	bool IsKeyHeld(int virtualKey) override { return IsKeyDown(virtualKey); }
	GamepadState Gamepad() override;
	POINT CursorPosition() override;
	void SetCursorPosition(POINT position) override;
	void SetCursorVisible(bool visible) override;
	int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
	DWORD Milliseconds() override;
	void Sleep(DWORD milliseconds) override;

private:
	struct KeyChange {
		int virtualKey;
		bool down;
	};
	struct Motion {
		int dx, dy;
	};
	struct PadChange {
		bool isAxis;
		GamepadAxis axis;
		GamepadButton button;
		float value;  // the axis's, or 1 for a button down
	};

	void ApplyDueInput();

	uint32_t frame = 0;
	std::multimap<uint32_t, KeyChange> keyChanges;
	std::multimap<uint32_t, Motion> motions;
	std::multimap<uint32_t, bool> closes;
	std::multimap<uint32_t, PadChange> padChanges;
	std::deque<int> answers;

	std::map<int, bool> keysDown;
	GamepadState pad;
	POINT cursor = START_CURSOR;
	bool cursorVisible = true;

	bool manualClock = false;
	DWORD manualTime = 0;
	bool realTime = false;

	std::vector<Question> questions;
	std::vector<DWORD> sleeps;
};
