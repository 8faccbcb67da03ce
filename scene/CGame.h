#pragma once
// The battle (scene id 2): builds the stage, runs each frame in a fixed
// order, draws each frame as shadow pass, main pass into two targets, glow,
// 2D layer and fade, and decides the outcome. Every enemy gone is a success,
// the player's hit points at zero a failure; either fades the screen for
// 120 frames before the result scene.
//
#include "app/Texture.h"
#include "audio/Sound.h"
#include "player/PlayerMech.h"
#include "scene/Camera.h"
#include "scene/SceneBase.h"

#include <cstdint>

// Frames from the deciding frame to the result scene.
constexpr int32_t ENDING_FRAMES = 120;
// The fade overlay's alpha rises this much a frame of the ending.
constexpr int32_t FADE_ALPHA_STEP = 2;

class CGame : public SceneBase {
public:
	CGame();
	~CGame() override;

	CGame(const CGame&) = delete;
	CGame& operator=(const CGame&) = delete;

	void Init() override;
	// 2 to stay, 3 for the result scene, 1 back to the title.
	int32_t Update() override;
	void Draw() override;
	void Uninit() override;

	// The draw in its phases, in the order Draw runs them; the benchmark
	// times them one by one. The shadow casters draw between BeginShadowPass
	// and EndShadowPass, the characters' models after DrawMainPass's map.
	void BeginFrame();
	void BeginShadowPass();
	void EndShadowPass();
	void DrawDepthFirst() const;
	void DrawMainPass();
	void DrawGlow();
	void DrawOverlay();

	Camera camera;
	Texture backTexture;
	PlayerMech player;
	Sound music;
	Texture screenTarget;
	Texture fadeTexture;
	int32_t endCounter = 0;
	int32_t fadeAlpha = 0;
	bool ending = false;
	// Whether the main pass lays down depth first: only when every model it
	// shades is opaque (a translucent one must show what lies behind it).
	bool depthFirst = false;

private:
	void SetUpLightAndProjection() const;
	void SpawnEnemies();
	void SetFrameParameters() const;
	bool EveryModelOpaque() const;
	void UpdateEnemies();
	void DeleteGoneEnemies();
	void DeleteEnemies();
	static void RestoreBackBuffer();
	bool AskReturnToTitle() const;
};
