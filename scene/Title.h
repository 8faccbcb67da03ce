#pragma once
// The title scene (id 1): the title picture centred in the window with three
// rings turning behind its top-left corner at random speeds that change
// every few seconds, and the title music. A left click stops the music,
// plays the start sound and puts up the loading picture; a short count later
// the battle starts, and its stage loads while that picture is on screen.

#include "app/Texture.h"
#include "audio/Sound.h"
#include "audio/SoundEffect.h"
#include "scene/Camera.h"
#include "scene/SceneBase.h"

class Title : public SceneBase {
public:
	Title();
	~Title() override = default;

	Title(const Title&) = delete;
	Title& operator=(const Title&) = delete;

	void Init() override;
	// 1 to stay, 2 to start the battle.
	int32_t Update() override;
	void Draw() override;
	void Uninit() override;

	Texture titleTexture;
	Texture outCircleTexture;
	Texture midCircleTexture;
	Texture circleTexture;
	Texture loadingTexture;
	Camera camera;
	Sound music;
	SoundEffect startSound;
	bool loading = false;
	// Degrees, and degrees a frame.
	float outCircleAngle = 0.0f;
	float midCircleAngle = 0.0f;
	float circleAngle = 0.0f;
	float outCircleSpeed = 0.0f;
	float midCircleSpeed = 0.0f;
	float circleSpeed = 0.0f;
	// Shared by the speed changes and, after the click, the loading delay.
	int32_t counter = 0;

private:
	void DrawRingSpeeds();
	void DrawRings(const D3DXMATRIX& pictureCorner);
};
