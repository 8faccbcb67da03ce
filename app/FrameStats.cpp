#include "app/FrameStats.h"

#include <algorithm>

void FrameStats::Add(const FrameTiming& timing) {
	updates.push_back(timing.updateMilliseconds);
	draws.push_back(timing.drawMilliseconds);
	frames.push_back(timing.frameMilliseconds);
}

FrameStats::Summary FrameStats::Summarise(std::vector<double> samples) {
	Summary summary;
	if (samples.empty()) {
		return summary;
	}
	std::sort(samples.begin(), samples.end());
	const size_t count = samples.size();
	summary.median = count % 2 == 1 ? samples[count / 2] : (samples[count / 2 - 1] + samples[count / 2]) / 2.0;
	const size_t rank = (95 * count + 99) / 100;  // ceil(0.95 count) without rounding error
	summary.p95 = samples[std::clamp<size_t>(rank, 1, count) - 1];
	return summary;
}
