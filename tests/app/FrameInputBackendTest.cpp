// The game's input held still for a frame and recorded as the game saw it:
// a desktop whose keys and pointer change between the game's polls, a
// recording taken through FrameInputBackend, and that recording played back
// by the scripted backend, which must give every poll the same answer.

#include "app/FrameInputBackend.h"
#include "app/InputRecorder.h"
#include "app/InputScript.h"
#include "platform/system/InputLatch.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A desktop as the SDL backend presents it: a latch of presses, a pointer
// that moves between reads and is warped by sets, and boxes that take the
// keyboard.
class Desk : public SystemBackend {
public:
	void Press(int key) { latch.Press(key); }
	void Release(int key) { latch.Release(key); }
	void Move(int dx, int dy) {
		pointer.x += dx;
		pointer.y += dy;
	}
	void QueueAnswer(int answer) { answers.push_back(answer); }

	void PumpMessages() override {}
	bool IsKeyDown(int key) override { return latch.Poll(key); }
	bool IsKeyHeld(int key) override { return latch.IsHeld(key); }
	POINT CursorPosition() override { return pointer; }
	void SetCursorPosition(POINT position) override { pointer = position; }
	void SetCursorVisible(bool) override {}
	int ShowMessageBox(HWND, const std::string&, const std::string&, UINT type) override {
		latch.Reset();
		int answer = MessageBoxDefaultAnswer(type);
		if (!answers.empty()) {
			answer = answers.front();
			answers.pop_front();
		}
		return answer;
	}
	DWORD Milliseconds() override { return 0; }
	void Sleep(DWORD) override {}

private:
	InputLatch latch;
	POINT pointer = {1000, 900};  // anywhere but where the playback starts
	std::deque<int> answers;
};

constexpr int FRAMES = 12;
constexpr int BOX_FRAME = 8;
const POINT CENTRE = {700, 400};

// A frame of a game that polls like the real one: Escape at the top, the
// move keys by priority, the cursor read against its centre and put back,
// the gun's button twice, a question in one frame, then Escape and the
// button again. `between` runs before each step: the hands move there.
void GameFrame(SystemBackend& input, int frame, std::vector<std::string>& log,
               const std::function<void(int step)>& between) {
	std::ostringstream line;
	between(0);
	line << "esc=" << input.IsKeyDown(VK_ESCAPE);
	between(1);
	const bool forward = input.IsKeyDown('W');
	line << " w=" << forward;
	if (!forward) {
		line << " s=" << input.IsKeyDown('S');
	}
	between(2);
	const POINT cursor = input.CursorPosition();
	line << " look=" << cursor.x - CENTRE.x << "," << cursor.y - CENTRE.y;
	input.SetCursorPosition(CENTRE);
	between(3);
	line << " fire=" << input.IsKeyDown(VK_LBUTTON) << input.IsKeyDown(VK_LBUTTON);
	const POINT again = input.CursorPosition();
	line << " still=" << again.x - CENTRE.x << "," << again.y - CENTRE.y;
	between(4);
	if (frame == BOX_FRAME) {
		line << " answer=" << input.ShowMessageBox(nullptr, "q", "c", MB_YESNO | MB_DEFBUTTON2);
	}
	between(5);
	line << " esc=" << input.IsKeyDown(VK_ESCAPE) << " fire=" << input.IsKeyDown(VK_LBUTTON);
	log.push_back(line.str());
}

// Hands on the desk at (frame, step).
std::map<std::pair<int, int>, std::function<void(Desk&)>> Hands() {
	std::map<std::pair<int, int>, std::function<void(Desk&)>> hands;
	hands[{1, 0}] = [](Desk& desk) { desk.Press('W'); };
	// A click shorter than a frame, between the pointer read and the gun.
	hands[{2, 3}] = [](Desk& desk) {
		desk.Press(VK_LBUTTON);
		desk.Release(VK_LBUTTON);
	};
	hands[{3, 0}] = [](Desk& desk) { desk.Move(35, -14); };
	// Motion after the read is the next frame's.
	hands[{3, 4}] = [](Desk& desk) { desk.Move(5, 0); };
	// W goes up and S down while the game is not looking at S.
	hands[{4, 4}] = [](Desk& desk) {
		desk.Release('W');
		desk.Press('S');
	};
	hands[{5, 2}] = [](Desk& desk) { desk.Press(VK_LBUTTON); };
	hands[{7, 5}] = [](Desk& desk) { desk.Release('S'); };
	hands[{8, 0}] = [](Desk& desk) { desk.Press(VK_ESCAPE); };
	// Pressed again after the box in its own frame: seen from the next frame.
	hands[{8, 5}] = [](Desk& desk) { desk.Press('W'); };
	hands[{10, 1}] = [](Desk& desk) { desk.Release('W'); };
	hands[{10, 2}] = [](Desk& desk) { desk.Move(-7, 3); };
	return hands;
}

