// The headless runner's command line and its timing summary.

#include "app/FrameStats.h"
#include "app/RunnerOptions.h"

#include <gtest/gtest.h>

namespace {

bool Parse(const std::vector<std::string>& arguments, RunnerOptions& options, std::string& why) {
	return RunnerOptions::Parse(arguments, options, why);
}

TEST(RunnerOptions, ReadsEveryOption) {
	RunnerOptions options;
	std::string why;
	ASSERT_TRUE(Parse({"--frames", "5", "--shot", "4:t.png", "--shot", "0:out/first.PNG", "--seed", "4294967295",
	                   "--input", "keys.txt", "--realtime", "--json"},
	                  options, why))
		<< why;
	ASSERT_TRUE(options.frames.has_value());
	EXPECT_EQ(*options.frames, 5u);
	ASSERT_EQ(options.shots.size(), 2u);
	EXPECT_EQ(options.shots[0].frame, 4u);
	EXPECT_EQ(options.shots[0].path, "t.png");
	EXPECT_EQ(options.shots[1].path, "out/first.PNG");
	ASSERT_TRUE(options.seed.has_value());
	EXPECT_EQ(*options.seed, 4294967295u);
	EXPECT_EQ(options.inputFile, "keys.txt");
	EXPECT_TRUE(options.realTime);
	EXPECT_TRUE(options.json);

	ASSERT_TRUE(Parse({}, options, why));
	EXPECT_FALSE(options.frames.has_value());
	EXPECT_FALSE(options.realTime);
	EXPECT_FALSE(options.seed.has_value());
}

TEST(RunnerOptions, RejectsBadArgumentsWithAReason) {
	const std::vector<std::vector<std::string>> bad = {
		{"--frames"},                          // no value
		{"--frames", "0"},                     // nothing to run
		{"--frames", "-3"},
		{"--frames", "5x"},
		{"--shot", "4"},                       // no path
		{"--shot", "4:picture.bmp"},           // not a PNG
		{"--shot", "a:t.png"},
		{"--frames", "5", "--shot", "5:t.png"},  // frames count from 0
		{"--seed", "4294967296"},              // beyond 32 bits
		{"--fullscreen"},
		{"--picture-every", "0"},              // no frame would be drawn
		{"--pictures-from", "x"},
		{"--picture-every", "2", "--shot", "3:t.png"},  // that frame has no picture
		{"--pictures-from", "10", "--shot", "9:t.png"},
		{"--realtime", "--picture-every", "2"},  // the clock picks the skipped frames
	};
	for (const std::vector<std::string>& arguments : bad) {
		RunnerOptions options;
		std::string why;
		EXPECT_FALSE(Parse(arguments, options, why)) << arguments.front();
		EXPECT_FALSE(why.empty()) << arguments.front();
	}
}

TEST(RunnerOptions, PicksTheFramesThatDrawTheirPictures) {
	RunnerOptions options;
	std::string why;
	ASSERT_TRUE(Parse({}, options, why)) << why;
	for (uint32_t frame = 0; frame < 5; ++frame) {
		EXPECT_TRUE(options.Pictured(frame)) << frame;
	}
	ASSERT_TRUE(Parse({"--picture-every", "2", "--shot", "4:t.png"}, options, why)) << why;
	EXPECT_TRUE(options.Pictured(0));
	EXPECT_FALSE(options.Pictured(1));
	EXPECT_TRUE(options.Pictured(4));
	ASSERT_TRUE(Parse({"--pictures-from", "100", "--picture-every", "3"}, options, why)) << why;
	EXPECT_FALSE(options.Pictured(0));
	EXPECT_FALSE(options.Pictured(99));
	EXPECT_FALSE(options.Pictured(100));  // not a multiple of 3
	EXPECT_TRUE(options.Pictured(102));
	EXPECT_FALSE(options.stageOnly);
	ASSERT_TRUE(Parse({"--stage-only", "--shot", "1:t.png"}, options, why)) << why;
	EXPECT_TRUE(options.stageOnly);
	EXPECT_TRUE(options.Pictured(1));
}

TEST(FrameStats, MedianAndNearestRankP95) {
	EXPECT_DOUBLE_EQ(FrameStats::Summarise({}).median, 0.0);

	const FrameStats::Summary odd = FrameStats::Summarise({5.0, 1.0, 3.0});
	EXPECT_DOUBLE_EQ(odd.median, 3.0);
	EXPECT_DOUBLE_EQ(odd.p95, 5.0);

	const FrameStats::Summary even = FrameStats::Summarise({4.0, 1.0, 2.0, 3.0});
	EXPECT_DOUBLE_EQ(even.median, 2.5);

	// Of 1..100 the 95th percentile by nearest rank is exactly 95, and of
	// 1..20 it is 19: rounding 0.95 x n up must not overshoot.
	std::vector<double> hundred, twenty;
	for (int i = 100; i >= 1; --i) {
		hundred.push_back(i);
		if (i <= 20) {
			twenty.push_back(i);
		}
	}
	EXPECT_DOUBLE_EQ(FrameStats::Summarise(hundred).p95, 95.0);
	EXPECT_DOUBLE_EQ(FrameStats::Summarise(twenty).p95, 19.0);
}

TEST(FrameStats, BinnedSamplesGiveTheSortedSamplesFiguresToTheMicrosecondBelowATenthOfASecond) {
	// Repeated values, an even count and a long tail, as a battle's frames are.
	std::vector<double> samples;
	FrameStats stats;
	for (int i = 0; i < 1000; ++i) {
		const double draw = 40.0 + (i * 37 % 101) * 0.125 + (i % 50 == 0 ? 30.0 : 0.0);
		samples.push_back(draw);
		stats.Add(FrameTiming{0.0, draw, draw});
	}
	const FrameStats::Summary sorted = FrameStats::Summarise(samples);
	EXPECT_NEAR(stats.Draw().median, sorted.median, 0.0005);
	EXPECT_NEAR(stats.Draw().p95, sorted.p95, 0.0005);
	EXPECT_EQ(stats.Count(), 1000u);
	// Slow frames land in tenth-of-a-millisecond bins; beyond 10 s, the last.
	FrameStats slow;
	slow.Add(FrameTiming{0.0, 0.0, 250.04});
	EXPECT_NEAR(slow.Frame().median, 250.0, 0.051);
	FrameStats endless;
	endless.Add(FrameTiming{0.0, 0.0, 60000.0});
	EXPECT_NEAR(endless.Frame().p95, 9999.9, 0.051);
}

TEST(FrameStats, KeepsUpdateDrawAndFrameApart) {
	FrameStats stats;
	stats.Add(FrameTiming{1.0, 10.0, 20.0});
	stats.Add(FrameTiming{3.0, 30.0, 40.0});
	EXPECT_EQ(stats.Count(), 2u);
	EXPECT_DOUBLE_EQ(stats.Update().median, 2.0);
	EXPECT_DOUBLE_EQ(stats.Draw().median, 20.0);
	EXPECT_DOUBLE_EQ(stats.Frame().p95, 40.0);
}

}  // namespace
