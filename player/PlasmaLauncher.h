#pragma once
// A launcher with one slow plasma shot that falls as it flies and bursts
// with an area blast, then recharges for 400 frames (counted from the shot,
// not from the blast). The robot owns one (owner kind 0: the blast damages
// enemies) and so does the boss tank (owner kind 1: the blast is tested
// against one target, and the owner applies the damage).

#include "audio/SoundEffect.h"
#include "effect/GameEffect.h"
#include "platform/math/D3DXMath.h"

#include <cstdint>

enum PlasmaOwner : int32_t {
	PLASMA_OWNER_PLAYER = 0,
	PLASMA_OWNER_BOSS = 1,
};

// A shot may be fired once charge reaches this.
constexpr int32_t PLASMA_FULL_CHARGE = 400;

class PlasmaLauncher {
public:
	PlasmaLauncher();
	PlasmaLauncher(const PlasmaLauncher&) = delete;
	PlasmaLauncher& operator=(const PlasmaLauncher&) = delete;

	// Loads the effects and sounds and makes the launcher ready.
	void Initialise(int32_t ownerKind);
	// Fires from launchMatrix when charged and no shot flies.
	void Fire(const D3DXMATRIX& launchMatrix);
	void Start();
	void Update();
	// True (and the shot exploded) when either map ray finds the map nearer
	// than 5 units, or no map at all.
	bool TestMap();
	void CheckEnemies();
	// Starts the blast once and applies its damage on every call.
	void Explode();
	void SetTarget(const D3DXVECTOR3& position, int32_t radius);
	void Draw();
	void Release();

	D3DXVECTOR3 Position() const { return D3DXVECTOR3(world._41, world._42, world._43); }

	D3DXMATRIX world;
	bool active = false;
	bool exploded = false;
	bool hitTarget = false;
	int32_t charge = PLASMA_FULL_CHARGE;
	int32_t ownerKind = PLASMA_OWNER_PLAYER;
	float dropSpeed = 0.0f;
	float spin = 0.0f;
	D3DXVECTOR3 targetPos;
	int32_t targetRadius = 0;
	GameEffect mist;
	GameEffect trail;
	GameEffect wind;
	GameEffect shotFlash;
	SoundEffect fireSound;
	SoundEffect blastSound;

private:
	void Fly();
	void BlastTarget(float distance);
	void BlastEnemies();
};
