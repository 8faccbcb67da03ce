#pragma once
// A scene of the game: the title, the battle or the result. Constructing a
// scene starts it (the constructor runs Init); the SceneManager calls
// Uninit just before deleting it.

#include <cstdint>

enum SceneId : int32_t {
	SCENE_TITLE = 1,
	SCENE_GAME = 2,
	SCENE_RESULT = 3,
};

class SceneBase {
public:
	virtual ~SceneBase() = default;

	// Loads what the scene needs, sets `id` and the start state.
	virtual void Init() = 0;
	// One frame of logic; returns the id of the scene to be current after it.
	virtual int32_t Update() = 0;
	// One frame of drawing, BeginScene to EndScene; Present is the caller's.
	virtual void Draw() = 0;
	// Releases what Init acquired.
	virtual void Uninit() = 0;

	int32_t id = 0;
};
