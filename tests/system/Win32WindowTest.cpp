// Window class, window geometry and the message queue over SDL windows
// (SDL's offscreen driver under ctest).

#include "platform/system/PlatformWindow.h"
#include "platform/system/ScriptedSystemBackend.h"
#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Received {
	HWND window;
	UINT message;
	WPARAM wParam;
	LPARAM lParam;
	LONG clientWidth;  // what GetClientRect said while the message was handled
};

std::vector<Received> received;

LRESULT CALLBACK RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	RECT client = {};
	GetClientRect(window, &client);
	received.push_back(Received{window, message, wParam, lParam, client.right});
	return 0;
}

WNDCLASSEXA ClassNamed(const char* name) {
	WNDCLASSEXA windowClass = {};
	windowClass.cbSize = sizeof(WNDCLASSEXA);
	windowClass.lpfnWndProc = RecordingProcedure;
	windowClass.hInstance = GetModuleHandleA(nullptr);
	windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
	windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
	windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
	windowClass.lpszClassName = name;
	return windowClass;
}

class Win32WindowTest : public ::testing::Test {
protected:
	void SetUp() override {
		received.clear();
		SetSystemBackend(&backend);
		const WNDCLASSEXA windowClass = ClassNamed("TestWindow");
		ASSERT_NE(RegisterClassExA(&windowClass), 0);
	}

	void TearDown() override {
		for (HWND window : created) {
			DestroyWindow(window);
		}
		UnregisterClassA("TestWindow", nullptr);
		SetSystemBackend(nullptr);
	}

	HWND Create(DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX) {
		HWND window = CreateWindowExA(0, "TestWindow", "VORTANE", style, 0, 0, 800, 600, nullptr, nullptr,
		                              GetModuleHandleA(nullptr), nullptr);
		if (window != nullptr) {
			created.push_back(window);
		}
		return window;
	}

	void DrainQueue() {
		MSG message;
		while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
		}
	}

	ScriptedSystemBackend backend;
	std::vector<HWND> created;
};

TEST_F(Win32WindowTest, ClassRegistrationRejectsBadAndDuplicateClasses) {
	WNDCLASSEXA windowClass = ClassNamed("Another");
	windowClass.cbSize = sizeof(WNDCLASSEXA) - 4;
	EXPECT_EQ(RegisterClassExA(&windowClass), 0);

	windowClass = ClassNamed("Another");
	windowClass.lpfnWndProc = nullptr;
	EXPECT_EQ(RegisterClassExA(&windowClass), 0);

	// Class names ignore case, as on Windows.
	const WNDCLASSEXA twin = ClassNamed("TESTWINDOW");
	EXPECT_EQ(RegisterClassExA(&twin), 0);

	EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Win32WindowTest, WindowStartsHiddenAndFixedSizeUntilShown) {
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	ASSERT_NE(PlatformWindowSdl(window), nullptr);
	EXPECT_STREQ(SDL_GetWindowTitle(PlatformWindowSdl(window)), "VORTANE");
	Uint32 flags = SDL_GetWindowFlags(PlatformWindowSdl(window));
	EXPECT_NE(flags & SDL_WINDOW_HIDDEN, 0u);
	EXPECT_EQ(flags & SDL_WINDOW_RESIZABLE, 0u);

	ShowWindow(window, SW_SHOW);
	flags = SDL_GetWindowFlags(PlatformWindowSdl(window));
	EXPECT_EQ(flags & SDL_WINDOW_HIDDEN, 0u);

	HWND sizable = Create(WS_OVERLAPPEDWINDOW);
	ASSERT_NE(sizable, nullptr);
	EXPECT_NE(SDL_GetWindowFlags(PlatformWindowSdl(sizable)) & SDL_WINDOW_RESIZABLE, 0u);
	EXPECT_EQ(PlatformWindowFromSdl(PlatformWindowSdl(sizable)), sizable);
}

TEST_F(Win32WindowTest, MoveWindowResizesTheClientAndReportsItBeforeReturning) {
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	RECT before = {};
	ASSERT_TRUE(GetWindowRect(window, &before));
	EXPECT_EQ(before.left, 0);
	EXPECT_EQ(before.top, 0);

	ASSERT_TRUE(MoveWindow(window, 0, 0, 1280, 720, TRUE));
	ASSERT_EQ(received.size(), 1u);
	EXPECT_EQ(received[0].message, WM_SIZE);
	EXPECT_EQ(LOWORD(received[0].lParam), 1280);
	EXPECT_EQ(HIWORD(received[0].lParam), 720);
	EXPECT_EQ(received[0].clientWidth, 1280);

	RECT client = {};
	ASSERT_TRUE(GetClientRect(window, &client));
	EXPECT_EQ(client.left, 0);
	EXPECT_EQ(client.right, 1280);
	EXPECT_EQ(client.bottom, 720);
	int width = 0, height = 0;
	SDL_GetWindowSize(PlatformWindowSdl(window), &width, &height);
	EXPECT_EQ(width, 1280);
	EXPECT_EQ(height, 720);

	// SDL's own size event for that change must not come back as a second WM_SIZE.
	received.clear();
	DrainQueue();
	for (const Received& message : received) {
		EXPECT_NE(message.message, WM_SIZE);
	}
}

