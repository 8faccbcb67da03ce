// The two music loops. The title theme is a slow A-minor piece with pads, an
// arpeggio and a lead over a half-time beat; the battle theme drives in
// E minor at 140 beats a minute with a pulsing bass, stabs and a lead.

#include "tools/assetgen/LoopSequencer.h"
#include "tools/assetgen/SoundDesigns.h"

#include <cmath>

namespace {

constexpr float TWO_PI = 6.28318530718f;

// Renders a voice for held + release seconds.
template <typename Voice>
Samples Play(float seconds, Voice voice) {
	Samples samples(SecondsToSamples(seconds));
	for (size_t i = 0; i < samples.size(); ++i) {
		samples[i] = voice(static_cast<float>(i) / SAMPLE_RATE);
	}
	return samples;
}

Samples Kick(const NoteEvent&, float, uint32_t) {
	Oscillator sine(Waveform::Sine);
	return Play(0.45f, [&](float t) {
		const float body = sine.Next(Glide(160.0f, 45.0f, t, 0.035f)) * Decay(t, 0.16f);
		const float click = std::sin(TWO_PI * 1800.0f * t) * Decay(t, 0.003f) * 0.3f;
		return (body + click) * std::min(1.0f, t / 0.001f);
	});
}

Samples Snare(const NoteEvent&, float, uint32_t seed) {
	Random random(seed);
	StateVariableFilter band;
	Oscillator tone(Waveform::Sine);
	return Play(0.3f, [&](float t) {
		const float noise = band.BandPass(random.NextSigned(), 3200.0f, 0.6f) * Decay(t, 0.07f);
		const float body = tone.Next(Glide(260.0f, 180.0f, t, 0.02f)) * Decay(t, 0.05f);
		return (noise * 1.2f + body * 0.7f) * std::min(1.0f, t / 0.001f);
	});
}

Samples HiHat(const NoteEvent& note, float, uint32_t seed) {
	Random random(seed);
	StateVariableFilter high;
	const float decay = note.beats > 0.4f ? 0.12f : 0.025f;
	return Play(decay * 6.0f, [&](float t) {
		return high.HighPass(random.NextSigned(), 8000.0f, 0.7f) * Decay(t, decay) * std::min(1.0f, t / 0.001f);
	});
}

Samples Bass(const NoteEvent& note, float held, uint32_t) {
	Oscillator saw(Waveform::Saw);
	Oscillator sub(Waveform::Sine);
	StateVariableFilter filter;
	const Envelope envelope { 0.004f, 0.15f, 0.7f, 0.06f };
	const float frequency = MidiToFrequency(note.pitch);
	return Play(envelope.Length(held), [&](float t) {
		const float cutoff = 180.0f + 1400.0f * Decay(t, 0.07f);
		const float tone = filter.LowPass(saw.Next(frequency), cutoff, 1.1f) + sub.Next(frequency) * 0.6f;
		return tone * envelope.At(t, held);
	});
}

Samples Pad(const NoteEvent& note, float held, uint32_t) {
	Oscillator a(Waveform::Saw, 0.0);
	Oscillator b(Waveform::Saw, 0.37);
	Oscillator c(Waveform::Saw, 0.71);
	StateVariableFilter filter;
	const Envelope envelope { 0.6f, 0.5f, 0.8f, 1.2f };
	const float frequency = MidiToFrequency(note.pitch);
	return Play(envelope.Length(held), [&](float t) {
		const float tone = a.Next(frequency * 0.996f) + b.Next(frequency) + c.Next(frequency * 1.004f);
		const float cutoff = 900.0f + 300.0f * std::sin(TWO_PI * 0.2f * t);
		return filter.LowPass(tone, cutoff, 0.8f) * 0.33f * envelope.At(t, held);
	});
}

Samples Pluck(const NoteEvent& note, float held, uint32_t) {
	Oscillator square(Waveform::Square);
	StateVariableFilter filter;
	const float frequency = MidiToFrequency(note.pitch);
	return Play(held + 0.3f, [&](float t) {
		const float cutoff = 600.0f + 3500.0f * Decay(t, 0.05f);
		return filter.LowPass(square.Next(frequency), cutoff, 1.0f) * Decay(t, 0.12f) * std::min(1.0f, t / 0.002f);
	});
}

Samples Lead(const NoteEvent& note, float held, uint32_t) {
	Oscillator a(Waveform::Saw);
	Oscillator b(Waveform::Square, 0.25);
	Oscillator vibrato(Waveform::Sine);
	StateVariableFilter filter;
	const Envelope envelope { 0.02f, 0.2f, 0.75f, 0.15f };
	const float frequency = MidiToFrequency(note.pitch);
	return Play(envelope.Length(held), [&](float t) {
		const float depth = std::min(1.0f, t / 0.4f) * 0.006f;
		const float f = frequency * (1.0f + depth * vibrato.Next(5.5f));
		const float tone = a.Next(f) * 0.6f + b.Next(f * 1.003f) * 0.4f;
		return filter.LowPass(tone, 2600.0f, 0.9f) * envelope.At(t, held);
	});
}

Samples Stab(const NoteEvent& note, float held, uint32_t) {
	Oscillator a(Waveform::Saw);
	Oscillator b(Waveform::Saw, 0.5);
	StateVariableFilter filter;
	const Envelope envelope { 0.003f, 0.1f, 0.4f, 0.08f };
	const float frequency = MidiToFrequency(note.pitch);
	return Play(envelope.Length(held), [&](float t) {
		const float cutoff = 500.0f + 2500.0f * Decay(t, 0.06f);
		return filter.LowPass(a.Next(frequency) + b.Next(frequency * 1.007f), cutoff, 1.0f) * 0.5f *
			envelope.At(t, held);
	});
}

struct Chord {
	float root;  // MIDI note of the bass root
	std::vector<float> tones;  // MIDI notes of the pad or stab voicing
};

void AddNotes(std::vector<NoteEvent>& notes, float offset, const std::vector<NoteEvent>& phrase) {
	for (NoteEvent note : phrase) {
		note.beat += offset;
		notes.push_back(note);
	}
}

// Splits notes into two lists by a rule, for spreading a part across the stereo field.
std::pair<std::vector<NoteEvent>, std::vector<NoteEvent>> SplitNotes(const std::vector<NoteEvent>& notes,
	bool (*toLeft)(size_t index)) {
	std::pair<std::vector<NoteEvent>, std::vector<NoteEvent>> sides;
	for (size_t i = 0; i < notes.size(); ++i) {
		(toLeft(i) ? sides.first : sides.second).push_back(notes[i]);
	}
	return sides;
}

}  // namespace

