#include "tools/assetgen/Synth.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

// The polyBLEP correction for a unit step at phase 0 of width dt.
double PolyBlep(double t, double dt) {
	if (t < dt) {
		t /= dt;
		return t + t - t * t - 1.0;
	}
	if (t > 1.0 - dt) {
		t = (t - 1.0) / dt;
		return t * t + t + t + 1.0;
	}
	return 0.0;
}

}  // namespace

uint32_t Random::NextBits() {
	state ^= state << 13;
	state ^= state >> 17;
	state ^= state << 5;
	return state;
}

float Random::NextSigned() {
	return static_cast<float>(NextBits() >> 8) / static_cast<float>(1u << 23) - 1.0f;
}

float Random::NextUnit() {
	return static_cast<float>(NextBits() >> 8) / static_cast<float>(1u << 24);
}

float Oscillator::Next(double frequency) {
	const double dt = std::clamp(frequency / SAMPLE_RATE, 0.0, 0.5);
	double value = 0.0;
	switch (waveform) {
	case Waveform::Sine:
		value = std::sin(2.0 * PI * phase);
		break;
	case Waveform::Saw:
		value = 2.0 * phase - 1.0 - PolyBlep(phase, dt);
		break;
	case Waveform::Square: {
		value = phase < 0.5 ? 1.0 : -1.0;
		value += PolyBlep(phase, dt);
		double shifted = phase + 0.5;
		shifted -= std::floor(shifted);
		value -= PolyBlep(shifted, dt);
		break;
	}
	case Waveform::Triangle:
		value = 1.0 - 4.0 * std::fabs(phase - 0.5);
		break;
	}
	phase += dt;
	phase -= std::floor(phase);
	return static_cast<float>(value);
}

StateVariableFilter::Output StateVariableFilter::Process(float input, float cutoff, float resonance) {
	const float limited = std::clamp(cutoff, 10.0f, SAMPLE_RATE * 0.45f);
	const float g = static_cast<float>(std::tan(PI * limited / SAMPLE_RATE));
	const float k = 1.0f / std::max(resonance, 0.05f);
	const float a1 = 1.0f / (1.0f + g * (g + k));
	const float a2 = g * a1;
	const float a3 = g * a2;
	const float v3 = input - state2;
	const float v1 = a1 * state1 + a2 * v3;
	const float v2 = state2 + a2 * state1 + a3 * v3;
	state1 = 2.0f * v1 - state1;
	state2 = 2.0f * v2 - state2;
	return { v2, v1, input - k * v1 - v2 };
}

float OnePoleLowPass::Process(float input, float cutoff) {
	const float coefficient = 1.0f - static_cast<float>(std::exp(-2.0 * PI * cutoff / SAMPLE_RATE));
	state += (input - state) * coefficient;
	return state;
}

float Envelope::At(float time, float noteLength) const {
	if (time < 0.0f) {
		return 0.0f;
	}
	auto held = [&](float t) {
		if (t < attack) {
			return t / attack;
		}
		if (t < attack + decay) {
			return 1.0f - (1.0f - sustain) * (t - attack) / decay;
		}
		return sustain;
	};
	if (time < noteLength) {
		return held(time);
	}
	const float level = held(noteLength);
	const float t = (time - noteLength) / std::max(release, 1e-4f);
	return t >= 1.0f ? 0.0f : level * (1.0f - t) * (1.0f - t);
}

float Decay(float time, float timeConstant) {
	return static_cast<float>(std::exp(-time / timeConstant));
}

float Glide(float start, float end, float time, float timeConstant) {
	return end + (start - end) * Decay(time, timeConstant);
}

float MidiToFrequency(float note) {
	return 440.0f * static_cast<float>(std::pow(2.0, (note - 69.0f) / 12.0));
}

int SecondsToSamples(float seconds) {
	return static_cast<int>(std::lround(seconds * SAMPLE_RATE));
}

float PeakDecibels(const Samples& samples) {
	float peak = 0.0f;
	for (float s : samples) {
		peak = std::max(peak, std::fabs(s));
	}
	return peak > 0.0f ? 20.0f * std::log10(peak) : -200.0f;
}

void NormalisePeak(Samples& samples, float peakDecibels) {
	float peak = 0.0f;
	for (float s : samples) {
		peak = std::max(peak, std::fabs(s));
	}
	if (peak <= 0.0f) {
		return;
	}
	const float gain = static_cast<float>(std::pow(10.0, peakDecibels / 20.0)) / peak;
	for (float& s : samples) {
		s *= gain;
	}
}

void FadeEdges(Samples& samples, float fadeInSeconds, float fadeOutSeconds) {
	const int count = static_cast<int>(samples.size());
	const int fadeIn = std::min(count, SecondsToSamples(fadeInSeconds));
	const int fadeOut = std::min(count, SecondsToSamples(fadeOutSeconds));
	for (int i = 0; i < fadeIn; ++i) {
		samples[i] *= static_cast<float>(i) / fadeIn;
	}
	for (int i = 0; i < fadeOut; ++i) {
		samples[count - 1 - i] *= static_cast<float>(i) / fadeOut;
	}
}

void MixInto(Samples& destination, const Samples& source, int offset, float gain, bool loop) {
	const int length = static_cast<int>(destination.size());
	if (length == 0) {
		return;
	}
	for (size_t i = 0; i < source.size(); ++i) {
		int index = offset + static_cast<int>(i);
		if (loop) {
			index %= length;
			if (index < 0) {
				index += length;
			}
		} else if (index < 0 || index >= length) {
			continue;
		}
		destination[index] += source[i] * gain;
	}
}

float Saturate(float value, float drive) {
	return static_cast<float>(std::tanh(value * drive) / std::tanh(drive));
}