TEST_F(Win32WindowTest, FullScreenDesktopKeepsTheClientSizeTheGameLaysOutFor) {
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	MoveWindow(window, 0, 0, 1280, 720, TRUE);
	PlatformWindowSetFullScreenDesktop(window, true);
	ShowWindow(window, SW_SHOW);
	DrainQueue();
	RECT client = {};
	GetClientRect(window, &client);
	EXPECT_EQ(client.right, 1280);
	EXPECT_EQ(client.bottom, 720);
	EXPECT_TRUE(window->fullScreenDesktop);
	EXPECT_EQ(SDL_GetWindowFlags(PlatformWindowSdl(window)) & SDL_WINDOW_FULLSCREEN_DESKTOP,
	          Uint32(SDL_WINDOW_FULLSCREEN_DESKTOP));
}

// The desktop backend turns SDL's size events into WM_SIZE, except in full
// screen, however entered, where the back buffer keeps the game's size.
TEST_F(Win32WindowTest, DesktopSizeEventsReachTheProcedureOnlyWhileWindowed) {
	SdlSystemBackend desktop;
	SetSystemBackend(&desktop);
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	MoveWindow(window, 0, 0, 1280, 720, TRUE);
	DrainQueue();
	received.clear();

	SDL_SetWindowSize(PlatformWindowSdl(window), 1000, 500);
	MSG message;
	while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
		DispatchMessageA(&message);
	}
	ASSERT_EQ(received.size(), 1u);
	EXPECT_EQ(received[0].message, WM_SIZE);
	EXPECT_EQ(received[0].clientWidth, 1000);

	MoveWindow(window, 0, 0, 1280, 720, TRUE);
	DrainQueue();
	received.clear();
	SDL_SetWindowFullscreen(PlatformWindowSdl(window), SDL_WINDOW_FULLSCREEN_DESKTOP);
	ShowWindow(window, SW_SHOW);
	SDL_SetWindowSize(PlatformWindowSdl(window), 900, 400);
	while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
		DispatchMessageA(&message);
	}
	EXPECT_TRUE(received.empty());
	RECT client = {};
	GetClientRect(window, &client);
	EXPECT_EQ(client.right, 1280);
	EXPECT_EQ(client.bottom, 720);
	SetSystemBackend(&backend);
}

TEST_F(Win32WindowTest, MessagesComeOutInOrderAndDispatchReachesTheProcedure) {
	HWND first = Create();
	HWND second = Create();
	ASSERT_NE(first, nullptr);
	ASSERT_NE(second, nullptr);
	DrainQueue();
	received.clear();

	PostMessageA(first, WM_CLOSE, 1, 0);
	PostMessageA(second, WM_CLOSE, 2, 0);
	PostMessageA(first, WM_SIZE, 3, 0);

	MSG message = {};
	// A peek without removal leaves the message in place.
	ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE));
	EXPECT_EQ(message.wParam, 1);
	// A window filter skips the other window's messages.
	ASSERT_TRUE(PeekMessageA(&message, second, 0, 0, PM_REMOVE));
	EXPECT_EQ(message.wParam, 2);

	std::vector<WPARAM> order;
	while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
		TranslateMessage(&message);
		DispatchMessageA(&message);
		order.push_back(message.wParam);
	}
	EXPECT_EQ(order, (std::vector<WPARAM>{1, 3}));
	ASSERT_EQ(received.size(), 2u);
	EXPECT_EQ(received[0].window, first);
	EXPECT_EQ(received[0].message, WM_CLOSE);
	EXPECT_EQ(received[1].message, WM_SIZE);
}

TEST_F(Win32WindowTest, DestroyedWindowsLoseTheirQueuedMessages) {
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	DrainQueue();
	PostMessageA(window, WM_CLOSE, 0, 0);
	created.clear();
	ASSERT_TRUE(DestroyWindow(window));
	EXPECT_FALSE(IsWindow(window));
	MSG message;
	EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
	EXPECT_FALSE(PostMessageA(window, WM_CLOSE, 0, 0));
}

TEST_F(Win32WindowTest, ScriptedCloseArrivesAsWmCloseAtItsFrameOnly) {
	HWND window = Create();
	ASSERT_NE(window, nullptr);
	DrainQueue();
	backend.CloseWindow(1);
	MSG message;
	EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
	backend.AdvanceFrame();
	ASSERT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
	EXPECT_EQ(message.hwnd, window);
	EXPECT_EQ(message.message, WM_CLOSE);
	EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
	backend.AdvanceFrame();
	EXPECT_FALSE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
}

}  // namespace
