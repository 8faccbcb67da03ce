#pragma once
// Renders note lists into a loop of an exact whole number of beats. Notes
// that ring past the end are wrapped to the start, so the loop plays on into
// itself with no seam: the tail of the last bar sounds under the first.

#include "tools/assetgen/Synth.h"

#include <functional>
#include <vector>

struct NoteEvent {
	float beat = 0.0f;     // start, in beats from the loop start
	float beats = 1.0f;    // held length
	float pitch = 60.0f;   // MIDI note number
	float velocity = 1.0f;
};

// Renders one note: its held length in seconds, and a seed unique to the note.
using Instrument = std::function<Samples(const NoteEvent& note, float heldSeconds, uint32_t seed)>;

// A stereo loop under construction: tracks are placed across it by pan.
struct StereoLoop {
	Samples left;
	Samples right;

	explicit StereoLoop(int length) : left(static_cast<size_t>(length), 0.0f), right(static_cast<size_t>(length), 0.0f) {}

	// pan -1 is hard left, 0 the centre, 1 hard right, at equal power.
	void Add(const Samples& track, float gain, float pan);
	// Interleaved left, right.
	Samples Interleaved() const;
};

class LoopSequencer {
public:
	// beatsPerMinute must divide the sample rate's minute evenly for the loop
	// to land on whole samples per beat.
	LoopSequencer(int beatsPerMinute, int beats);

	int Length() const { return samplesPerBeat * beats; }
	int SamplesPerBeat() const { return samplesPerBeat; }
	float SecondsPerBeat() const { return static_cast<float>(samplesPerBeat) / SAMPLE_RATE; }

	Samples Render(const std::vector<NoteEvent>& notes, const Instrument& instrument, uint32_t seed) const;

	// A feedback echo computed around the loop: each repeat wraps like a note.
	static void AddEcho(Samples& loop, int delaySamples, float feedback, int repeats);
	// The same, with the repeats alternating right and left.
	static void AddPingPongEcho(StereoLoop& loop, const Samples& dry, float gain, int delaySamples, float feedback,
		int repeats);

private:
	int samplesPerBeat;
	int beats;
};