Samples MakeTitleMusic() {
	const LoopSequencer sequencer(100, 64);  // 16 bars, 38.4 seconds
	const std::vector<Chord> chords = {
		{ 45, { 57, 60, 64 } }, { 41, { 57, 60, 65 } }, { 48, { 55, 60, 64 } }, { 43, { 55, 59, 62 } },
		{ 45, { 57, 60, 64 } }, { 41, { 57, 60, 65 } }, { 43, { 55, 59, 62 } }, { 40, { 56, 59, 64 } },
	};
	std::vector<NoteEvent> pad, bass, arp, kick, snare, hats;
	for (size_t c = 0; c < chords.size(); ++c) {
		const float start = static_cast<float>(c) * 8.0f;
		for (float tone : chords[c].tones) {
			pad.push_back({ start, 8.0f, tone, 1.0f });
		}
		for (int bar = 0; bar < 2; ++bar) {
			const float b = start + bar * 4.0f;
			AddNotes(bass, b, { { 0.0f, 1.2f, chords[c].root, 1.0f }, { 1.5f, 0.4f, chords[c].root, 0.7f },
				{ 2.0f, 1.2f, chords[c].root + 12, 0.8f }, { 3.0f, 0.4f, chords[c].root, 0.7f },
				{ 3.5f, 0.4f, chords[c].root + 7, 0.7f } });
			for (int step = 0; step < 8; ++step) {
				const float tone = chords[c].tones[(step * 2 + bar) % 3] + 12.0f + (step % 4 == 3 ? 12.0f : 0.0f);
				arp.push_back({ b + step * 0.5f, 0.4f, tone, step % 2 == 0 ? 0.9f : 0.6f });
			}
			AddNotes(kick, b, { { 0.0f, 0.5f, 36, 1.0f }, { 2.5f, 0.5f, 36, 0.8f } });
			AddNotes(snare, b, { { 1.0f, 0.5f, 38, 0.9f }, { 3.0f, 0.5f, 38, 1.0f } });
			for (int step = 0; step < 8; ++step) {
				hats.push_back({ b + step * 0.5f, step == 7 ? 0.5f : 0.25f, 42, step % 2 == 0 ? 0.8f : 0.5f });
			}
		}
	}
	const std::vector<NoteEvent> melody = {
		{ 0, 1.5f, 76 }, { 1.5f, 0.5f, 74 }, { 2, 1, 72 }, { 3, 1, 74 }, { 4, 2, 76 }, { 6, 2, 69 },
		{ 8, 1.5f, 72 }, { 9.5f, 0.5f, 71 }, { 10, 1, 69 }, { 11, 1, 72 }, { 12, 3, 77 }, { 15, 1, 76 },
		{ 16, 1.5f, 79 }, { 17.5f, 0.5f, 77 }, { 18, 1, 76 }, { 19, 1, 72 }, { 20, 2, 74 }, { 22, 1, 76 },
		{ 23, 1, 74 }, { 24, 2, 71 }, { 26, 1, 74 }, { 27, 1, 79 }, { 28, 3, 74 },
		{ 32, 1.5f, 81 }, { 33.5f, 0.5f, 79 }, { 34, 1, 76 }, { 35, 1, 79 }, { 36, 2, 81 }, { 38, 2, 84 },
		{ 40, 1.5f, 81 }, { 41.5f, 0.5f, 77 }, { 42, 1, 72 }, { 43, 1, 77 }, { 44, 3, 76 }, { 47, 1, 72 },
		{ 48, 1.5f, 74 }, { 49.5f, 0.5f, 76 }, { 50, 1, 77 }, { 51, 1, 79 }, { 52, 2, 83 }, { 54, 2, 79 },
		{ 56, 2, 80 }, { 58, 1, 76 }, { 59, 1, 71 }, { 60, 3, 76 }, { 63, 1, 71 },
	};
	StereoLoop mix(sequencer.Length());
	// Chord tones alternate left and right, the arpeggio steps likewise.
	const auto [padLeft, padRight] = SplitNotes(pad, [](size_t i) { return i % 3 == 1; });
	mix.Add(sequencer.Render(padLeft, Pad, 1), 0.45f, -0.6f);
	mix.Add(sequencer.Render(padRight, Pad, 21), 0.45f, 0.6f);
	const auto [arpLeft, arpRight] = SplitNotes(arp, [](size_t i) { return i % 2 == 0; });
	const Samples arpeggioLeft = sequencer.Render(arpLeft, Pluck, 3);
	const Samples arpeggioRight = sequencer.Render(arpRight, Pluck, 23);
	mix.Add(arpeggioLeft, 0.16f, -0.5f);
	mix.Add(arpeggioRight, 0.16f, 0.5f);
	const int echoDelay = sequencer.SamplesPerBeat() * 3 / 4;
	LoopSequencer::AddPingPongEcho(mix, arpeggioLeft, 0.16f, echoDelay, 0.3f, 3);
	LoopSequencer::AddPingPongEcho(mix, arpeggioRight, 0.16f, echoDelay * 2, 0.3f, 2);
	const Samples lead = sequencer.Render(melody, Lead, 5);
	mix.Add(lead, 0.32f, 0.0f);
	LoopSequencer::AddPingPongEcho(mix, lead, 0.32f, echoDelay, 0.35f, 4);
	mix.Add(sequencer.Render(bass, Bass, 2), 0.55f, 0.0f);
	mix.Add(sequencer.Render(kick, Kick, 6), 0.8f, 0.0f);
	mix.Add(sequencer.Render(snare, Snare, 7), 0.35f, 0.05f);
	mix.Add(sequencer.Render(hats, HiHat, 8), 0.12f, 0.35f);
	return mix.Interleaved();
}

