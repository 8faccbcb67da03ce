#pragma once
// Collects per-frame timings and summarises them as median and 95th
// percentile, for the headless runner's report.

#include "app/FrameTiming.h"

#include <cstddef>
#include <vector>

class FrameStats {
public:
	struct Summary {
		double median = 0.0;
		double p95 = 0.0;
	};

	void Add(const FrameTiming& timing);
	size_t Count() const { return updates.size(); }

	Summary Update() const { return Summarise(updates); }
	Summary Draw() const { return Summarise(draws); }
	Summary Frame() const { return Summarise(frames); }

	// Median of the middle one or two samples; p95 by nearest rank.
	static Summary Summarise(std::vector<double> samples);

private:
	std::vector<double> updates;
	std::vector<double> draws;
	std::vector<double> frames;
};
