// The particle effects under data/Effect_data/: the effect files in our
// text format (see particles/README.md), the soft textures they use and the
// two flash cone meshes. Sizes are in world units: the player robot stands
// about 15 units tall and the camera follows it from about 20 units away.

#include "tools/assetgen/AssetOutput.h"
#include "tools/assetgen/Canvas.h"
#include "tools/assetgen/Noise.h"
#include "tools/assetgen/PngEncoder.h"
#include "tools/assetgen/XFileWriter.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace {

constexpr float PI = 3.14159265358979f;

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
float Smooth(float t) {
	t = Clamp01(t);
	return t * t * (3.0f - 2.0f * t);
}

// A white picture whose alpha comes from f(u, v), u and v in 0..1 at pixel centres.
std::vector<uint8_t> AlphaTexture(int width, int height, const std::function<float(float, float)>& alpha) {
	Canvas canvas(width, height);
	for (int y = 0; y < height; ++y) {
		for (int x = 0; x < width; ++x) {
			const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width);
			const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
			canvas.Blend(x, y, Color{1, 1, 1, 1}, Clamp01(alpha(u, v)));
		}
	}
	return PngEncoder::Encode(canvas);
}

float Radius(float u, float v) { return std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f)) * 2.0f; }

// A band bright at the middle of t and gone at 0 and 1.
float Band(float t) { return std::exp(-std::pow((t - 0.5f) / 0.2f, 2.0f)) * Smooth(std::min(t, 1.0f - t) * 6.0f); }

bool WriteTextures(AssetOutput& output) {
	bool ok = output.WriteFile("Effect_data/Glow.png", AlphaTexture(64, 64, [](float u, float v) {
		const float r = Radius(u, v);
		return std::pow(Clamp01(1.0f - r), 2.2f) * 0.85f + std::exp(-r * r * 40.0f) * 0.15f;
	}));
	ok = output.WriteFile("Effect_data/Flare.png", AlphaTexture(64, 64, [](float u, float v) {
		const float r = Radius(u, v);
		const float dx = std::fabs(u - 0.5f) * 2.0f, dy = std::fabs(v - 0.5f) * 2.0f;
		const float rays = std::exp(-dy * 30.0f) * Clamp01(1.0f - dx) + std::exp(-dx * 30.0f) * Clamp01(1.0f - dy);
		return std::pow(Clamp01(1.0f - r), 3.0f) + rays * 0.6f;
	})) && ok;
	ok = output.WriteFile("Effect_data/Spark.png", AlphaTexture(16, 64, [](float u, float v) {
		const float across = std::exp(-std::pow((u - 0.5f) / 0.18f, 2.0f));
		const float along = Smooth(v * 5.0f) * Smooth((1.0f - v) * 1.6f);
		return across * along;
	})) && ok;
	ok = output.WriteFile("Effect_data/Smoke.png", AlphaTexture(64, 64, [](float u, float v) {
		const float r = Radius(u, v);
		const float puff = Smooth((1.0f - r) * 1.6f);
		const float grain = FractalNoise(u * 6.0f, v * 6.0f, 0.5f, 4, 71);
		return puff * (0.35f + 0.75f * grain);
	})) && ok;
	ok = output.WriteFile("Effect_data/Band.png", AlphaTexture(16, 64, [](float, float v) { return Band(v); })) && ok;
	ok = output.WriteFile("Effect_data/Line.png", AlphaTexture(32, 128, [](float u, float v) {
		return Band(u) * Smooth(v * 8.0f) * Smooth((1.0f - v) * 3.0f);
	})) && ok;
	ok = output.WriteFile("Effect_data/Swirl.png", AlphaTexture(128, 32, [](float u, float v) {
		const float arms = 0.5f + 0.5f * std::sin((u * 3.0f + v * 0.6f) * 2.0f * PI);
		return Band(v) * arms * arms;
	})) && ok;
	ok = output.WriteFile("Effect_data/ConeFade.png", AlphaTexture(32, 32, [](float, float v) {
		return std::pow(Clamp01(1.0f - v), 1.5f) * Smooth(v * 10.0f + 0.3f);
	})) && ok;
	return ok;
}

