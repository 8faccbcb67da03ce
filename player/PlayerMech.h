#pragma once
// The robot the player steers: its controls, walking, gravity, contact with
// enemies, riding the lift, mouse look, effects, both weapons and death.
// The battle scene updates it once a frame after every enemy, and draws it
// into the shadow map, as toon-shaded parts and as the HUD.
//
// Its position is the translation row of world; row 1 is its right, row 3
// its forward direction. Attackers subtract from hitPoints directly.

#include "audio/SoundEffect.h"
#include "effect/GameEffect.h"
#include "player/MechPose.h"
#include "player/PlasmaLauncher.h"
#include "player/PlayerHud.h"
#include "platform/math/D3DXMath.h"
#include "platform/system/WinTypes.h"

#include <cstdint>
#include <vector>

class Ammo;

// Move indices; MOVE_NONE while no move key is held.
enum MoveDirection : int32_t {
	MOVE_FORWARD = 0,
	MOVE_RIGHT = 1,
	MOVE_BACK = 2,
	MOVE_LEFT = 3,
	MOVE_NONE = 5,
};

constexpr float PLAYER_START_HIT_POINTS = 300.0f;
// The gun holds its fire while more shots than this are in flight.
constexpr size_t MAX_PLAYER_SHOTS = 50;
// The gun fires on the press frame, then once every this many frames.
constexpr int32_t GUN_FIRE_INTERVAL = 10;

class PlayerMech {
public:
	PlayerMech();
	~PlayerMech();

	PlayerMech(const PlayerMech&) = delete;
	PlayerMech& operator=(const PlayerMech&) = delete;

	// After the model table, the map and its face normals exist.
	void Initialise();
	void Update();
	void Draw();
	// The parts' depth alone, laid down before the scene is shaded: the robot
	// stands in front of much of the stage.
	void DrawDepth() const;
	void DrawShadow() const;
	void DrawHud() const;
	void Release();

	D3DXVECTOR3 Position() const { return D3DXVECTOR3(world._41, world._42, world._43); }
	bool IsDead() const { return hitPoints <= 0.0f; }

	float hitPoints = PLAYER_START_HIT_POINTS;
	std::vector<Ammo*> shots;
	POINT cursorPos = {0, 0};
	POINT cursorCentre = {0, 0};
	float lookDeltaX = 0.0f;
	float lookDeltaY = 0.0f;
	float yaw = 0.0f;
	float aimPitch = 25.0f;
	float plasmaArmAngle = -25.0f;
	float poseBlend = 1.0f;
	int32_t fireCooldown = 0;
	PlasmaLauncher plasma;
	D3DXVECTOR3 moveDirs[4];
	float lookSensitivity = 7.0f;
	bool invertLook = false;
	bool moving = false;
	int32_t moveDir = MOVE_FORWARD;
	float verticalSpeed = 0.0f;
	PlayerHud hud;
	GameEffect flash;
	GameEffect boostLeft;
	GameEffect boostRight;
	GameEffect footRight;
	GameEffect footLeft;
	GameEffect smoke;
	GameEffect sparkRed;
	GameEffect sparkBlue;
	SoundEffect boosterSound;
	SoundEffect shootSound;
	SoundEffect wallHitSound;
	SoundEffect hitSound;
	D3DXMATRIX world;
	MechPose pose;

private:
	void CentreCursor();
	void ResetCursor() const;
	void Walk();
	void MoveStep();
	void PushBackFromWall(const D3DXVECTOR3& direction);
	void PushOffEnemies();
	void StandOnGround();
	void StandOnStageObjects();
	void Look();
	void Turn(float degrees);
	void Aim(float delta);
	void UpdateEffects();
	void UpdateGun();
	void FireGun();
	void UpdatePlasma();
	void StartPoseBlend();
};
