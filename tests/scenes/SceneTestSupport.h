#pragma once
// The title and result scenes on the real device: a window and device at the
// game's 1280 x 720, scripted input, sound mixed by OpenAL's loopback device
// (it mixes only when asked, so a voice started stays playing), and the
// generated pictures read from disk to compare what was drawn against.

#include "app/Application.h"
#include "app/GraphicsDevice.h"
#include "audio/SoundEffect.h"
#include "platform/audio/LoopbackAudio.h"
#include "platform/gpu/GpuHooks.h"
#include "platform/image/Image.h"
#include "platform/system/DataPath.h"
#include "platform/system/ScriptedSystemBackend.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace scenes {

struct Rgb {
	int r = 0, g = 0, b = 0;
};

inline int Difference(const Rgb& a, const Rgb& b) {
	return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

// What the back buffer holds after a draw.
struct Picture {
	std::vector<uint8_t> rgba;
	UINT width = 0, height = 0;

	bool ReadBackBuffer() { return ReadRenderTargetPixels(GraphicsDevice::Get().backBuffer, rgba, width, height); }
	Rgb At(int x, int y) const {
		const uint8_t* p = &rgba[(size_t(y) * width + size_t(x)) * 4];
		return {p[0], p[1], p[2]};
	}
	bool IsBlack(int x, int y) const {
		const Rgb c = At(x, y);
		return c.r + c.g + c.b == 0;
	}
};

// A generated picture as the sprite shows it over black: colour times alpha.
struct SourceImage {
	Image image;

	bool Load(const std::string& name) {
		std::vector<uint8_t> bytes;
		std::string why;
		return ReadDataFile(name, bytes, MAX_DATA_FILE_BYTES, why) &&
		       ReadPngImage(bytes.data(), bytes.size(), image, why) && image.format == PixelFormat::BGRA8;
	}
	int Width() const { return int(image.width); }
	int Height() const { return int(image.height); }
	int Alpha(int x, int y) const { return Texel(x, y)[3]; }
	Rgb OverBlack(int x, int y) const {
		const uint8_t* p = Texel(x, y);
		const int a = p[3];
		return {p[2] * a / 255, p[1] * a / 255, p[0] * a / 255};
	}

private:
	const uint8_t* Texel(int x, int y) const {
		return &image.surfaces[0].bytes[(size_t(y) * image.width + size_t(x)) * 4];
	}
};

// Mean colour difference (0 to 765) between the picture and an image drawn
// unscaled with its top-left corner at (left, top), over a grid of samples
// where the image is opaque (what lies under the rest is not its own).
inline double MeanDifferenceFromImage(const Picture& picture, const SourceImage& source, int left, int top,
                                      int step = 7) {
	double sum = 0.0;
	int samples = 0;
	for (int y = 0; y < source.Height(); y += step) {
		for (int x = 0; x < source.Width(); x += step) {
			if (source.Alpha(x, y) < 255) {
				continue;
			}
			sum += Difference(picture.At(left + x, top + y), source.OverBlack(x, y));
			++samples;
		}
	}
	return samples == 0 ? 1e9 : sum / samples;
}

class SceneDeviceTest : public ::testing::Test {
protected:
	void SetUp() override {
		SetSystemBackend(&backend);
		Application& application = Application::Get();
		ASSERT_TRUE(application.CreateMainWindow(GetModuleHandleA(nullptr), 1280, 720));
		if (!GraphicsDevice::Get().Init(application.window, application.clientWidth, application.clientHeight,
		                                D3DFMT_X8R8G8B8, false)) {
			GTEST_SKIP() << "no OpenGL 3.3 device here";
		}
		GraphicsDevice::Get().SetDefaultStates();
		loopback = OpenLoopbackAudioForTests(44100);
		application.battleFailed = false;
		application.viewPitch = 0.0f;
		application.viewYaw = 0.0f;
	}

	void TearDown() override {
		CloseAudioForTests(true);
		GraphicsDevice::Get().Release();
		Application& application = Application::Get();
		DestroyWindow(application.window);
		UnregisterClassA("Window", nullptr);
		application.window = nullptr;
		SetSystemBackend(nullptr);
	}

	// The button goes down before the next update and up before the one after.
	void ClickNow() {
		backend.SetKey(backend.Frame(), VK_LBUTTON, true);
		backend.SetKey(backend.Frame() + 1, VK_LBUTTON, false);
	}

	static bool IsPlaying(IDirectSoundBuffer8* voice) {
		DWORD status = 0;
		return voice != nullptr && SUCCEEDED(voice->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) != 0;
	}
	static int PlayingVoices(const SoundEffect& sound) {
		int playing = 0;
		for (int i = 0; i < SOUND_EFFECT_VOICES; ++i) {
			playing += IsPlaying(sound.Voice(i)) ? 1 : 0;
		}
		return playing;
	}

	ScriptedSystemBackend backend;
	bool loopback = false;
};

}  // namespace scenes
