// The one-shot sounds. Lengths follow how the game plays them: the booster
// restarts every frame while moving, the charge and beam fill their 140 and
// 360 frame phases, explosions and hits overlap freely.

#include "tools/assetgen/SoundDesigns.h"

#include <cmath>

namespace {

constexpr float TWO_PI = 6.28318530718f;

// Runs voice(time) for the given length into a new buffer.
template <typename Voice>
Samples Render(float seconds, Voice voice) {
	Samples samples(SecondsToSamples(seconds));
	for (size_t i = 0; i < samples.size(); ++i) {
		samples[i] = voice(static_cast<float>(i) / SAMPLE_RATE);
	}
	return samples;
}

// A decaying low sine whose pitch falls: the body of every impact.
Samples Thump(float seconds, float startHz, float endHz, float pitchTime, float decayTime) {
	Oscillator sine(Waveform::Sine);
	return Render(seconds, [&](float t) {
		return sine.Next(Glide(startHz, endHz, t, pitchTime)) * Decay(t, decayTime);
	});
}

// Noise through a low-pass whose cutoff falls: the roar of an explosion.
Samples Roar(float seconds, uint32_t seed, float startHz, float endHz, float sweepTime, float decayTime) {
	Random random(seed);
	StateVariableFilter filter;
	OnePoleLowPass rumble;
	return Render(seconds, [&](float t) {
		const float low = rumble.Process(random.NextSigned(), 2500.0f) * 1.5f;
		const float noise = low + random.NextSigned() * 0.3f;
		return filter.LowPass(noise, Glide(startHz, endHz, t, sweepTime), 0.8f) * Decay(t, decayTime);
	});
}

// Inharmonic partials ringing down: metal being struck.
Samples Clank(float seconds, const std::vector<float>& partials, float decayTime) {
	return Render(seconds, [&](float t) {
		float sum = 0.0f;
		for (size_t i = 0; i < partials.size(); ++i) {
			sum += std::sin(TWO_PI * partials[i] * t) * Decay(t, decayTime / (1.0f + 0.4f * i));
		}
		return sum / static_cast<float>(partials.size());
	});
}

Samples Sum(const std::vector<std::pair<Samples, float>>& parts, int length = 0) {
	Samples total;
	for (const auto& [part, gain] : parts) {
		if (part.size() > total.size()) {
			total.resize(part.size(), 0.0f);
		}
	}
	if (length > 0) {
		total.resize(length, 0.0f);
	}
	for (const auto& [part, gain] : parts) {
		MixInto(total, part, 0, gain, false);
	}
	return total;
}

Samples Delayed(const Samples& samples, float seconds) {
	Samples delayed(samples.size() + static_cast<size_t>(SecondsToSamples(seconds)), 0.0f);
	MixInto(delayed, samples, SecondsToSamples(seconds), 1.0f, false);
	return delayed;
}

}  // namespace

Samples MakeGunshot() {
	Random random(101);
	StateVariableFilter band;
	Samples crack = Render(0.3f, [&](float t) {
		return band.BandPass(random.NextSigned(), Glide(4200.0f, 700.0f, t, 0.04f), 1.2f) * Decay(t, 0.05f);
	});
	Samples body = Thump(0.3f, 180.0f, 55.0f, 0.03f, 0.07f);
	Samples tail = Roar(0.35f, 102, 1800.0f, 300.0f, 0.08f, 0.1f);
	Samples shot = Sum({ { crack, 1.0f }, { body, 0.9f }, { tail, 0.35f } });
	for (float& s : shot) {
		s = Saturate(s, 1.8f);
	}
	FadeEdges(shot, 0.0005f, 0.02f);
	return shot;
}

Samples MakeEnemyLaserShot() {
	Oscillator square(Waveform::Square);
	Oscillator sine(Waveform::Sine);
	StateVariableFilter filter;
	Samples zap = Render(0.32f, [&](float t) {
		const float pitch = Glide(2200.0f, 260.0f, t, 0.06f);
		const float tone = square.Next(pitch) * 0.5f + sine.Next(pitch * 1.5f) * 0.5f;
		return filter.LowPass(tone, 5000.0f, 0.9f) * Decay(t, 0.09f);
	});
	FadeEdges(zap, 0.001f, 0.03f);
	return zap;
}

Samples MakeLaserCharge() {
	const float length = 2.3f;
	Oscillator low(Waveform::Saw);
	Oscillator high(Waveform::Sine);
	Oscillator shimmer(Waveform::Sine);
	Random random(103);
	StateVariableFilter hiss;
	StateVariableFilter tone;
	Samples charge = Render(length, [&](float t) {
		const float progress = t / length;
		const float pitch = 180.0f * std::pow(9.0f, progress);
		const float wobble = 0.6f + 0.4f * std::sin(TWO_PI * (3.0f + 20.0f * progress) * t);
		const float voice = tone.LowPass(low.Next(pitch), 600.0f + 5000.0f * progress, 1.5f) * 0.5f +
			high.Next(pitch * 2.0f) * 0.35f + shimmer.Next(pitch * 3.01f) * 0.15f * progress;
		const float noise = hiss.BandPass(random.NextSigned(), 2000.0f + 6000.0f * progress, 2.0f) * 0.3f;
		return (voice * wobble + noise * progress) * (0.25f + 0.75f * progress);
	});
	FadeEdges(charge, 0.05f, 0.08f);
	return charge;
}

