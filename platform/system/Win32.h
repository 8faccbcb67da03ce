#pragma once
// The Win32 and multimedia calls the game is written against: window class
// and window, message loop, message boxes, key and cursor state, and the
// millisecond timer. Windows are SDL windows (see PlatformWindow.h); input,
// dialogs and time come from the active SystemBackend, so tests and the
// headless runner can script them.

#include "platform/system/PlatformWindow.h"
#include "platform/system/WinTypes.h"

#include <cstdint>

#define CALLBACK
#define WINAPI

typedef WORD ATOM;
typedef UINT MMRESULT;
typedef void* HGDIOBJ;

inline constexpr WORD LOWORD(uintptr_t value) { return static_cast<WORD>(value & 0xFFFF); }
inline constexpr WORD HIWORD(uintptr_t value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(WORD low, WORD high) {
	return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}

// Resource ids as MAKEINTRESOURCE would give them.
inline const LPCSTR IDI_APPLICATION = reinterpret_cast<LPCSTR>(uintptr_t(32512));
inline const LPCSTR IDC_ARROW = reinterpret_cast<LPCSTR>(uintptr_t(32512));

constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;

// Window styles. Without WS_THICKFRAME the window cannot be resized.
constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
	WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOW = 5;

// Messages. Only these two are ever generated.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_CLOSE = 0x0010;

constexpr WPARAM SIZE_RESTORED = 0;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Message boxes. Button sets other than OK and Yes/No show as OK.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON1 = 0x00000000;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_DEFMASK = 0x00000F00;
constexpr UINT MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Virtual keys the game reads; letters are their upper-case characters.
constexpr int VK_LBUTTON = 0x01;
constexpr int VK_RBUTTON = 0x02;
constexpr int VK_ESCAPE = 0x1B;

constexpr MMRESULT TIMERR_NOERROR = 0;

struct WNDCLASSEXA {
	UINT cbSize;
	UINT style;
	WNDPROC lpfnWndProc;
	int cbClsExtra;
	int cbWndExtra;
	HINSTANCE hInstance;
	HICON hIcon;
	HCURSOR hCursor;
	HBRUSH hbrBackground;
	LPCSTR lpszMenuName;
	LPCSTR lpszClassName;
	HICON hIconSm;
};

struct MSG {
	HWND hwnd;
	UINT message;
	WPARAM wParam;
	LPARAM lParam;
	DWORD time;
	POINT pt;
};

HINSTANCE GetModuleHandleA(LPCSTR moduleName);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HGDIOBJ GetStockObject(int object);

// Fails (returns 0) for a wrong cbSize, a missing procedure or class name,
// or a name already registered.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);

// Creates the SDL window hidden, whatever the style says, until ShowWindow.
// Null when the class is unknown or SDL cannot create a window.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL ShowWindow(HWND window, int command);
BOOL UpdateWindow(HWND window);

// The window rectangle is in desktop coordinates and includes whatever
// frame the window manager draws, when it says so; the client rectangle
// starts at (0, 0).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL GetClientRect(HWND window, RECT* rect);
// Moves and resizes the window; the new client size reaches the window
// procedure as WM_SIZE before this returns.
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL ClientToScreen(HWND window, POINT* point);

BOOL PeekMessageA(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// High bit set while the key or button is held now.
SHORT GetAsyncKeyState(int virtualKey);
// The high bit of GetAsyncKeyState: the key or button is held now.
inline bool IsKeyDown(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }
BOOL GetCursorPos(POINT* point);
BOOL SetCursorPos(int x, int y);
// Returns the display counter; the cursor is hidden while it is below 0.
int ShowCursor(BOOL show);

MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
DWORD timeGetTime();
void Sleep(DWORD milliseconds);
