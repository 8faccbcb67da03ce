#pragma once
// Collects per-frame timings and summarises them as median and 95th
// percentile, for the headless runner's report. Samples are counted in fixed
// bins (a microsecond wide up to 100 ms, then 0.1 ms up to 10 s, the last one
// open), allocated once: a soak of a hundred battles does not grow the
// process by a word a frame, and below 100 ms the figures are exact to the
// microsecond the report prints.

#include "app/FrameTiming.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FrameStats {
public:
	struct Summary {
		double median = 0.0;
		double p95 = 0.0;
	};

	void Add(const FrameTiming& timing);
	size_t Count() const { return updates.Count(); }

	Summary Update() const { return updates.Summarise(); }
	Summary Draw() const { return draws.Summarise(); }
	Summary Frame() const { return frames.Summarise(); }

	// Median of the middle one or two samples; p95 by nearest rank.
	static Summary Summarise(std::vector<double> samples);

private:
	class Histogram {
	public:
		void Add(double milliseconds);
		size_t Count() const { return total; }
		Summary Summarise() const;

	private:
		static size_t BinOf(double milliseconds);
		static double MillisecondsOf(size_t bin);
		// The rank-th smallest sample (from 1), as its bin's value.
		double Ranked(size_t rank) const;

		std::vector<uint32_t> counts;  // allocated on the first sample
		size_t total = 0;
	};

	Histogram updates;
	Histogram draws;
	Histogram frames;
};