Samples MakeLaserBeam() {
	const float length = 6.0f;
	Oscillator sawA(Waveform::Saw);
	Oscillator sawB(Waveform::Saw);
	Oscillator sub(Waveform::Sine);
	Random random(104);
	StateVariableFilter filter;
	StateVariableFilter crackle;
	Samples beam = Render(length, [&](float t) {
		const float cutoff = 1400.0f + 900.0f * std::sin(TWO_PI * 2.5f * t) + 500.0f * std::sin(TWO_PI * 7.0f * t);
		const float hum = sawA.Next(110.0f) + sawB.Next(111.7f) * 0.8f;
		const float body = filter.LowPass(hum, cutoff, 2.0f) * 0.5f + sub.Next(55.0f) * 0.35f;
		const float sparks = crackle.BandPass(random.NextSigned(), 4500.0f, 1.5f) *
			(0.2f + 0.2f * std::sin(TWO_PI * 13.0f * t));
		const float onset = 1.0f + 0.6f * Decay(t, 0.12f);
		return (body + sparks) * onset;
	});
	FadeEdges(beam, 0.01f, 0.9f);
	return beam;
}

Samples MakeBooster() {
	const float length = 0.45f;
	Random random(105);
	StateVariableFilter roar;
	OnePoleLowPass rumble;
	Samples thrust = Render(length, [&](float t) {
		// A raised-cosine swell: thirty overlapping copies started a frame
		// apart blend into a steady rush rather than a stutter.
		const float window = 0.5f - 0.5f * std::cos(TWO_PI * t / length);
		const float rush = roar.BandPass(random.NextSigned(), 900.0f, 0.6f);
		const float noise = rush + rumble.Process(random.NextSigned(), 180.0f) * 2.0f;
		return noise * window;
	});
	return thrust;
}

Samples MakeFootstep() {
	Samples thud = Thump(0.5f, 110.0f, 38.0f, 0.04f, 0.12f);
	Samples dirt = Roar(0.3f, 106, 1200.0f, 200.0f, 0.05f, 0.06f);
	Samples clank = Delayed(Clank(0.3f, { 420.0f, 1130.0f, 1710.0f, 2630.0f }, 0.06f), 0.012f);
	Samples hydraulic = Delayed(Roar(0.15f, 107, 5000.0f, 3000.0f, 0.1f, 0.04f), 0.09f);
	Samples step = Sum({ { thud, 1.0f }, { dirt, 0.5f }, { clank, 0.35f }, { hydraulic, 0.12f } });
	FadeEdges(step, 0.001f, 0.05f);
	return step;
}

Samples MakeWallHit() {
	Random random(108);
	StateVariableFilter high;
	Samples impact = Render(0.12f, [&](float t) {
		return high.HighPass(random.NextSigned(), 1500.0f, 0.7f) * Decay(t, 0.015f);
	});
	Samples ping = Clank(0.3f, { 2100.0f, 3350.0f, 4720.0f }, 0.07f);
	Samples knock = Thump(0.15f, 300.0f, 120.0f, 0.02f, 0.03f);
	Samples hit = Sum({ { impact, 0.7f }, { ping, 0.9f }, { knock, 0.6f } });
	FadeEdges(hit, 0.0005f, 0.03f);
	return hit;
}

Samples MakeDamageHit() {
	Samples crunch = Roar(0.25f, 109, 3500.0f, 500.0f, 0.04f, 0.05f);
	for (float& s : crunch) {
		s = Saturate(s * 3.0f, 2.5f);
	}
	Samples thump = Thump(0.25f, 160.0f, 60.0f, 0.03f, 0.06f);
	Samples clang = Clank(0.25f, { 650.0f, 1480.0f, 2290.0f }, 0.05f);
	Samples hit = Sum({ { crunch, 0.7f }, { thump, 1.0f }, { clang, 0.4f } });
	FadeEdges(hit, 0.0005f, 0.03f);
	return hit;
}

Samples MakeSmallExplosion() {
	Samples boom = Thump(1.0f, 120.0f, 35.0f, 0.06f, 0.18f);
	Samples roar = Roar(1.1f, 110, 5000.0f, 250.0f, 0.12f, 0.25f);
	Samples crack = Roar(0.1f, 111, 9000.0f, 4000.0f, 0.02f, 0.015f);
	Samples blast = Sum({ { boom, 0.9f }, { roar, 1.0f }, { crack, 0.5f } });
	for (float& s : blast) {
		s = Saturate(s, 1.5f);
	}
	FadeEdges(blast, 0.0005f, 0.15f);
	return blast;
}

