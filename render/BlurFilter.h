#pragma once
// The glow post-process: the glow image downsampled to half size, then
// blurred five times horizontally and vertically.

#include "app/Texture.h"
#include "platform/fx/D3DX9Effect.h"

class BlurFilter {
public:
	BlurFilter() = default;
	BlurFilter(const BlurFilter&) = delete;
	BlurFilter& operator=(const BlurFilter&) = delete;
	~BlurFilter() { Release(); }

	// Compiles the effect (a failure shows the compiler's text) and creates
	// the two half-size targets.
	void Init();
	// One screen quad of input at (x, y, width, height) in pixels.
	void DrawNormal(const Texture& input, int x, int y, int width, int height, const float* color);
	void DrawBlurX(const Texture& input, int x, int y, int width, int height);
	void DrawBlurY(const Texture& input, int x, int y, int width, int height);
	// Leaves the blurred, half-size input in resultTarget; render target 0 is
	// restored afterwards.
	void Blur(const Texture& input);
	void Release();

	ID3DXEffect* effect = nullptr;
	Texture scratchTarget;  // horizontal passes
	Texture resultTarget;   // downsample and vertical passes

private:
	void DrawPass(D3DXHANDLE technique, const Texture& input, int x, int y, int width, int height);
};

constexpr int BLUR_PASS_PAIRS = 5;
