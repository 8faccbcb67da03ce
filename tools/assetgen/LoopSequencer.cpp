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
