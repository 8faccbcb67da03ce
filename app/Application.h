#pragma once
// The process-wide hub: the main window and what its procedure reports,
// the shader objects every scene draws with, and the values subsystems
// exchange from frame to frame. Also the main loop.

#include "app/FrameClock.h"
#include "app/FrameTiming.h"
#include "app/GameSettings.h"
#include "app/PlainShader.h"
#include "platform/math/D3DXMath.h"
#include "platform/system/Win32.h"
#include "render/BlurFilter.h"
#include "render/ModelShader.h"
#include "render/ShadowMap.h"
#include "scene/SceneManager.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

// Each main-loop pass lasts at least this long.
constexpr DWORD FRAME_MILLISECONDS = 16;

class Application {
public:
	static Application& Get();

	// Creates the window with a width x height client area, the graphics
	// device and the shader objects; the window is shown only at the end.
	bool InitWindow(HINSTANCE instance, int32_t width, int32_t height);
	// The main loop; returns 0 once a quit has been confirmed.
	int Run();
	void Shutdown();

	static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
	static void FitClientArea(HWND window, int32_t width, int32_t height);

	// How long to sleep after a frame that ran from t0 to t1; the timer may
	// wrap in between.
	static DWORD PacingSleep(DWORD t0, DWORD t1);

	// The first steps of InitWindow: the window class, the hidden window and
	// its client size. False when the class or the window cannot be made.
	bool CreateMainWindow(HINSTANCE instance, int32_t width, int32_t height);

	// Seams for the headless runner and tests; the game uses the defaults.
	void SetSceneFactory(SceneManager::SceneFactory factory) { sceneFactory = std::move(factory); }
	// Seeds the generator with this value instead of the time.
	void SetRandomSeed(unsigned int seed) { seedOverride = seed; }
	void SetFrameObserver(std::function<void(const FrameTiming&)> observer) { frameObserver = std::move(observer); }
	// Told of every close command the window receives, for input recorders.
	void SetCloseObserver(std::function<void()> observer) { closeObserver = std::move(observer); }
	// Whether frames run without pictures when the game falls behind its
	// clock (the game's way); runs that do not pace in real time turn it off.
	void SetCatchUpEnabled(bool enabled) { catchUpEnabled = enabled; }
	// Asked before each frame that the clock does not decide: false runs the
	// frame without its picture, as catching up would. For tests that force
	// skipping and benchmarks that start drawing late; none draws every frame.
	void SetPictureFilter(std::function<bool()> filter) { pictureFilter = std::move(filter); }

	HINSTANCE instance = nullptr;
	HWND window = nullptr;
	int32_t clientWidth = 0;  // written only on WM_SIZE
	int32_t clientHeight = 0;
	bool closeRequested = false;
	bool quitting = false;
	// Initialised in this order: plainShader, modelShader, blurFilter,
	// shadowMap.
	PlainShader plainShader;
	ModelShader modelShader;
	BlurFilter blurFilter;
	ShadowMap shadowMap;
	D3DXVECTOR3 cameraEye;
	D3DXVECTOR3 cameraTarget;
	float viewPitch = 0.0f;  // degrees
	float viewYaw = 0.0f;    // degrees
	bool battleFailed = false;
	// The command line's choices, made before InitWindow.
	GameSettings settings;

private:
	Application() = default;
	Application(const Application&) = delete;
	Application& operator=(const Application&) = delete;

	LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
	bool ConfirmQuit() const;
	int EndRun();
	void RunFrame();
	struct FrameStart {
		std::chrono::steady_clock::time_point begun;
		FrameTiming timing;  // all but the whole frame's length
	};
	// One whole frame: update, draw and present.
	FrameStart RunWholeFrame(bool pictured);
	// The frame's timing, pacing sleep included, to the observer.
	void ReportFrame(FrameStart start) const;

	SceneManager::SceneFactory sceneFactory = CreateGameScene;
	std::optional<unsigned int> seedOverride;
	std::function<void(const FrameTiming&)> frameObserver;
	std::function<void()> closeObserver;
	bool catchUpEnabled = true;
	std::function<bool()> pictureFilter;
	FrameClock frameClock{FRAME_MILLISECONDS};
	bool frameClockStarted = false;
};