Samples MakeBigExplosion() {
	Samples boom = Thump(1.6f, 90.0f, 28.0f, 0.1f, 0.35f);
	Samples roar = Roar(1.6f, 112, 4000.0f, 150.0f, 0.25f, 0.45f);
	Samples crack = Roar(0.15f, 113, 9000.0f, 3000.0f, 0.03f, 0.02f);
	Samples debris = Delayed(Roar(0.9f, 114, 2500.0f, 1200.0f, 0.3f, 0.2f), 0.25f);
	Samples blast = Sum({ { boom, 1.0f }, { roar, 1.0f }, { crack, 0.6f }, { debris, 0.25f } });
	for (float& s : blast) {
		s = Saturate(s, 1.6f);
	}
	FadeEdges(blast, 0.0005f, 0.3f);
	return blast;
}

Samples MakePlasmaShot() {
	Oscillator carrier(Waveform::Sine);
	Oscillator modulator(Waveform::Sine);
	Random random(115);
	StateVariableFilter whoosh;
	Samples shot = Render(0.9f, [&](float t) {
		const float pitch = Glide(520.0f, 110.0f, t, 0.18f);
		const float index = 6.0f * Decay(t, 0.25f) + 0.5f;
		const float fm = carrier.Next(pitch + modulator.Next(pitch * 1.41f) * pitch * index);
		const float air = whoosh.BandPass(random.NextSigned(), Glide(6000.0f, 600.0f, t, 0.2f), 1.0f);
		return fm * 0.6f * Decay(t, 0.3f) + air * 0.5f * Decay(t, 0.2f);
	});
	FadeEdges(shot, 0.002f, 0.1f);
	return shot;
}

Samples MakePlasmaBlast() {
	Samples boom = Thump(1.8f, 100.0f, 30.0f, 0.08f, 0.35f);
	Samples roar = Roar(1.8f, 116, 3000.0f, 200.0f, 0.2f, 0.4f);
	Random random(117);
	StateVariableFilter zap;
	Oscillator shimmer(Waveform::Sine);
	Oscillator wobble(Waveform::Sine);
	// Electric crackle: sparse sharp impulses through a ringing band-pass.
	Samples crackle = Render(1.8f, [&](float t) {
		const bool spark = random.NextUnit() < 0.004f;
		const float impulse = spark ? random.NextSigned() * 8.0f : 0.0f;
		return zap.BandPass(impulse, 3200.0f, 6.0f) * Decay(t, 0.5f);
	});
	Samples hum = Render(1.8f, [&](float t) {
		return shimmer.Next(220.0f + 60.0f * wobble.Next(9.0f)) * Decay(t, 0.6f) * (1.0f - Decay(t, 0.05f));
	});
	Samples blast = Sum({ { boom, 1.0f }, { roar, 0.8f }, { crackle, 0.6f }, { hum, 0.3f } });
	for (float& s : blast) {
		s = Saturate(s, 1.4f);
	}
	FadeEdges(blast, 0.0005f, 0.3f);
	return blast;
}

Samples MakeStartButton() {
	// Three quick rising tones over a short upward sweep: the system engaging.
	const float notes[3] = { 76.0f, 83.0f, 88.0f };
	Samples sound(SecondsToSamples(0.7f), 0.0f);
	for (int i = 0; i < 3; ++i) {
		Oscillator sine(Waveform::Sine);
		Oscillator square(Waveform::Square);
		const float frequency = MidiToFrequency(notes[i]);
		Samples blip = Render(0.35f, [&](float t) {
			const float env = std::min(1.0f, t / 0.004f) * Decay(t, 0.09f);
			return (sine.Next(frequency) * 0.7f + square.Next(frequency) * 0.15f) * env;
		});
		MixInto(sound, blip, SecondsToSamples(0.07f * i), 1.0f, false);
	}
	Random random(118);
	StateVariableFilter sweep;
	Samples air = Render(0.4f, [&](float t) {
		return sweep.BandPass(random.NextSigned(), 800.0f + 8000.0f * t, 2.0f) * std::sin(3.14159f * t / 0.4f);
	});
	MixInto(sound, air, 0, 0.25f, false);
	FadeEdges(sound, 0.001f, 0.05f);
	return sound;
}

Samples MakeResultButton() {
	Oscillator sine(Waveform::Sine);
	Oscillator upper(Waveform::Sine);
	Samples click = Render(0.25f, [&](float t) {
		const float env = std::min(1.0f, t / 0.002f) * Decay(t, 0.05f);
		return (sine.Next(1320.0f) * 0.7f + upper.Next(2640.0f) * 0.2f) * env;
	});
	MixInto(click, Clank(0.03f, { 3800.0f, 5200.0f }, 0.004f), 0, 0.5f, false);
	FadeEdges(click, 0.0005f, 0.03f);
	return click;
}
