#pragma once
// A hidden SDL window wrapped as a window handle, and the process-wide
// GraphicsDevice created on it, for tests that render and read back.

#include "app/GraphicsDevice.h"
#include "app/Texture.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/system/PlatformWindow.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct Pixel {
	uint8_t r, g, b, a;
	bool operator==(const Pixel& other) const {
		return r == other.r && g == other.g && b == other.b && a == other.a;
	}
};

inline std::ostream& operator<<(std::ostream& out, const Pixel& p) {
	return out << "rgba(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}

// Reads the count without changing it.
inline ULONG ReferenceCount(IUnknown* object) {
	object->AddRef();
	return object->Release();
}

// The pixels of a render target, rows from the top.
class PixelImage {
public:
	bool Read(IDirect3DSurface9* surface) { return ReadRenderTargetPixels(surface, rgba, width, height); }
	Pixel At(UINT x, UINT y) const {
		const uint8_t* p = rgba.data() + (size_t(y) * width + x) * 4;
		return Pixel{p[0], p[1], p[2], p[3]};
	}
	UINT Width() const { return width; }
	UINT Height() const { return height; }
	// Pixels inside [left, right) x [top, bottom) that differ from expected.
	size_t CountDifferent(UINT left, UINT top, UINT right, UINT bottom, Pixel expected) const {
		size_t different = 0;
		for (UINT y = top; y < bottom; ++y) {
			for (UINT x = left; x < right; ++x) {
				different += At(x, y) == expected ? 0 : 1;
			}
		}
		return different;
	}

private:
	std::vector<uint8_t> rgba;
	UINT width = 0;
	UINT height = 0;
};

class GpuTest : public ::testing::Test {
protected:
	void SetUp() override {
		// Video starts once per process and stays up, as in the game: opening
		// and closing the display for every test only tests the X server.
		static const bool videoStarted = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
		ASSERT_TRUE(videoStarted) << SDL_GetError();
		windowRecord.sdl = CreateSdlWindow(1280, 720, SDL_WINDOW_OPENGL);
		ASSERT_NE(windowRecord.sdl, nullptr) << SDL_GetError();
		windowRecord.clientWidth = 1280;
		windowRecord.clientHeight = 720;
		if (InitDeviceInSetUp()) {
			ASSERT_TRUE(Graphics().Init(Window(), 1280, 720, D3DFMT_X8R8G8B8, false));
			Graphics().SetDefaultStates();
		}
	}

	void TearDown() override {
		Graphics().Release();
		if (windowRecord.sdl != nullptr) {
			SDL_DestroyWindow(windowRecord.sdl);
		}
	}

	virtual bool InitDeviceInSetUp() const { return true; }

	static SDL_Window* CreateSdlWindow(int width, int height, Uint32 flags) {
		return SDL_CreateWindow("gpu test", 0, 0, width, height, flags | SDL_WINDOW_HIDDEN);
	}

	HWND Window() { return &windowRecord; }
	GraphicsDevice& Graphics() { return GraphicsDevice::Get(); }
	IDirect3DDevice9* Device() { return GraphicsDevice::Get().device; }

	PixelImage ReadBackBuffer() {
		PixelImage image;
		EXPECT_TRUE(image.Read(Graphics().backBuffer));
		return image;
	}

	// A file path in a folder of this test's own, removed afterwards.
	std::string TemporaryPath(const std::string& name) {
		if (folder.empty()) {
			folder = std::filesystem::temp_directory_path() /
			         ("vortane-gpu-" + std::to_string(::getpid()) + "-" +
			          ::testing::UnitTest::GetInstance()->current_test_info()->name());
			std::filesystem::create_directories(folder);
		}
		return (folder / name).string();
	}

	~GpuTest() override {
		if (!folder.empty()) {
			std::error_code ignored;
			std::filesystem::remove_all(folder, ignored);
		}
	}

	PlatformWindow windowRecord;

private:
	std::filesystem::path folder;
};
