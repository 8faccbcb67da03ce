#pragma once
// Collects per-frame timings and summarises them as median and 95th
// percentile, for the headless runner's report. Samples are kept to the
// microsecond, as the report prints them, as counts per value: a run of any
// length, a soak of a hundred battles included, holds only as many entries
// as there are distinct frame times.

#include "app/FrameTiming.h"

#include <cstddef>
#include <cstdint>
#include <map>
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
	class SampleCounts {
	public:
		void Add(double milliseconds);
		size_t Count() const { return total; }
		Summary Summarise() const;

	private:
		// The rank-th smallest sample (from 1), in milliseconds.
		double Ranked(size_t rank) const;

		std::map<int64_t, size_t> countsByMicroseconds;
		size_t total = 0;
	};

	SampleCounts updates;
	SampleCounts draws;
	SampleCounts frames;
};