std::string RecordDeskGame(std::vector<std::string>& log) {
	Desk desk;
	desk.QueueAnswer(IDYES);
	FrameInputBackend input(desk);
	std::ostringstream text;
	InputRecorder recorder;
	recorder.WriteTo(text);
	recorder.Seed(5);
	input.SetRecorder(&recorder);
	const auto hands = Hands();
	for (int frame = 0; frame < FRAMES; ++frame) {
		GameFrame(input, frame, log, [&](int step) {
			const auto found = hands.find({frame, step});
			if (found != hands.end()) {
				found->second(desk);
			}
		});
		input.EndFrame();
	}
	return text.str();
}

std::vector<std::string> PlayBack(const std::string& recording) {
	InputScript script;
	EXPECT_TRUE(script.Parse(recording)) << (script.Errors().empty() ? "" : script.Errors().front());
	ScriptedSystemBackend backend;
	script.ApplyTo(backend);
	FrameInputBackend input(backend);
	std::vector<std::string> log;
	for (int frame = 0; frame < FRAMES; ++frame) {
		GameFrame(input, frame, log, [](int) {});
		input.EndFrame();
		backend.AdvanceFrame();
	}
	return log;
}

TEST(FrameInput, EveryPollOfAFrameGetsTheFirstAnswerAndABoxTakesTheKeyboard) {
	std::vector<std::string> log;
	RecordDeskGame(log);
	ASSERT_EQ(log.size(), static_cast<size_t>(FRAMES));
	// The short click shows to both polls of its frame, not to the next.
	EXPECT_NE(log[2].find("fire=11 "), std::string::npos) << log[2];
	EXPECT_NE(log[3].find("fire=00 "), std::string::npos) << log[3];
	// The cursor: motion against the centre, then held where it was put.
	EXPECT_NE(log[3].find("look=35,-14 "), std::string::npos) << log[3];
	EXPECT_NE(log[3].find("still=0,0 "), std::string::npos) << log[3];
	EXPECT_NE(log[4].find("look=5,0"), std::string::npos) << log[4];
	// Escape before the box, nothing held after it in that frame or the next.
	EXPECT_NE(log[8].find("esc=1 w=0 s=0"), std::string::npos) << log[8];
	EXPECT_NE(log[8].find("answer=6 esc=0 fire=0"), std::string::npos) << log[8];
	EXPECT_NE(log[9].find("esc=0 w=1"), std::string::npos) << log[9];
}

TEST(FrameInput, ARecordingPlayedBackGivesEveryPollTheSameAnswer) {
	std::vector<std::string> seen;
	const std::string recording = RecordDeskGame(seen);
	const std::vector<std::string> replayed = PlayBack(recording);
	ASSERT_EQ(replayed.size(), seen.size());
	for (size_t frame = 0; frame < seen.size(); ++frame) {
		EXPECT_EQ(replayed[frame], seen[frame]) << "frame " << frame << "\n" << recording;
	}
	EXPECT_EQ(recording.rfind("seed 5\n", 0), 0u) << recording;
	EXPECT_NE(recording.find("answer yes\n"), std::string::npos) << recording;
	// The first read finds the pointer wherever the desktop had it.
	EXPECT_NE(recording.find("0 move 360 540\n"), std::string::npos) << recording;
	// S went down while W hid it; written at the end of that frame.
	EXPECT_NE(recording.find("4 down S\n"), std::string::npos) << recording;
}

TEST(FrameInput, ClosesAreWrittenAtTheirFrameAndKeysWithoutANameAreNot) {
	ScriptedSystemBackend backend;
	backend.SetKey(0, '1', true);
	FrameInputBackend input(backend);
	std::ostringstream text;
	InputRecorder recorder;
	recorder.WriteTo(text);
	input.SetRecorder(&recorder);
	EXPECT_TRUE(input.IsKeyDown('1'));
	input.EndFrame();
	input.EndFrame();
	input.NoteClose();
	input.EndFrame();
	EXPECT_EQ(input.Frame(), 3u);
	EXPECT_EQ(text.str(), "2 close\n");
}

// Over a script: keys held through a box read up for the rest of its frame
// only; a box before the frame's first reading leaves that frame's keys be.
TEST(FrameInput, ABoxTakesTheKeysForTheRestOfItsFrameOnlyAfterAReading) {
	ScriptedSystemBackend backend;
	backend.SetKey(0, 'W', true);
	backend.SetKey(1, VK_ESCAPE, true);
	FrameInputBackend input(backend);
	input.ShowMessageBox(nullptr, "q", "c", MB_YESNO);
	EXPECT_TRUE(input.IsKeyDown('W'));
	input.ShowMessageBox(nullptr, "q", "c", MB_YESNO);
	EXPECT_FALSE(input.IsKeyDown('W'));
	EXPECT_FALSE(input.IsKeyDown(VK_ESCAPE));
	input.EndFrame();
	backend.AdvanceFrame();
	EXPECT_TRUE(input.IsKeyDown('W'));
	EXPECT_TRUE(input.IsKeyDown(VK_ESCAPE));
}

}  // namespace
