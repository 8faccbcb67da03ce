#pragma once
// The game state the headless runner reports: the battle's robot and every
// enemy, as JSON fields in a fixed order that tools read. Written from the
// live scene, never into it.

#include <cstdint>
#include <string>

class CGame;

class GameStateWriter {
public:
	// ",\"playerHitPoints\":...,\"enemyList\":[...]" while a battle runs,
	// else empty: the fields to append inside a JSON object.
	static std::string BattleFields();
	static std::string BattleFields(const CGame& game);
	// One trace line, newline included: frame, scene, battleFailed, the
	// battle's fields while one runs, and last the state's hash.
	static std::string TraceLine(uint32_t frame);
	// The running battle, or null.
	static const CGame* CurrentBattle();
};
