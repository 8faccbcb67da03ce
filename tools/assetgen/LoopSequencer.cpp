#include "tools/assetgen/LoopSequencer.h"

#include <cmath>

LoopSequencer::LoopSequencer(int beatsPerMinute, int beats_)
	: samplesPerBeat(SAMPLE_RATE * 60 / beatsPerMinute), beats(beats_) {}

Samples LoopSequencer::Render(const std::vector<NoteEvent>& notes, const Instrument& instrument, uint32_t seed) const {
	Samples loop(static_cast<size_t>(Length()), 0.0f);
	for (size_t i = 0; i < notes.size(); ++i) {
		const NoteEvent& note = notes[i];
		const Samples voice = instrument(note, note.beats * SecondsPerBeat(), seed * 7919u + static_cast<uint32_t>(i));
		const int start = static_cast<int>(std::lround(note.beat * samplesPerBeat));
		MixInto(loop, voice, start, note.velocity, true);
	}
	return loop;
}

void LoopSequencer::AddEcho(Samples& loop, int delaySamples, float feedback, int repeats) {
	const Samples dry = loop;
	float gain = feedback;
	for (int repeat = 1; repeat <= repeats; ++repeat) {
		MixInto(loop, dry, delaySamples * repeat, gain, true);
		gain *= feedback;
	}
}

void StereoLoop::Add(const Samples& track, float gain, float pan) {
	const float angle = (pan + 1.0f) * 0.25f * 3.14159265f;
	MixInto(left, track, 0, gain * std::cos(angle) * 1.41421356f, true);
	MixInto(right, track, 0, gain * std::sin(angle) * 1.41421356f, true);
}

Samples StereoLoop::Interleaved() const {
	Samples samples(left.size() * 2);
	for (size_t i = 0; i < left.size(); ++i) {
		samples[i * 2] = left[i];
		samples[i * 2 + 1] = right[i];
	}
	return samples;
}

void LoopSequencer::AddPingPongEcho(StereoLoop& loop, const Samples& dry, float gain, int delaySamples,
	float feedback, int repeats) {
	float level = gain * feedback;
	for (int repeat = 1; repeat <= repeats; ++repeat) {
		Samples& side = repeat % 2 == 1 ? loop.right : loop.left;
		MixInto(side, dry, delaySamples * repeat, level, true);
		level *= feedback;
	}
}
