#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>

namespace {

// Nearest rank of the 95th percentile: ceil(0.95 count) without rounding error.
size_t P95Rank(size_t count) { return std::clamp<size_t>((95 * count + 99) / 100, 1, count); }

}  // namespace

void FrameStats::Add(const FrameTiming& timing) {
	updates.Add(timing.updateMilliseconds);
	draws.Add(timing.drawMilliseconds);
	frames.Add(timing.frameMilliseconds);
}

FrameStats::Summary FrameStats::Summarise(std::vector<double> samples) {
	Summary summary;
	if (samples.empty()) {
		return summary;
	}
	std::sort(samples.begin(), samples.end());
	const size_t count = samples.size();
	summary.median = count % 2 == 1 ? samples[count / 2] : (samples[count / 2 - 1] + samples[count / 2]) / 2.0;
	summary.p95 = samples[P95Rank(count) - 1];
	return summary;
}

void FrameStats::SampleCounts::Add(double milliseconds) {
	++countsByMicroseconds[std::llround(milliseconds * 1000.0)];
	++total;
}

double FrameStats::SampleCounts::Ranked(size_t rank) const {
	size_t seen = 0;
	for (const auto& [microseconds, count] : countsByMicroseconds) {
		seen += count;
		if (seen >= rank) {
			return double(microseconds) / 1000.0;
		}
	}
	return 0.0;
}

FrameStats::Summary FrameStats::SampleCounts::Summarise() const {
	Summary summary;
	if (total == 0) {
		return summary;
	}
	summary.median = total % 2 == 1 ? Ranked(total / 2 + 1) : (Ranked(total / 2) + Ranked(total / 2 + 1)) / 2.0;
	summary.p95 = Ranked(P95Rank(total));
	return summary;
}
