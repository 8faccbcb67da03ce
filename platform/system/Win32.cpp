#include "platform/system/Win32.h"

#include "platform/system/SystemBackend.h"

#include <algorithm>
#include <cctype>
#include <deque>
#include <map>
#include <memory>

// The handles behind the stock resources; nothing reads them.
struct PlatformModule {};
struct PlatformIcon {};
struct PlatformCursor {};
struct PlatformBrush {};

namespace {

const char* const WINDOW_DATA_KEY = "PlatformWindow";

struct RegisteredClass {
	WNDCLASSEXA description;
	std::string name;
};

struct Win32State {
	std::map<std::string, RegisteredClass> classes;  // keyed by lower-case name
	std::vector<HWND> windows;
	std::deque<MSG> queue;
	int cursorDisplayCount = 0;
};

Win32State& State() {
	static Win32State state;
	return state;
}

// Class names, like on Windows, ignore case.
std::string ClassKey(LPCSTR name) {
	std::string key = name != nullptr ? name : "";
	std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
	return key;
}

bool EnsureVideo() {
	if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
		return true;
	}
	return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
}

// On X11 the window's visual is chosen at creation, so the framebuffer the
// OpenGL device wants must be asked for before the window exists.
void RequestOpenGlFramebuffer() {
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
	SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
	SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
	SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
	SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
}

struct FrameBorders {
	int top = 0, left = 0, bottom = 0, right = 0;
};

// The frame the window manager draws around a shown window; none while
// hidden, in full screen or where the desktop does not say.
FrameBorders BordersOf(HWND window) {
	FrameBorders borders;
	if (!window->visible || PlatformWindowIsFullScreen(window) ||
	    SDL_GetWindowBordersSize(window->sdl, &borders.top, &borders.left, &borders.bottom, &borders.right) != 0) {
		return FrameBorders{};
	}
	return borders;
}

bool MessageMatches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
	if (window != nullptr && message.hwnd != window) {
		return false;
	}
	if (filterMin == 0 && filterMax == 0) {
		return true;
	}
	return message.message >= filterMin && message.message <= filterMax;
}

// Index of the first queued message passing the filter, or -1.
long FindMessage(HWND window, UINT filterMin, UINT filterMax) {
	const std::deque<MSG>& queue = State().queue;
	for (size_t i = 0; i < queue.size(); ++i) {
		if (MessageMatches(queue[i], window, filterMin, filterMax)) {
			return static_cast<long>(i);
		}
	}
	return -1;
}

}  // namespace

HINSTANCE GetModuleHandleA(LPCSTR) {
	static PlatformModule module;
	return &module;
}

HICON LoadIconA(HINSTANCE, LPCSTR) {
	static PlatformIcon icon;
	return &icon;
}

HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
	static PlatformCursor cursor;
	return &cursor;
}

HGDIOBJ GetStockObject(int) {
	static PlatformBrush brush;
	return &brush;
}

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
	if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) || windowClass->lpfnWndProc == nullptr ||
	    windowClass->lpszClassName == nullptr || windowClass->lpszClassName[0] == '\0') {
		return 0;
	}
	Win32State& state = State();
	const std::string key = ClassKey(windowClass->lpszClassName);
	if (state.classes.count(key) != 0) {
		return 0;
	}
	RegisteredClass& registered = state.classes[key];
	registered.description = *windowClass;
	registered.name = windowClass->lpszClassName;
	registered.description.lpszClassName = registered.name.c_str();
	registered.description.lpszMenuName = nullptr;
	return static_cast<ATOM>(0xC000 + state.classes.size());
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
	Win32State& state = State();
	const std::string key = ClassKey(className);
	const bool inUse = std::any_of(state.windows.begin(), state.windows.end(),
	                               [&](HWND window) { return ClassKey(window->className.c_str()) == key; });
	if (inUse) {
		return FALSE;
	}
	return state.classes.erase(key) != 0 ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width, int height,
                     HWND, HMENU, HINSTANCE, LPVOID) {
	Win32State& state = State();
	const auto found = state.classes.find(ClassKey(className));
	if (found == state.classes.end() || !EnsureVideo()) {
		return nullptr;
	}
	RequestOpenGlFramebuffer();
	Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
	if ((style & WS_THICKFRAME) != 0) {
		flags |= SDL_WINDOW_RESIZABLE;
	}
	const int clientWidth = std::max(width, 1);
	const int clientHeight = std::max(height, 1);
	SDL_Window* sdl = SDL_CreateWindow(windowName != nullptr ? windowName : "", x, y, clientWidth, clientHeight, flags);
	if (sdl == nullptr) {
		return nullptr;
	}
	auto window = std::make_unique<PlatformWindow>();
	window->sdl = sdl;
	window->className = found->second.name;
	window->procedure = found->second.description.lpfnWndProc;
	window->style = style;
	window->clientWidth = clientWidth;
	window->clientHeight = clientHeight;
	SDL_SetWindowData(sdl, WINDOW_DATA_KEY, window.get());
	state.windows.push_back(window.get());
	return window.release();
}

BOOL DestroyWindow(HWND window) {
	Win32State& state = State();
	const auto found = std::find(state.windows.begin(), state.windows.end(), window);
	if (found == state.windows.end()) {
		return FALSE;
	}
	state.windows.erase(found);
	state.queue.erase(std::remove_if(state.queue.begin(), state.queue.end(),
	                                 [&](const MSG& message) { return message.hwnd == window; }),
	                  state.queue.end());
	SDL_DestroyWindow(window->sdl);
	delete window;
	return TRUE;
}

BOOL IsWindow(HWND window) {
	const std::vector<HWND>& windows = State().windows;
	return window != nullptr && std::find(windows.begin(), windows.end(), window) != windows.end();
}

