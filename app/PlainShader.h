#pragma once
// A second instance of the model-shader effect with a 1x1 opaque white
// texture. The battle hands it the light and camera parameters each frame;
// nothing draws with it.

#include "app/Texture.h"
#include "platform/fx/D3DX9Effect.h"

class PlainShader {
public:
	PlainShader() = default;
	~PlainShader() { Release(); }

	PlainShader(const PlainShader&) = delete;
	PlainShader& operator=(const PlainShader&) = delete;

	// Releases what it holds, then loads the effect; on failure shows the
	// loader's error text and goes on without the effect.
	bool Init();
	void Release();

	ID3DXEffect* effect = nullptr;
	Texture texture;
};
