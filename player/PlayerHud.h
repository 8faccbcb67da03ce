#pragma once
// The battle's 2D overlay: health bar, gun and plasma launcher icons, the
// plasma charge gauge, the reticle, and a red tint while health is at half
// or below. Positions follow the client size, anchored to its corners.

#include "app/Texture.h"

#include <cstdint>

// The red tint shows from this many hit points down.
constexpr float HUD_TINT_HIT_POINTS = 150.0f;

class PlayerHud {
public:
	PlayerHud() = default;
	PlayerHud(const PlayerHud&) = delete;
	PlayerHud& operator=(const PlayerHud&) = delete;

	// Loads the eight pictures at their own size and makes the tint texel.
	void Initialise();
	// Inside the battle's sprite batch, over the 3D view and the frame picture.
	void Draw(float hitPoints, int32_t plasmaCharge) const;
	void Release();

	Texture reticle;
	Texture hpFill;
	Texture hpFrame;
	Texture gunIcon;
	Texture plasmaIcon;
	Texture plasmaIconEmpty;
	Texture plasmaGauge;
	Texture plasmaGaugeFrame;
	Texture damageOverlay;
};
