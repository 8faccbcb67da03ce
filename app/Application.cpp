#include "app/Application.h"

#include "app/GraphicsDevice.h"
#include "platform/gpu/GpuHooks.h"
#include "scene/SceneBase.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace {

const char* const WINDOW_CLASS = "Window";
const char* const WINDOW_TITLE = "VORTANE";
const char* const CONFIRM_CAPTION = "確認";
const char* const QUIT_QUESTION = "終了しますか？";
const char* const FULL_SCREEN_QUESTION = "フルスクリーンにしますか？";
const char* const DEVICE_ERROR = "Direct3D初期化ミス";

double MillisecondsBetween(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point to) {
	return std::chrono::duration<double, std::milli>(to - from).count();
}

}  // namespace

Application& Application::Get() {
	static Application application;
	return application;
}

bool Application::CreateMainWindow(HINSTANCE moduleInstance, int32_t width, int32_t height) {
	instance = moduleInstance;

	WNDCLASSEXA windowClass = {};
	windowClass.cbSize = sizeof(WNDCLASSEXA);
	windowClass.style = 0;
	windowClass.lpfnWndProc = WindowProc;
	windowClass.cbClsExtra = 0;
	windowClass.cbWndExtra = 0;
	windowClass.hInstance = instance;
	windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
	windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
	windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
	windowClass.lpszMenuName = nullptr;
	windowClass.lpszClassName = WINDOW_CLASS;
	windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
	if (RegisterClassExA(&windowClass) == 0) {
		return false;
	}

	window = CreateWindowExA(0, WINDOW_CLASS, WINDOW_TITLE, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
	                         0, 0, 800, 600, nullptr, nullptr, instance, nullptr);
	// Without a window there is nothing to draw into; give up as for a
	// failed registration.
	if (window == nullptr) {
		return false;
	}
	FitClientArea(window, width, height);
	return true;
}

bool Application::InitWindow(HINSTANCE moduleInstance, int32_t width, int32_t height) {
	if (!CreateMainWindow(moduleInstance, width, height)) {
		return false;
	}
	timeBeginPeriod(1);

	const bool fullScreen = settings.fullScreen ? *settings.fullScreen
	                                            : MessageBoxA(window, FULL_SCREEN_QUESTION, CONFIRM_CAPTION,
	                                                          MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;

	GraphicsDevice& graphics = GraphicsDevice::Get();
	if (!graphics.Init(window, clientWidth, clientHeight, D3DFMT_X8R8G8B8, fullScreen)) {
		MessageBoxA(window, DEVICE_ERROR, "", MB_OK);
		return false;
	}
	graphics.SetDefaultStates();

	plainShader.Init();
	modelShader.Init();
	blurFilter.Init();
	shadowMap.Init();

	ShowWindow(window, SW_SHOW);
	UpdateWindow(window);

	closeRequested = false;
	quitting = false;
	return true;
}

void Application::FitClientArea(HWND window, int32_t width, int32_t height) {
	RECT windowRect = {};
	RECT clientRect = {};
	GetWindowRect(window, &windowRect);
	GetClientRect(window, &clientRect);
	const int32_t frameWidth = (windowRect.right - windowRect.left) - (clientRect.right - clientRect.left);
	const int32_t frameHeight = (windowRect.bottom - windowRect.top) - (clientRect.bottom - clientRect.top);
	MoveWindow(window, windowRect.left, windowRect.top, frameWidth + width, frameHeight + height, TRUE);
}

DWORD Application::PacingSleep(DWORD t0, DWORD t1) {
	const DWORD elapsed = t1 - t0;
	return elapsed < FRAME_MILLISECONDS ? FRAME_MILLISECONDS - elapsed : 0;
}

bool Application::ConfirmQuit() const {
	return MessageBoxA(window, QUIT_QUESTION, CONFIRM_CAPTION,
	                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_TOPMOST) == IDYES;
}

// A confirmed quit: the current scene ends with the manager.
int Application::EndRun() {
	delete sceneManager;
	sceneManager = nullptr;
	quitting = true;
	return 0;
}

int Application::Run() {
	sceneManager = new SceneManager(sceneFactory);
	frameClockStarted = false;
	std::srand(seedOverride ? *seedOverride : static_cast<unsigned int>(std::time(nullptr)));

	for (;;) {
		if (closeRequested) {
			if (ConfirmQuit()) {
				return EndRun();
			}
			closeRequested = false;
		}
		const bool onTitle = sceneManager->scene != nullptr && sceneManager->scene->id == SCENE_TITLE;
		if (IsKeyDown(VK_ESCAPE) && onTitle) {
			if (ConfirmQuit()) {
				return EndRun();
			}
		}
		if (quitting) {
			return 0;
		}
		MSG message;
		if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
			TranslateMessage(&message);
			DispatchMessageA(&message);
			continue;
		}
		RunFrame();
	}
}