Samples MakeBattleMusic() {
	const LoopSequencer sequencer(140, 80);  // 20 bars, about 34.3 seconds
	// One chord a bar: E minor, C, D, B major and A minor, G in the bridge.
	const Chord em { 28, { 52, 59, 64 } };
	const Chord c { 24, { 48, 55, 60 } };
	const Chord d { 26, { 50, 57, 62 } };
	const Chord b { 23, { 47, 54, 59 } };
	const Chord am { 21, { 45, 52, 57 } };
	const Chord g { 31, { 55, 62, 67 } };
	const std::vector<Chord> bars = { em, em, c, d, em, em, c, d, em, em, c, d, am, c, g, b, em, c, d, b };

	std::vector<NoteEvent> bass, stabs, kick, snare, hats;
	for (size_t bar = 0; bar < bars.size(); ++bar) {
		const float start = static_cast<float>(bar) * 4.0f;
		const Chord& chord = bars[bar];
		for (int step = 0; step < 8; ++step) {
			const float pitch = chord.root + 12.0f + (step % 2 == 1 ? 12.0f : 0.0f);
			bass.push_back({ start + step * 0.5f, 0.4f, pitch, step % 2 == 0 ? 1.0f : 0.75f });
		}
		for (float beat : { 0.0f, 1.5f, 3.0f }) {
			for (float tone : chord.tones) {
				stabs.push_back({ start + beat, 0.35f, tone + 12.0f, 1.0f });
			}
		}
		for (int beat = 0; beat < 4; ++beat) {
			kick.push_back({ start + beat, 0.5f, 36, 1.0f });
		}
		AddNotes(snare, start, { { 1.0f, 0.5f, 38, 1.0f }, { 3.0f, 0.5f, 38, 1.0f } });
		if (bar % 4 == 3) {
			AddNotes(snare, start, { { 3.5f, 0.25f, 38, 0.6f }, { 3.75f, 0.25f, 38, 0.8f } });
		}
		for (int step = 0; step < 16; ++step) {
			const bool open = step % 4 == 2;
			hats.push_back({ start + step * 0.25f, open ? 0.5f : 0.25f, 42, step % 2 == 0 ? 0.9f : 0.5f });
		}
	}
	const std::vector<NoteEvent> phraseA = {
		{ 0, 0.75f, 76 }, { 0.75f, 0.75f, 76 }, { 1.5f, 0.5f, 79 }, { 2, 1, 81 }, { 3, 1, 83 },
		{ 4, 1.5f, 84 }, { 5.5f, 0.5f, 83 }, { 6, 1, 81 }, { 7, 1, 79 },
		{ 8, 0.75f, 76 }, { 8.75f, 0.75f, 76 }, { 9.5f, 0.5f, 79 }, { 10, 1, 81 }, { 11, 1, 79 },
		{ 12, 2, 78 }, { 14, 1, 74 }, { 15, 1, 78 },
	};
	const std::vector<NoteEvent> phraseB = {
		{ 0, 1.5f, 83 }, { 1.5f, 0.5f, 81 }, { 2, 1, 79 }, { 3, 1, 76 },
		{ 4, 1.5f, 84 }, { 5.5f, 0.5f, 83 }, { 6, 2, 81 },
		{ 8, 1, 79 }, { 9, 1, 81 }, { 10, 1, 83 }, { 11, 1, 86 },
		{ 12, 3, 83 }, { 15, 1, 78 },
	};
	const std::vector<NoteEvent> bridge = {
		{ 0, 1.5f, 81 }, { 1.5f, 0.5f, 84 }, { 2, 2, 88 },
		{ 4, 1, 84 }, { 5, 1, 83 }, { 6, 2, 79 },
		{ 8, 1.5f, 79 }, { 9.5f, 0.5f, 81 }, { 10, 2, 83 },
		{ 12, 2, 78 }, { 14, 2, 75 },
	};
	std::vector<NoteEvent> melody;
	AddNotes(melody, 16.0f, phraseA);
	AddNotes(melody, 32.0f, phraseB);
	AddNotes(melody, 48.0f, bridge);
	AddNotes(melody, 64.0f, phraseA);
	StereoLoop mix(sequencer.Length());
	const auto [stabLeft, stabRight] = SplitNotes(stabs, [](size_t i) { return i % 3 == 0; });
	mix.Add(sequencer.Render(stabLeft, Stab, 13), 0.14f, -0.6f);
	mix.Add(sequencer.Render(stabRight, Stab, 33), 0.14f, 0.6f);
	const Samples lead = sequencer.Render(melody, Lead, 15);
	mix.Add(lead, 0.3f, 0.0f);
	LoopSequencer::AddPingPongEcho(mix, lead, 0.3f, sequencer.SamplesPerBeat() * 3 / 4, 0.3f, 3);
	mix.Add(sequencer.Render(bass, Bass, 12), 0.5f, 0.0f);
	mix.Add(sequencer.Render(kick, Kick, 16), 0.85f, 0.0f);
	mix.Add(sequencer.Render(snare, Snare, 17), 0.45f, 0.05f);
	mix.Add(sequencer.Render(hats, HiHat, 18), 0.13f, 0.35f);
	return mix.Interleaved();
}
