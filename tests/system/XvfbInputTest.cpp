// Real input on a real X server: a private Xvfb, a game window opened the
// Win32 way, and xdotool pressing keys and moving the pointer as a person
// would. Skipped where Xvfb or xdotool is missing.

#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr int CHILD_LIMIT_MS = 5000;
constexpr Uint32 EVENT_WAIT_MS = 3000;

bool ProgramOnPath(const char* name) {
	const char* path = std::getenv("PATH");
	std::string rest = path != nullptr ? path : "/usr/bin:/bin";
	while (!rest.empty()) {
		const size_t colon = rest.find(':');
		const std::string folder = rest.substr(0, colon);
		if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) {
			return true;
		}
		rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
	}
	return false;
}

// Starts a program with its output thrown away; -1 when it cannot start.
pid_t Spawn(const std::vector<std::string>& arguments) {
	std::vector<char*> argv;
	for (const std::string& argument : arguments) {
		argv.push_back(const_cast<char*>(argument.c_str()));
	}
	argv.push_back(nullptr);
	posix_spawn_file_actions_t actions;
	posix_spawn_file_actions_init(&actions);
	posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
	pid_t pid = -1;
	const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
	posix_spawn_file_actions_destroy(&actions);
	return failed == 0 ? pid : -1;
}

// Waits for a child at most limitMs, then kills it. The exit status, or -1.
int Reap(pid_t pid, int limitMs) {
	for (int waited = 0;; waited += 5) {
		int status = 0;
		const pid_t done = waitpid(pid, &status, WNOHANG);
		if (done == pid) {
			return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
		}
		if (done < 0) {
			return -1;
		}
		if (waited >= limitMs) {
			kill(pid, SIGKILL);
			waitpid(pid, &status, 0);
			return -1;
		}
		SDL_Delay(5);
	}
}

bool Xdotool(const std::vector<std::string>& command) {
	std::vector<std::string> arguments = {"xdotool"};
	arguments.insert(arguments.end(), command.begin(), command.end());
	const pid_t pid = Spawn(arguments);
	return pid > 0 && Reap(pid, CHILD_LIMIT_MS) == 0;
}

// A private X server on whatever display number is free.
class PrivateXvfb {
public:
	bool Start() {
		int ends[2];
		if (pipe(ends) != 0) {
			return false;
		}
		fcntl(ends[0], F_SETFD, FD_CLOEXEC);
		pid = Spawn({"Xvfb", "-displayfd", std::to_string(ends[1]), "-screen", "0", "1280x1024x24", "-nolisten",
		             "tcp"});
		close(ends[1]);
		const std::optional<int> number = ReadDisplayNumber(ends[0]);
		close(ends[0]);
		if (!number) {
			Stop();
			return false;
		}
		display = ":" + std::to_string(*number);
		return true;
	}

	void Stop() {
		if (pid > 0) {
			kill(pid, SIGTERM);
			Reap(pid, CHILD_LIMIT_MS);
		}
		pid = -1;
	}

	std::string display;

private:
	// Xvfb writes the number once it accepts connections.
	static std::optional<int> ReadDisplayNumber(int fd) {
		std::string text;
		for (int tries = 0; tries < 100 && text.find('\n') == std::string::npos; ++tries) {
			pollfd ready = {fd, POLLIN, 0};
			if (poll(&ready, 1, 100) <= 0) {
				continue;
			}
			char buffer[16];
			const ssize_t count = read(fd, buffer, sizeof(buffer));
			if (count <= 0) {
				return std::nullopt;
			}
			text.append(buffer, static_cast<size_t>(count));
		}
		if (text.empty() || text.find('\n') == std::string::npos) {
			return std::nullopt;
		}
		return std::atoi(text.c_str());
	}

	pid_t pid = -1;
};

void QuitVideo() {
	for (int i = 0; i < 16 && SDL_WasInit(SDL_INIT_VIDEO) != 0; ++i) {
		SDL_QuitSubSystem(SDL_INIT_VIDEO);
	}
}

void RestoreVariable(const char* name, const std::optional<std::string>& value) {
	if (value) {
		setenv(name, value->c_str(), 1);
	} else {
		unsetenv(name);
	}
}

std::optional<std::string> Variable(const char* name) {
	const char* value = std::getenv(name);
	return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

LRESULT CALLBACK IgnoringProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	return DefWindowProcA(window, message, wParam, lParam);
}

enum class CursorMode { Visible, Hidden, HiddenWarpEmulation };

class XvfbInputTest : public ::testing::Test {
public:
	// One server and one switch of SDL to it for the whole suite; the other
	// suites go back to the offscreen driver afterwards.
	static void SetUpTestSuite() {
		if (!ProgramOnPath("Xvfb") || !ProgramOnPath("xdotool")) {
			skipReason = "Xvfb or xdotool is not installed";
			return;
		}
		if (!server.Start()) {
			skipReason = "Xvfb did not start";
			return;
		}
		savedDisplay = Variable("DISPLAY");
		savedDriver = Variable("SDL_VIDEODRIVER");
		switched = true;
		setenv("DISPLAY", server.display.c_str(), 1);
		setenv("SDL_VIDEODRIVER", "x11", 1);
		QuitVideo();
		if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
			skipReason = std::string("SDL cannot use the X server: ") + SDL_GetError();
		}
	}

	static void TearDownTestSuite() {
		if (switched) {
			QuitVideo();
			RestoreVariable("DISPLAY", savedDisplay);
			RestoreVariable("SDL_VIDEODRIVER", savedDriver);
			switched = false;
		}
		server.Stop();
	}

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

	// Waits, without taking anything, until SDL has queued an event that
	// passes the test.
	static bool WaitForEvent(const std::function<bool(const SDL_Event&)>& wanted) {
		std::vector<SDL_Event> events(1024);
		const Uint32 deadline = SDL_GetTicks() + EVENT_WAIT_MS;
		while (!SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) {
			SDL_PumpEvents();
			const int count =
				SDL_PeepEvents(events.data(), static_cast<int>(events.size()), SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
			for (int i = 0; i < count; ++i) {
				if (wanted(events[static_cast<size_t>(i)])) {
					return true;
				}
			}
			SDL_Delay(2);
		}
		return false;
	}

	static std::function<bool(const SDL_Event&)> KeyUp(SDL_Scancode scancode) {
		return [scancode](const SDL_Event& event) {
			return event.type == SDL_KEYUP && event.key.keysym.scancode == scancode;
		};
	}

	static std::function<bool(const SDL_Event&)> ButtonUp(Uint8 button) {
		return [button](const SDL_Event& event) {
			return event.type == SDL_MOUSEBUTTONUP && event.button.button == button;
		};
	}

	// The server handles one client's requests in order and SDL reads its
	// events in order: once a shift tap sent after earlier input has
	// arrived, so has everything before it. Shift is no game key.
	static bool Sync() {
		SDL_FlushEvents(SDL_KEYDOWN, SDL_KEYUP);
		return Xdotool({"key", "shift"}) && WaitForEvent(KeyUp(SDL_SCANCODE_LSHIFT));
	}

	static bool MovePointer(int dx, int dy) {
		return Xdotool({"mousemove_relative", "--", std::to_string(dx), std::to_string(dy)}) && Sync();
	}

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

	static inline PrivateXvfb server;
	static inline std::string skipReason;
	static inline std::optional<std::string> savedDisplay;
	static inline std::optional<std::string> savedDriver;
	static inline bool switched = false;

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
