#pragma once
// What an effect file describes: a list of emitter nodes, each with the
// rules its particles are born and live by. Plain data, read by
// EffectFileReader and shared (read-only) by every instance of the effect.

#include "platform/math/D3DXMath.h"

#include <memory>
#include <string>
#include <vector>

namespace particles {

// A value drawn uniformly between min and max for every new particle.
struct FloatRange {
	float min = 0.0f;
	float max = 0.0f;
};

struct Vec3Range {
	D3DXVECTOR3 min;
	D3DXVECTOR3 max;
};

enum class RendererKind { Sprite, Ribbon, Ring, Model };

// Additive adds colour × alpha and lights the glow target; alpha blends over
// the scene and leaves the glow target alone.
enum class BlendMode { Additive, Alpha };

enum class Billboard {
	Face,      // square to the camera, rolled by the particle's rotation
	YAxis,     // upright, turned about the world's vertical axis towards the camera
	Fixed,     // lies in the instance's local XY plane (rings: XZ plane)
	Velocity,  // stretched along the particle's direction of flight
};

// How a particle's birth position is chosen.
enum class EmitShape {
	Box,     // each component between position.min and position.max
	Line,    // particle i of n evenly from lineFrom to lineTo, plus the box jitter
	Sphere,  // on a sphere of radius sphereRadius (random), plus the box jitter
};

// Shape of the size and colour curves over a particle's life.
enum class Easing { Linear, EaseOut, EaseIn };

struct NodeDefinition {
	std::string name;
	RendererKind renderer = RendererKind::Sprite;
	BlendMode blend = BlendMode::Additive;
	Billboard billboard = Billboard::Face;
	std::string texture;  // file name inside the material folder; empty: plain white
	std::string model;    // model renderer only: X file inside the material folder

	// Emission: `count` particles in all, `rate` per frame from frame `delay`
	// (rate 0: all of them on that frame).
	int count = 1;
	float rate = 0.0f;
	int delay = 0;
	FloatRange life{30.0f, 30.0f};  // frames

	EmitShape shape = EmitShape::Box;
	D3DXVECTOR3 lineFrom;
	D3DXVECTOR3 lineTo;
	FloatRange sphereRadius;
	bool outward = false;  // sphere: velocity speed taken along the outward normal
	FloatRange outwardSpeed;

	Vec3Range position;
	Vec3Range velocity;      // units per frame
	Vec3Range acceleration;  // units per frame per frame
	float drag = 0.0f;       // fraction of velocity lost each frame

	// World: a particle is placed by the instance's matrix at birth and then
	// flies on its own. Instance: it stays in the instance's frame and follows
	// every later SetLocation/SetRotation/SetMatrix.
	bool followInstance = false;

	FloatRange size{1.0f, 1.0f};  // world units, before the scale curve
	float scaleStart = 1.0f;
	float scaleEnd = 1.0f;
	Easing scaleEasing = Easing::Linear;
	float aspect = 1.0f;   // sprite width / height
	float stretch = 0.0f;  // velocity billboards: extra length per unit of speed

	FloatRange rotation;       // degrees at birth (sprite roll, ring and model spin)
	FloatRange rotationSpeed;  // degrees per frame

	D3DXCOLOR colorStartMin{1, 1, 1, 1};
	D3DXCOLOR colorStartMax{1, 1, 1, 1};
	D3DXCOLOR colorEnd{1, 1, 1, 1};
	bool hasColorEnd = false;  // without it the birth colour is kept for life
	int fadeIn = 0;            // frames
	int fadeOut = 0;           // frames

	// Ring renderer.
	int ringSegments = 24;
	float ringInner = 0.5f;  // radii as fractions of the particle's size
	float ringOuter = 1.0f;
};

struct EffectDefinition {
	std::vector<NodeDefinition> nodes;
};

using EffectDefinitionPtr = std::shared_ptr<const EffectDefinition>;

}  // namespace particles
