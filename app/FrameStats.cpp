#include "app/FrameStats.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr size_t FINE_BINS = 100000;   // 0 to 100 ms, a microsecond each
constexpr size_t COARSE_BINS = 99000;  // 100 ms to 10 s, 0.1 ms each
constexpr size_t BIN_COUNT = FINE_BINS + COARSE_BINS;

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

size_t FrameStats::Histogram::BinOf(double milliseconds) {
	const double microseconds = std::max(0.0, milliseconds * 1000.0);
	if (microseconds < double(FINE_BINS) - 0.5) {
		return size_t(std::llround(microseconds));
	}
	const double coarse = std::round((microseconds - double(FINE_BINS)) / 100.0);
	return std::min(BIN_COUNT - 1, FINE_BINS + size_t(std::max(0.0, coarse)));
}

double FrameStats::Histogram::MillisecondsOf(size_t bin) {
	if (bin < FINE_BINS) {
		return double(bin) / 1000.0;
	}
	return (double(FINE_BINS) + double(bin - FINE_BINS) * 100.0) / 1000.0;
}

void FrameStats::Histogram::Add(double milliseconds) {
	if (counts.empty()) {
		counts.assign(BIN_COUNT, 0);
	}
	++counts[BinOf(milliseconds)];
	++total;
}

double FrameStats::Histogram::Ranked(size_t rank) const {
	size_t seen = 0;
	for (size_t bin = 0; bin < counts.size(); ++bin) {
		seen += counts[bin];
		if (seen >= rank) {
			return MillisecondsOf(bin);
		}
	}
	return 0.0;
}

FrameStats::Summary FrameStats::Histogram::Summarise() const {
	Summary summary;
	if (total == 0) {
		return summary;
	}
	summary.median = total % 2 == 1 ? Ranked(total / 2 + 1) : (Ranked(total / 2) + Ranked(total / 2 + 1)) / 2.0;
	summary.p95 = Ranked(P95Rank(total));
	return summary;
}
