#pragma once
// The result scene (id 3): the success or the failure picture of the battle
// just decided, centred in the window. A left click plays the button sound
// and returns to the title 60 frames later; Escape asks whether to return
// at once.

#include "app/Texture.h"
#include "audio/SoundEffect.h"
#include "scene/Camera.h"
#include "scene/SceneBase.h"

class Result : public SceneBase {
public:
	Result();
	~Result() override = default;

	Result(const Result&) = delete;
	Result& operator=(const Result&) = delete;

	// Picks the picture by the hub's battleFailed.
	void Init() override;
	// 3 to stay, 1 for the title.
	int32_t Update() override;
	void Draw() override;
	void Uninit() override;

	Texture resultTexture;
	Camera camera;
	SoundEffect buttonSound;
	bool clicked = false;
	// Frames since the first click, that click's own frame included.
	int32_t counter = 0;

private:
	bool AskReturnToTitle() const;
};