// Frames are paced at FRAME_MILLISECONDS. When a picture takes longer, the
// frame clock has the next frames run at once without their pictures, so
// walkers, shots and the lift keep their speed on a slow machine.
void Application::RunFrame() {
	if (!catchUpEnabled) {
		const bool pictured = !pictureFilter || pictureFilter();
		const DWORD t0 = timeGetTime();
		SetPictureSkipped(!pictured);
		const FrameStart start = RunWholeFrame(pictured);
		SetPictureSkipped(false);
		const DWORD sleep = PacingSleep(t0, timeGetTime());
		if (sleep > 0) {
			Sleep(sleep);
		}
		ReportFrame(start);
		return;
	}
	if (!frameClockStarted) {
		frameClock.Start(timeGetTime());
		frameClockStarted = true;
	}
	bool pictured = true;
	for (;;) {
		SetPictureSkipped(!pictured);
		const FrameStart start = RunWholeFrame(pictured);
		SetPictureSkipped(false);
		const FrameClock::Step step = frameClock.FrameEnded(timeGetTime(), pictured);
		if (step.sleep > 0) {
			Sleep(step.sleep);
		}
		ReportFrame(start);
		if (!step.catchUp || quitting || closeRequested) {
			return;
		}
		pictured = false;
	}
}

Application::FrameStart Application::RunWholeFrame(bool pictured) {
	using Clock = std::chrono::steady_clock;
	FrameStart start;
	start.begun = Clock::now();
	start.timing.pictured = pictured;

	sceneManager->Update();
	const Clock::time_point updated = Clock::now();
	sceneManager->Draw();
	const Clock::time_point drawn = Clock::now();
	start.timing.updateMilliseconds = MillisecondsBetween(start.begun, updated);
	start.timing.drawMilliseconds = MillisecondsBetween(updated, drawn);

	IDirect3DDevice9* device = GraphicsDevice::Get().device;
	if (device != nullptr) {
		device->Present(nullptr, nullptr, nullptr, nullptr);
	}
	return start;
}

void Application::ReportFrame(FrameStart start) const {
	if (frameObserver) {
		start.timing.frameMilliseconds = MillisecondsBetween(start.begun, std::chrono::steady_clock::now());
		frameObserver(start.timing);
	}
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
	return Get().HandleMessage(window, message, wParam, lParam);
}

LRESULT Application::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
	switch (message) {
	case WM_SIZE: {
		RECT client = {};
		GetClientRect(hwnd, &client);
		clientWidth = client.right;
		clientHeight = client.bottom;
		return 0;
	}
	case WM_CLOSE:
		closeRequested = true;
		if (closeObserver) {
			closeObserver();
		}
		return 0;
	default:
		return DefWindowProcA(hwnd, message, wParam, lParam);
	}
}

void Application::Shutdown() {
	plainShader.Release();
	modelShader.Release();
	blurFilter.Release();
	// All of it, target and depth surface too, while the device still exists.
	shadowMap.Release();
	GraphicsDevice::Get().Release();
}
