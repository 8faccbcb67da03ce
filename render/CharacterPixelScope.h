#pragma once
// The stage alone, for measuring what the characters cost to draw. With the
// stage-only view on, whatever is drawn inside a scope (the enemies, the
// shots, the effects) still does all its game work, the projectiles' map
// tests and the effect and sound calls included, but leaves no pixels, so
// the battle plays exactly as it does with them in view. Off, as in the
// game, a scope changes nothing.

class CharacterPixelScope {
public:
	static void SetStageOnly(bool on) { stageOnly = on; }
	static bool StageOnly() { return stageOnly; }

	CharacterPixelScope();
	~CharacterPixelScope();
	CharacterPixelScope(const CharacterPixelScope&) = delete;
	CharacterPixelScope& operator=(const CharacterPixelScope&) = delete;

private:
	static bool stageOnly;
	bool wasSkipped;
};