// An open cone, apex `direction` units along z, base of radius 0.3 at the origin.
XMesh FlashCone(float direction) {
	XMesh mesh;
	constexpr int SEGMENTS = 12;
	for (int i = 0; i <= SEGMENTS; ++i) {
		const float u = static_cast<float>(i) / SEGMENTS;
		const float a = u * 2.0f * PI;
		mesh.vertices.push_back({{0.3f * std::cos(a), 0.3f * std::sin(a), 0.0f}, {std::cos(a), std::sin(a), 0}, {u, 0}});
		mesh.vertices.push_back({{0.0f, 0.0f, direction}, {std::cos(a), std::sin(a), 0}, {u, 1}});
	}
	for (uint32_t i = 0; i < SEGMENTS; ++i) {
		const uint32_t b = i * 2;
		mesh.triangles.push_back({{b, b + 2, b + 1}, 0});
		mesh.triangles.push_back({{b + 2, b + 3, b + 1}, 0});
	}
	mesh.materials.push_back(XMaterial{});
	return mesh;
}

struct EffectFile {
	const char* name;
	const char* text;
};

// Every effect the game plays. Comments say where each is used and why its
// lifetime is what it is.
const EffectFile EFFECTS[] = {
	// Player gun: one oriented instance per shot, drawn while it lasts; +z is the aim.
	{"Flash.efk", R"(vortane-particles 1
# Player muzzle flash: a blue cone along +z, a glow and a few sparks.
node Cone
	renderer model
	model FlashCone.x
	texture ConeFade.png
	follow instance
	life 5
	size 3.5
	scale 0.6 1.2 easeout
	rotation 0 360
	color 0.5 0.8 1 1
	fade 0 3
node Glow
	texture Glow.png
	follow instance
	life 5
	size 4
	scale 1 0.4
	color 0.4 0.7 1 1
node Core
	texture Flare.png
	follow instance
	life 3
	size 2.5
	rotation 0 90
	color 0.9 0.95 1 1
node Sparks
	texture Spark.png
	billboard velocity
	count 4
	life 4 7
	size 0.25
	aspect 0.8
	stretch 2
	velocity -0.3 -0.3 1 0.3 0.3 1.8
	color 0.6 0.85 1 1
	fade 0 3
)"},
	// Walker gun: the same flash in red along the walker's facing, -z.
	{"Red_Flash.efk", R"(vortane-particles 1
# Walker muzzle flash: red cone along -z, glow and sparks.
node Cone
	renderer model
	model FlashConeBack.x
	texture ConeFade.png
	follow instance
	life 5
	size 3
	scale 0.6 1.2 easeout
	rotation 0 360
	color 1 0.3 0.15 1
	fade 0 3
node Glow
	texture Glow.png
	follow instance
	life 5
	size 4
	scale 1 0.4
	color 1 0.25 0.1 1
node Core
	texture Flare.png
	follow instance
	life 3
	size 2.2
	rotation 0 90
	color 1 0.8 0.6 1
node Sparks
	texture Spark.png
	billboard velocity
	count 4
	life 4 7
	size 0.25
	aspect 0.8
	stretch 2
	velocity -0.3 -0.3 -1.8 0.3 0.3 -1
	color 1 0.5 0.2 1
	fade 0 3
)"},
	// Back thrusters: a new instance every frame of movement, turned with the
	// robot (its back is -z), so each lives only a few frames.
	{"Boost_2.efk", R"(vortane-particles 1
# Thruster flame blowing backwards and a little down.
node Flame
	texture Glow.png
	count 2
	life 6 8
	size 1.6 2
	scale 1 0.3
	velocity -0.05 -0.15 -0.6 0.05 -0.05 -0.4
	color 0.45 0.7 1 0.9 0.7 0.85 1 0.9
	colorend 0.2 0.3 1 0
node Core
	texture Glow.png
	life 3
	size 1.1
	color 0.95 0.97 1 1
)"},
	// Foot verniers: puffs from the soles every frame of movement.
	{"Foot_Vernier.efk", R"(vortane-particles 1
# A short downward jet at each foot.
node Jet
	texture Glow.png
	count 2
	life 5 7
	size 1 1.4
	scale 1 0.4
	velocity -0.1 -0.35 -0.15 0.1 -0.2 0.05
	color 0.5 0.75 1 0.8
	colorend 0.3 0.4 1 0
)"},
	// Dust kicked up at the robot's feet: one instance every frame of movement.
	{"Smoke.efk", R"(vortane-particles 1
# A pale dust puff that swells and thins out in well under a second.
node Dust
	blend alpha
	texture Smoke.png
	life 30 40
	size 3 4
	scale 0.6 2 easeout
	position -1.5 0 -1.5 1.5 0.5 1.5
	velocity -0.08 0.05 -0.08 0.08 0.12 0.08
	rotation 0 360
	spin -2 2
	color 0.62 0.58 0.52 0.35
	fade 4 20
)"},
	// Badly damaged enemies start one of these every frame: each puff must be
	// gone within two seconds (120 frames).
	{"Damage_Smoke.efk", R"(vortane-particles 1
# Dark smoke rising and spreading, with a faint ember glow at its root.
node Smoke
	blend alpha
	texture Smoke.png
	life 70 100
	size 3.5 4.5
	scale 0.5 3 easeout
	position -1 0 -1 1 1 1
	velocity -0.12 0.3 -0.12 0.12 0.45 0.12
	drag 0.008
	rotation 0 360
	spin -1.5 1.5
	color 0.1 0.09 0.09 0.6 0.18 0.17 0.16 0.6
	colorend 0.26 0.25 0.24 0.35
	fade 6 50
node Ember
	texture Glow.png
	life 8 12
	size 2 3
	velocity 0 0.1 0 0 0.2 0
	color 1 0.45 0.1 0.35
	fade 2 6
)"},
	// Player hit by enemy fire or the turret's beam.
	{"Hit_SparkRed.efk", R"(vortane-particles 1
# Red sparks flying out of a flash.
node Flash
	texture Flare.png
	life 6
	size 5
	scale 0.6 1.2 easeout
	rotation 0 90
	color 1 0.3 0.2 1
	fade 0 4
node Sparks
	texture Spark.png
	billboard velocity
	count 10
	life 10 18
	size 0.35
	aspect 0.7
	stretch 2.5
	shape sphere 0 0.5 outward 0.6 1.4
	acceleration 0 -0.04 0
	drag 0.04
	color 1 0.35 0.2 1 1 0.7 0.3 1
	fade 0 6
)"},
	// Player shot striking a wall.
	{"Hit_SparkBlue.efk", R"(vortane-particles 1
# Blue sparks and a short flash where the shot hits.
node Flash
	texture Flare.png
	life 6
	size 4.5
	scale 0.6 1.2 easeout
	rotation 0 90
	color 0.4 0.7 1 1
	fade 0 4
node Sparks
	texture Spark.png
	billboard velocity
	count 10
	life 10 18
	size 0.3
	aspect 0.7
	stretch 2.5
	shape sphere 0 0.5 outward 0.6 1.4
	acceleration 0 -0.04 0
	drag 0.04
	color 0.5 0.8 1 1 0.8 0.95 1 1
	fade 0 6
)"},
	// A hit on a walker, the boss or a missile.
	{"Hit_Bomb2.efk", R"(vortane-particles 1
# A small fiery burst with sparks and a puff of smoke.
node Fire
	texture Glow.png
	count 5
	life 10 16
	size 4 6
	scale 0.5 1.4 easeout
	shape sphere 0 1.5 outward 0.05 0.2
	color 1 0.7 0.25 1 1 0.45 0.1 1
	colorend 0.8 0.15 0.05 0
node Flash
	texture Flare.png
	life 5
	size 9
	rotation 0 90
	color 1 0.9 0.7 1
	fade 0 4
node Sparks
	texture Spark.png
	billboard velocity
	count 10
	life 12 20
	size 0.4
	aspect 0.7
	stretch 2.5
	shape sphere 0 1 outward 0.7 1.6
	acceleration 0 -0.05 0
	drag 0.03
	color 1 0.8 0.4 1
	fade 0 6
node Smoke
	blend alpha
	texture Smoke.png
	count 2
	delay 4
	life 30 40
	size 4 6
	scale 0.7 1.8 easeout
	shape sphere 0 1.5
	velocity 0 0.08 0 0 0.15 0
	rotation 0 360
	color 0.2 0.19 0.18 0.5
	fade 4 20
)"},
	// A hit on the turret: a bigger burst, many may overlap.
	{"Hit_Bomb_Big.efk", R"(vortane-particles 1
# A large fiery burst with sparks and smoke.
node Fire
	texture Glow.png
	count 8
	life 14 22
	size 7 10
	scale 0.5 1.5 easeout
	shape sphere 0 3 outward 0.08 0.3
	color 1 0.7 0.25 1 1 0.45 0.1 1
	colorend 0.8 0.15 0.05 0
node Flash
	texture Flare.png
	life 6
	size 16
	rotation 0 90
	color 1 0.9 0.7 1
	fade 0 5
node Sparks
	texture Spark.png
	billboard velocity
	count 16
	life 14 24
	size 0.6
	aspect 0.7
	stretch 2.5
	shape sphere 0 2 outward 1 2.2
	acceleration 0 -0.06 0
	drag 0.03
	color 1 0.8 0.4 1
	fade 0 8
node Smoke
	blend alpha
	texture Smoke.png
	count 3
	delay 5
	life 40 55
	size 7 9
	scale 0.7 1.8 easeout
	shape sphere 0 3
	velocity 0 0.1 0 0 0.2 0
	rotation 0 360
	color 0.2 0.19 0.18 0.5
	fade 5 25
)"},
	// A destroyed enemy (and the boss, three at once): fireball, flash,
	// ground shock ring, flying debris sparks and a lingering smoke cloud.
	{"Bomb.efk", R"(vortane-particles 1
# Death explosion.
node Flash
	texture Flare.png
	life 10
	size 45
	scale 0.6 1.1 easeout
	rotation 0 90
	color 1 0.95 0.8 1
	fade 0 8
node Fireball
	texture Glow.png
	count 16
	life 24 40
	size 13 17
	scale 0.5 2 easeout
	shape sphere 0 6 outward 0.2 0.65
	drag 0.04
	color 1 0.85 0.4 1 1 0.55 0.15 1
	colorend 0.7 0.1 0.02 0
node Shock
	renderer ring
	billboard fixed
	texture Band.png
	ring 48 0.7 1
	life 24
	size 10
	scale 1 8 easeout
	color 1 0.7 0.35 0.9
	fade 0 16
node Debris
	texture Spark.png
	billboard velocity
	count 24
	life 30 50
	size 0.9
	aspect 0.6
	stretch 2
	shape sphere 0 2 outward 1.2 2.8
	acceleration 0 -0.06 0
	drag 0.02
	color 1 0.75 0.35 1
	fade 0 12
node Smoke
	blend alpha
	texture Smoke.png
	count 10
	delay 8
	life 70 100
	size 14 18
	scale 0.6 1.8 easeout
	shape sphere 0 6
	velocity -0.1 0.1 -0.1 0.1 0.25 0.1
	drag 0.01
	rotation 0 360
	spin -1 1
	color 0.16 0.15 0.14 0.55
	fade 10 40
)"},
	// A missile reaching the ground: a wide blast (its damage reaches 100
	// units), a rising fire column and a ground ring.
	{"Missile_Bomb.efk", R"(vortane-particles 1
# Missile ground blast.
node Flash
	texture Flare.png
	life 12
	size 80
	scale 0.6 1.1 easeout
	rotation 0 90
	color 1 0.9 0.7 1
	fade 0 9
node Fireball
	texture Glow.png
	count 18
	life 28 44
	size 18 26
	scale 0.5 2 easeout
	shape sphere 0 8 outward 0.2 0.8
	position 0 4 0
	drag 0.04
	color 1 0.8 0.35 1 1 0.5 0.12 1
	colorend 0.7 0.1 0.02 0
node Column
	texture Glow.png
	count 10
	life 30 45
	size 12 16
	scale 0.8 1.6
	position -4 0 -4 4 4 4
	velocity -0.1 0.9 -0.1 0.1 1.6 0.1
	drag 0.03
	color 1 0.6 0.2 1
	colorend 0.5 0.08 0.02 0
node Ground
	renderer ring
	billboard fixed
	texture Band.png
	ring 48 0.75 1
	life 30
	size 20
	scale 1 10 easeout
	position 0 1 0
	color 1 0.6 0.3 0.9
	fade 0 20
node Debris
	texture Spark.png
	billboard velocity
	count 24
	life 30 50
	size 1.4
	aspect 0.6
	stretch 2
	shape sphere 0 3 outward 1.5 3.5
	velocity 0 1 0
	acceleration 0 -0.08 0
	drag 0.02
	color 1 0.75 0.35 1
	fade 0 12
node Smoke
	blend alpha
	texture Smoke.png
	count 10
	delay 10
	life 80 110
	size 22 30
	scale 0.6 1.6 easeout
	shape sphere 0 12
	position 0 8 0
	velocity -0.1 0.15 -0.1 0.1 0.3 0.1
	rotation 0 360
	spin -1 1
	color 0.18 0.16 0.15 0.55
	fade 10 45
)"},
	// Missile trail: one instance every frame at the missile (lowered by 10
	// while it climbs), so each is a single puff and a short flame.
	{"Missile_Smoke.efk", R"(vortane-particles 1
# Grey exhaust puff with a hot core.
node Puff
	blend alpha
	texture Smoke.png
	life 50 70
	size 3 4
	scale 0.7 2.5 easeout
	position -0.5 -0.5 -0.5 0.5 0.5 0.5
	velocity -0.04 -0.02 -0.04 0.04 0.04 0.04
	rotation 0 360
	spin -2 2
	color 0.7 0.68 0.65 0.45
	fade 3 35
node Flame
	texture Glow.png
	life 4
	size 4 5
	color 1 0.6 0.2 1
	fade 0 3
)"},
	// Drop marker: played every frame while a missile falls, so each
	// instance lasts two frames; a tall red line from the missile down.
	{"Red_Line.efk", R"(vortane-particles 1
# Vertical red warning line, 400 units tall, hanging below the missile.
node Line
	texture Line.png
	billboard yaxis
	life 2
	size 400
	aspect 0.012
	position 0 -190 0
	color 1 0.1 0.08 0.9
node Head
	texture Glow.png
	life 2
	size 10
	color 1 0.2 0.1 0.9
)"},
	// Plasma launcher discharge at the start of a shot, drawn while it flies.
	{"Plasma_Shot.efk", R"(vortane-particles 1
# Blue-white discharge: flash, expanding ring and sparks.
node Flash
	texture Flare.png
	life 16
	size 16
	scale 1 0.3
	rotation 0 90
	spin 3
	color 0.7 0.85 1 1
	fade 0 10
node Ring
	renderer ring
	texture Band.png
	ring 32 0.6 1
	life 14
	size 4
	scale 1 6 easeout
	color 0.5 0.75 1 1
	fade 0 10
node Sparks
	texture Spark.png
	billboard velocity
	count 16
	life 10 18
	size 0.5
	aspect 0.7
	stretch 2
	shape sphere 0 1 outward 0.8 1.6
	drag 0.05
	color 0.6 0.85 1 1
	fade 0 6
)"},
	// Plasma trail: a new instance every frame along the flight.
	{"Plasma_line.efk", R"(vortane-particles 1
# Glowing beads left behind the plasma shot.
node Bead
	texture Glow.png
	life 22 28
	size 4 4.5
	scale 1 0.2
	color 0.6 0.8 1 1
	colorend 0.4 0.3 1 0
node Sparkle
	texture Glow.png
	count 2
	life 12 20
	size 0.8 1.2
	position -0.8 -0.8 -0.8 0.8 0.8 0.8
	velocity -0.05 -0.05 -0.05 0.05 0.05 0.05
	color 0.8 0.9 1 1
	fade 0 8
)"},
	// Swirl around the plasma shot: moved to the shot and replayed each frame.
	{"PlasmaWind.efk", R"(vortane-particles 1
# A spinning translucent vortex with a bright core.
node Vortex
	renderer ring
	texture Swirl.png
	ring 32 0.35 1
	life 10
	size 7
	scale 0.8 1.4
	rotation 0 360
	spin 24
	color 0.45 0.7 1 0.7
	fade 2 6
node Core
	texture Glow.png
	life 3
	size 5
	color 0.75 0.9 1 1
)"},
	// Plasma blast: a cloud about 60 units across, drawn to its end.
	{"Mist.efk", R"(vortane-particles 1
# Blue-white blast cloud with a flash and a shock ring.
node Flash
	texture Flare.png
	life 10
	size 60
	scale 0.6 1.1 easeout
	rotation 0 90
	color 0.8 0.9 1 1
	fade 0 8
node Cloud
	texture Glow.png
	count 18
	life 40 60
	size 14 20
	scale 0.6 2.2 easeout
	shape sphere 0 8 outward 0.3 0.8
	drag 0.06
	rotation 0 360
	color 0.45 0.65 1 0.7 0.7 0.8 1 0.7
	colorend 0.2 0.25 1 0
node Shock
	renderer ring
	texture Band.png
	ring 48 0.7 1
	life 20
	size 10
	scale 1 7 easeout
	color 0.6 0.8 1 0.9
	fade 0 14
node Sparks
	texture Spark.png
	billboard velocity
	count 20
	life 20 30
	size 0.8
	aspect 0.6
	stretch 2
	shape sphere 0 3 outward 1 2.2
	drag 0.04
	color 0.7 0.85 1 1
	fade 0 10
)"},
	// Turret beam: one oriented instance per 500-frame cycle. Frames 0..139
	// gather a charge at the muzzle; from frame 139 a long beam runs along
	// the gun's -z for 360 frames and narrows as it goes.
	{"Blue_Raser.efk", R"(vortane-particles 1
# Charge glow, converging motes and contracting rings, then the beam.
node ChargeGlow
	texture Glow.png
	follow instance
	life 140
	size 5
	scale 0.4 4 easein
	color 0.35 0.6 1 1
	fade 20 4
node ChargeMotes
	texture Glow.png
	follow instance
	count 70
	rate 0.5
	life 22
	size 1.2 1.8
	shape sphere 16 22 outward -0.95 -0.75
	color 0.6 0.85 1 1
	fade 6 2
node ChargeRings
	renderer ring
	texture Band.png
	follow instance
	count 7
	rate 0.05
	life 20
	size 40
	scale 1 0.1 easein
	ring 32 0.8 1
	color 0.4 0.7 1 0.8
	fade 6 0
node BeamCore
	renderer ribbon
	texture Band.png
	follow instance
	count 24
	delay 139
	life 360
	shape line 0 0 0 0 0 -1000
	size 6
	scale 1 0.15
	color 0.75 0.9 1 1
	fade 4 30
node BeamHalo
	renderer ribbon
	texture Band.png
	follow instance
	count 24
	delay 139
	life 360
	shape line 0 0 0 0 0 -1000
	size 16
	scale 1 0.2
	color 0.2 0.45 1 0.6
	fade 6 30
node MuzzleFlare
	texture Flare.png
	follow instance
	delay 139
	life 360
	size 18
	scale 1 0.3
	spin 2
	color 0.5 0.75 1 1
	fade 4 30
node BeamSparks
	texture Glow.png
	follow instance
	count 240
	delay 139
	rate 0.8
	life 20 30
	size 1 1.6
	shape line 0 0 -5 0 0 -400
	position -1.5 -1.5 0 1.5 1.5 0
	velocity -0.08 -0.08 0 0.08 0.08 0
	color 0.6 0.85 1 0.9
	fade 4 10
)"},
};

}  // namespace

bool GenerateEffects(AssetOutput& output) {
	bool ok = WriteTextures(output);
	ok = output.WriteText("Effect_data/FlashCone.x", WriteXFile(FlashCone(1.0f))) && ok;
	ok = output.WriteText("Effect_data/FlashConeBack.x", WriteXFile(FlashCone(-1.0f))) && ok;
	for (const EffectFile& effect : EFFECTS) {
		ok = output.WriteText(std::string("Effect_data/") + effect.name, effect.text) && ok;
	}
	return ok;
}
