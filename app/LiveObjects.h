#pragma once
// What the process holds on the graphics device, in the effect runtime and in
// the sound layer right now: counts that must come back to the same values
// after every battle, however many are played.

#include <string>

struct LiveObjects {
	int textures = 0;       // GL texture names (every texture and render target)
	int renderbuffers = 0;  // GL renderbuffer names (depth surfaces)
	int buffers = 0;        // GL buffer names (vertex and index buffers)
	int programs = 0;       // GL programs (effect passes, fixed-function)
	int framebuffers = 0;   // GL framebuffer names
	int effects = 0;        // loaded particle effects
	int effectInstances = 0;
	int sources = 0;      // OpenAL sources in the pool
	int sourcesHeld = 0;  // of which a voice holds now
	int voices = 0;       // sound buffers alive, duplicates included

	// {"textures":N,...} in the order above.
	std::string ToJson() const;
	bool operator==(const LiveObjects&) const = default;
	// What must come back to the same values after every battle: all but the
	// source pool's size and the sources held, which follow how the sounds
	// happened to overlap in wall time, not what the game holds.
	bool SameHoldingsAs(const LiveObjects& other) const;
};

LiveObjects CountLiveObjects();
