#pragma once
// A 64-bit FNV-1a hash of the whole simulation state after a frame, so two
// runs can be compared by one number a frame: the scene, and in a battle the
// robot (world and part matrices, pose blend, hit points, timers, velocities,
// its gun shots and plasma), every enemy in list order with its kind's
// matrices, timers and projectiles, the lift, and the camera's history of
// robot matrices. Values go in one by one in a fixed order, floats by their
// bit patterns: never pointers or padding. Left out: the C library
// generator (its state cannot be read), effects and sounds (they only
// show and play), and the cursor's desktop coordinates (they depend on
// where the window stands; the look deltas they give are in).

#include "platform/math/D3DXMath.h"

#include <cstdint>
#include <string>
#include <vector>

class Ammo;
class CGame;
class EnemyBase;
class PlasmaLauncher;
class PlayerMech;
class StageObject;

class StateHash {
public:
	static constexpr uint64_t OFFSET_BASIS = 0xcbf29ce484222325ull;
	static constexpr uint64_t PRIME = 0x100000001b3ull;

	// The running game's state: the current scene, whatever it is.
	static uint64_t OfGame();
	static uint64_t OfBattle(const CGame& game);
	// Sixteen lower-case hex digits.
	static std::string Hex(uint64_t hash);

	void Add(const void* bytes, size_t count);
	void Add(bool value);
	void Add(int32_t value);
	void Add(uint32_t value);
	void Add(float value);
	void Add(const D3DXVECTOR3& vector);
	void Add(const D3DXMATRIX& matrix);
	uint64_t Value() const { return hash; }

	void AddPlayer(const PlayerMech& player);
	void AddShots(const std::vector<Ammo*>& shots);
	void AddPlasma(const PlasmaLauncher& plasma);
	void AddEnemy(const EnemyBase& enemy);
	void AddStageObject(const StageObject& object);

private:
	void AddKindState(const EnemyBase& enemy);

	uint64_t hash = OFFSET_BASIS;
};
