#pragma once
// The title scene (id 1), for now without its pictures, camera and sounds:
// it sets up the light and projection, resets the published camera, hides
// the cursor, and on a left click counts down to the battle. Its draw
// clears the screen and runs an empty sprite batch.

#include "scene/SceneBase.h"

class Title : public SceneBase {
public:
	Title();
	~Title() override = default;

	void Init() override;
	int32_t Update() override;
	void Draw() override;
	void Uninit() override;

	bool loading = false;
	float outCircleAngle = 0.0f;
	float midCircleAngle = 0.0f;
	float circleAngle = 0.0f;
	float outCircleSpeed = 0.0f;
	float midCircleSpeed = 0.0f;
	float circleSpeed = 0.0f;
	int32_t counter = 0;

private:
	void DrawRingSpeeds();
};
