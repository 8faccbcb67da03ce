#include "platform/audio/PcmConversion.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wav;

namespace {

WAVEFORMATEX Format(WORD tag, WORD channels, WORD bits, DWORD rate = 44100) {
	const WORD blockAlign = static_cast<WORD>(channels * bits / 8);
	return {tag, channels, rate, rate * blockAlign, blockAlign, bits, 0};
}

std::vector<int16_t> Samples16(const PlayableSamples& playable) {
	std::vector<int16_t> out(playable.bytes.size() / 2);
	std::memcpy(out.data(), playable.bytes.data(), out.size() * 2);
	return out;
}

} // namespace

TEST(PcmConversion, WideIntegersKeepTheirTopSixteenBits) {
	// 24-bit: 0x7FFFFF, 0x800000, 0x000100 and 0xFFFF00 (-256).
	const Bytes wide24 = {0xFF, 0xFF, 0x7F, 0x00, 0x00, 0x80, 0x00, 0x01, 0x00, 0x00, 0xFF, 0xFF};
	PlayableSamples out;
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_PCM, 1, 24), wide24.data(), wide24.size(), false, out));
	EXPECT_EQ(out.bitsPerSample, 16);
	EXPECT_EQ(out.frames, 4u);
	EXPECT_EQ(Samples16(out), (std::vector<int16_t>{32767, -32768, 1, -1}));

	Bytes wide32 = Le32(0x40000000u);
	Append(wide32, Le32(0xC0000000u));
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_PCM, 2, 32), wide32.data(), wide32.size(), false, out));
	EXPECT_EQ(out.channels, 2);
	EXPECT_EQ(Samples16(out), (std::vector<int16_t>{16384, -16384}));
}

TEST(PcmConversion, FloatsAreScaledAndClampedAndNanIsSilence) {
	const float floats[] = {1.0f, -1.0f, 0.5f, 3.0f, -7.0f, std::nanf("")};
	PlayableSamples out;
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_IEEE_FLOAT, 1, 32), reinterpret_cast<const uint8_t*>(floats), sizeof(floats), false, out));
	EXPECT_EQ(Samples16(out), (std::vector<int16_t>{32767, -32767, 16384, 32767, -32767, 0}));
	const double doubles[] = {-0.25};
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_IEEE_FLOAT, 1, 64), reinterpret_cast<const uint8_t*>(doubles), sizeof(doubles), false, out));
	EXPECT_EQ(Samples16(out), (std::vector<int16_t>{-8192}));
}

TEST(PcmConversion, NarrowFormatsPassThroughAndMonoMixAverages) {
	const Bytes stereo8 = {0x00, 0xFF, 0x80, 0x80, 0xFF, 0xFF};
	PlayableSamples out;
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_PCM, 2, 8), stereo8.data(), stereo8.size(), false, out));
	EXPECT_EQ(out.bytes, stereo8);
	EXPECT_EQ(out.bitsPerSample, 8);
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_PCM, 2, 8), stereo8.data(), stereo8.size(), true, out));
	EXPECT_EQ(out.channels, 1);
	ASSERT_EQ(out.bytes.size(), 3u);
	EXPECT_NEAR(out.bytes[0], 0x80, 1);
	EXPECT_EQ(out.bytes[1], 0x80);
	EXPECT_EQ(out.bytes[2], 0xFF);

	Bytes stereo16 = Le16(1000);
	Append(stereo16, Le16(static_cast<uint16_t>(-3000)));
	stereo16.push_back(0x55);  // half a frame: dropped
	ASSERT_TRUE(ConvertToPlayable(Format(WAVE_FORMAT_PCM, 2, 16), stereo16.data(), stereo16.size(), true, out));
	EXPECT_EQ(Samples16(out), (std::vector<int16_t>{-1000}));
}

TEST(PcmConversion, OnlyPlainLayoutsArePlayable) {
	EXPECT_TRUE(IsPlayableFormat(Format(WAVE_FORMAT_PCM, 2, 16)));
	EXPECT_FALSE(IsPlayableFormat(Format(WAVE_FORMAT_ADPCM, 1, 4)));
	EXPECT_FALSE(IsPlayableFormat(Format(WAVE_FORMAT_PCM, 3, 16)));
	EXPECT_FALSE(IsPlayableFormat(Format(WAVE_FORMAT_PCM, 0, 16)));
	EXPECT_FALSE(IsPlayableFormat(Format(WAVE_FORMAT_PCM, 1, 12)));
	EXPECT_FALSE(IsPlayableFormat(Format(WAVE_FORMAT_PCM, 1, 16, 50)));
	WAVEFORMATEX misaligned = Format(WAVE_FORMAT_PCM, 2, 16);
	misaligned.nBlockAlign = 2;
	EXPECT_FALSE(IsPlayableFormat(misaligned));
	Bytes none;
	PlayableSamples out;
	EXPECT_FALSE(ConvertToPlayable(Format(WAVE_FORMAT_ADPCM, 1, 4), none.data(), 0, false, out));

	WAVEFORMATEXTENSIBLE extensible{};
	extensible.Format = Format(WAVE_FORMAT_EXTENSIBLE, 2, 24);
	extensible.Format.cbSize = 22;
	extensible.SubFormat.Data1 = WAVE_FORMAT_PCM;
	EXPECT_EQ(EncodingOf(extensible.Format), SampleEncoding::Signed24);
	extensible.SubFormat.Data1 = WAVE_FORMAT_IEEE_FLOAT;
	extensible.Format.wBitsPerSample = 32;
	extensible.Format.nBlockAlign = 8;
	EXPECT_EQ(EncodingOf(extensible.Format), SampleEncoding::Float32);
	extensible.Format.cbSize = 10;  // too short to hold the sub-format
	EXPECT_EQ(EncodingOf(extensible.Format), SampleEncoding::Unsupported);
}
