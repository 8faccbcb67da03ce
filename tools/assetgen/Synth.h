#pragma once
// Sound synthesis building blocks: a seeded noise source, band-limited
// oscillators, filters, envelopes and buffer operations. Everything is mono
// float audio at one fixed rate; the same calls always give the same samples.

#include <cstdint>
#include <vector>

constexpr int SAMPLE_RATE = 44100;

using Samples = std::vector<float>;

// xorshift32: small, fast and identical everywhere. Never seeded from time.
class Random {
public:
	explicit Random(uint32_t seed) : state(seed ? seed : 0x6D2B79F5u) {}

	uint32_t NextBits();
	// Uniform in [-1, 1).
	float NextSigned();
	// Uniform in [0, 1).
	float NextUnit();

private:
	uint32_t state;
};

enum class Waveform { Sine, Saw, Square, Triangle };

// Phase-accumulating oscillator; saw and square have polyBLEP-smoothed steps
// so high notes do not alias into grit.
class Oscillator {
public:
	explicit Oscillator(Waveform waveform, double startPhase = 0.0) : waveform(waveform), phase(startPhase) {}

	float Next(double frequency);

private:
	Waveform waveform;
	double phase;
};

// Topology-preserving state variable filter: stable under fast cutoff sweeps.
class StateVariableFilter {
public:
	struct Output {
		float low;
		float band;
		float high;
	};

	Output Process(float input, float cutoff, float resonance);

	float LowPass(float input, float cutoff, float resonance = 0.7f) { return Process(input, cutoff, resonance).low; }
	float BandPass(float input, float cutoff, float resonance = 0.7f) { return Process(input, cutoff, resonance).band; }
	float HighPass(float input, float cutoff, float resonance = 0.7f) { return Process(input, cutoff, resonance).high; }

private:
	float state1 = 0.0f;
	float state2 = 0.0f;
};

class OnePoleLowPass {
public:
	float Process(float input, float cutoff);

private:
	float state = 0.0f;
};

// Attack, decay to a sustain level, hold until noteLength, then release.
struct Envelope {
	float attack = 0.002f;
	float decay = 0.1f;
	float sustain = 1.0f;
	float release = 0.05f;

	float At(float time, float noteLength) const;
	float Length(float noteLength) const { return noteLength + release; }
};

// exp(-time / timeConstant), the usual percussive decay.
float Decay(float time, float timeConstant);
// A value gliding exponentially from start towards end.
float Glide(float start, float end, float time, float timeConstant);
float MidiToFrequency(float note);
int SecondsToSamples(float seconds);

// Scales so the largest magnitude equals the given level in dBFS.
void NormalisePeak(Samples& samples, float peakDecibels);
float PeakDecibels(const Samples& samples);
// Short fades at both ends so a sound never starts or stops with a click.
void FadeEdges(Samples& samples, float fadeInSeconds, float fadeOutSeconds);
// Adds source into destination at offset, wrapping past the end when loop is set.
void MixInto(Samples& destination, const Samples& source, int offset, float gain, bool loop);
// A soft clipper for gentle saturation of a voice (not for the master level).
float Saturate(float value, float drive);