const std::vector<HWND>& PlatformWindowList() { return State().windows; }

HWND PlatformWindowFromSdl(SDL_Window* sdl) {
	if (sdl == nullptr) {
		return nullptr;
	}
	return static_cast<HWND>(SDL_GetWindowData(sdl, WINDOW_DATA_KEY));
}

BOOL ShowWindow(HWND window, int command) {
	if (!IsWindow(window)) {
		return FALSE;
	}
	const bool wasVisible = window->visible;
	if (command == SW_HIDE) {
		SDL_HideWindow(window->sdl);
		window->visible = false;
		return wasVisible ? TRUE : FALSE;
	}
	if (!wasVisible) {
		// The frame appears only now; keep the frame, not the client area,
		// where the window was placed.
		RECT placed = {0, 0, 0, 0};
		GetWindowRect(window, &placed);
		SDL_ShowWindow(window->sdl);
		window->visible = true;
		const FrameBorders borders = BordersOf(window);
		if (borders.left != 0 || borders.top != 0) {
			SDL_SetWindowPosition(window->sdl, placed.left + borders.left, placed.top + borders.top);
		}
	}
	return wasVisible ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND window) { return IsWindow(window); }

BOOL GetWindowRect(HWND window, RECT* rect) {
	if (!IsWindow(window) || rect == nullptr) {
		return FALSE;
	}
	int x = 0, y = 0;
	SDL_GetWindowPosition(window->sdl, &x, &y);
	const FrameBorders borders = BordersOf(window);
	rect->left = x - borders.left;
	rect->top = y - borders.top;
	rect->right = x + window->clientWidth + borders.right;
	rect->bottom = y + window->clientHeight + borders.bottom;
	return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect) {
	if (!IsWindow(window) || rect == nullptr) {
		return FALSE;
	}
	*rect = RECT{0, 0, window->clientWidth, window->clientHeight};
	return TRUE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL) {
	if (!IsWindow(window)) {
		return FALSE;
	}
	const FrameBorders borders = BordersOf(window);
	const int clientWidth = std::max(width - borders.left - borders.right, 1);
	const int clientHeight = std::max(height - borders.top - borders.bottom, 1);
	if (!PlatformWindowIsFullScreen(window)) {
		SDL_SetWindowSize(window->sdl, clientWidth, clientHeight);
		SDL_SetWindowPosition(window->sdl, x + borders.left, y + borders.top);
	}
	window->clientWidth = clientWidth;
	window->clientHeight = clientHeight;
	SendMessageA(window, WM_SIZE, SIZE_RESTORED,
	             MAKELPARAM(static_cast<WORD>(clientWidth), static_cast<WORD>(clientHeight)));
	return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point) {
	if (!IsWindow(window) || point == nullptr) {
		return FALSE;
	}
	int x = 0, y = 0;
	SDL_GetWindowPosition(window->sdl, &x, &y);
	point->x += x;
	point->y += y;
	return TRUE;
}

void PlatformWindowSetFullScreenDesktop(HWND window, bool fullScreen) {
	if (!IsWindow(window) || window->fullScreenDesktop == fullScreen) {
		return;
	}
	if (SDL_SetWindowFullscreen(window->sdl, fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0) {
		window->fullScreenDesktop = fullScreen;
	}
}

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
	if (message == nullptr) {
		return FALSE;
	}
	long index = FindMessage(window, filterMin, filterMax);
	if (index < 0) {
		ActiveSystemBackend().PumpMessages();
		index = FindMessage(window, filterMin, filterMax);
	}
	if (index < 0) {
		return FALSE;
	}
	std::deque<MSG>& queue = State().queue;
	*message = queue[static_cast<size_t>(index)];
	if ((removeFlags & PM_REMOVE) != 0) {
		queue.erase(queue.begin() + index);
	}
	return TRUE;
}

// No character messages: the game reads keys through GetAsyncKeyState only.
BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessageA(const MSG* message) {
	if (message == nullptr) {
		return 0;
	}
	return SendMessageA(message->hwnd, message->message, message->wParam, message->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	if (!IsWindow(window)) {
		return 0;
	}
	return window->procedure(window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	if (window != nullptr && !IsWindow(window)) {
		return FALSE;
	}
	State().queue.push_back(MSG{window, message, wParam, lParam, ActiveSystemBackend().Milliseconds(), POINT{0, 0}});
	return TRUE;
}

// Closing is the application's decision, so WM_CLOSE does not destroy the
// window here; nothing else needs a default.
LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
	return ActiveSystemBackend().ShowMessageBox(owner, text != nullptr ? text : "", caption != nullptr ? caption : "",
	                                            type);
}

SHORT GetAsyncKeyState(int virtualKey) {
	return ActiveSystemBackend().IsKeyDown(virtualKey) ? static_cast<SHORT>(0x8000) : SHORT(0);
}

BOOL GetCursorPos(POINT* point) {
	if (point == nullptr) {
		return FALSE;
	}
	*point = ActiveSystemBackend().CursorPosition();
	return TRUE;
}

BOOL SetCursorPos(int x, int y) {
	ActiveSystemBackend().SetCursorPosition(POINT{x, y});
	return TRUE;
}

int ShowCursor(BOOL show) {
	int& count = State().cursorDisplayCount;
	count += show ? 1 : -1;
	ActiveSystemBackend().SetCursorVisible(count >= 0);
	return count;
}

// Linux sleeps and timers already resolve to about a millisecond.
MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }

DWORD timeGetTime() { return ActiveSystemBackend().Milliseconds(); }

void Sleep(DWORD milliseconds) { ActiveSystemBackend().Sleep(milliseconds); }
