#include "audio/WaveFile.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace wav;

namespace {

Bytes Pattern(size_t count) {
	Bytes out(count);
	for (size_t i = 0; i < count; ++i) {
		out[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
	}
	return out;
}

// Everything the reader yields, read in pieces of the given size.
Bytes ReadAll(WaveFile& wave, DWORD piece) {
	Bytes all;
	Bytes buffer(piece);
	for (;;) {
		DWORD got = 0;
		EXPECT_EQ(wave.Read(piece, buffer.data(), &got), S_OK);
		if (got == 0) {
			return all;
		}
		all.insert(all.end(), buffer.begin(), buffer.begin() + got);
	}
}

} // namespace

TEST(WaveFileFormat, PcmWithLongerFormatChunkGivesEighteenBytesAndNoExtras) {
	Bytes format = FormatHeader(WAVE_FORMAT_PCM, 2, 22050, 16);
	Append(format, {0xAA, 0xBB, 0xCC, 0xDD});
	const Bytes samples = Pattern(40);
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("long_fmt.wav", Riff({Chunk("fmt ", format), Chunk("data", samples)})).c_str()), S_OK);
	ASSERT_NE(wave.format, nullptr);
	EXPECT_EQ(wave.format->wFormatTag, WAVE_FORMAT_PCM);
	EXPECT_EQ(wave.format->nChannels, 2);
	EXPECT_EQ(wave.format->nSamplesPerSec, 22050u);
	EXPECT_EQ(wave.format->nBlockAlign, 4);
	EXPECT_EQ(wave.format->wBitsPerSample, 16);
	EXPECT_EQ(wave.format->cbSize, 0);
	// The tail of the format chunk is skipped, not taken for samples.
	EXPECT_EQ(wave.dataChunk.cksize, samples.size());
	EXPECT_EQ(ReadAll(wave, 64), samples);
}

TEST(WaveFileFormat, NonPcmKeepsItsExtraBytesAfterTheHeader) {
	Bytes format = FormatHeader(WAVE_FORMAT_ADPCM, 1, 8000, 4);
	Append(format, Le16(2));
	Append(format, {0x34, 0x12});
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("adpcm.wav", Riff({Chunk("fmt ", format), Chunk("data", Pattern(8))})).c_str()), S_OK);
	ASSERT_NE(wave.format, nullptr);
	EXPECT_EQ(wave.format->wFormatTag, WAVE_FORMAT_ADPCM);
	EXPECT_EQ(wave.format->cbSize, 2);
	const uint8_t* extra = reinterpret_cast<const uint8_t*>(wave.format) + sizeof(WAVEFORMATEX);
	EXPECT_EQ(extra[0], 0x34);
	EXPECT_EQ(extra[1], 0x12);
}

TEST(WaveFileFormat, NonPcmWithBareSixteenByteChunkHasNoExtras) {
	WaveFile wave;
	const Bytes file = Riff({Chunk("fmt ", FormatHeader(WAVE_FORMAT_IEEE_FLOAT, 1, 8000, 32)), Chunk("data", Pattern(8))});
	ASSERT_EQ(wave.Open(WriteFile("float16.wav", file).c_str()), S_OK);
	EXPECT_EQ(wave.format->cbSize, 0);
	EXPECT_EQ(wave.dataChunk.cksize, 8u);
}

TEST(WaveFileFormat, ExtraCountReachingPastTheChunkFails) {
	Bytes format = FormatHeader(WAVE_FORMAT_ADPCM, 1, 8000, 4);
	Append(format, Le16(200));
	Append(format, {1, 2});
	WaveFile wave;
	EXPECT_EQ(wave.Open(WriteFile("bad_extra.wav", Riff({Chunk("fmt ", format), Chunk("data", Pattern(300))})).c_str()), E_FAIL);
	EXPECT_EQ(wave.format, nullptr);
}

TEST(WaveFileFormat, ShortFormatChunkOrWrongContainerFails) {
	Bytes shortFormat = FormatHeader(WAVE_FORMAT_PCM, 1, 8000, 8);
	shortFormat.resize(14);
	const struct {
		const char* name;
		Bytes file;
	} cases[] = {
		{"fmt14.wav", Riff({Chunk("fmt ", shortFormat), Chunk("data", Pattern(8))})},
		{"rifx.wav", [] {
			 Bytes file = PcmFile(1, 8000, 8, Pattern(8));
			 file[3] = 'X';
			 return file;
		 }()},
		{"avi.wav", Riff({Chunk("fmt ", FormatHeader(1, 1, 8000, 8)), Chunk("data", Pattern(8))}, "AVI ")},
		{"nofmt.wav", Riff({Chunk("data", Pattern(8))})},
		{"nodata.wav", Riff({Chunk("fmt ", FormatHeader(1, 1, 8000, 8))})},
	};
	for (const auto& c : cases) {
		WaveFile wave;
		EXPECT_EQ(wave.Open(WriteFile(c.name, c.file).c_str()), E_FAIL) << c.name;
		wave.Close();
		EXPECT_EQ(wave.format, nullptr) << c.name;
	}
}

TEST(WaveFileChunks, ListChunkAndOddPaddedChunksBeforeDataAreSkipped) {
	const Bytes samples = Pattern(12);
	Bytes list = Id("INFO");
	Append(list, Chunk("INAM", {'t', 'u', 'n', 'e', 0}));
	const Bytes file = Riff({Chunk("fmt ", FormatHeader(1, 1, 8000, 8)), Chunk("LIST", list), Chunk("junk", {9, 9, 9}),
		Chunk("data", samples)});
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("list.wav", file).c_str()), S_OK);
	EXPECT_EQ(wave.dataChunk.cksize, samples.size());
	EXPECT_EQ(ReadAll(wave, 5), samples);
}

TEST(WaveFileChunks, DataOutsideTheRiffChunkIsNotFound) {
	// The RIFF header claims only the format chunk; the data chunk after it
	// belongs to nothing.
	Bytes body = Id("WAVE");
	Append(body, Chunk("fmt ", FormatHeader(1, 1, 8000, 8)));
	Bytes file = Chunk("RIFF", body);
	Append(file, Chunk("data", Pattern(8)));
	WaveFile wave;
	EXPECT_EQ(wave.Open(WriteFile("outside.wav", file).c_str()), E_FAIL);
}

TEST(WaveFileRead, ReadingPastTheEndGivesWhatRemainsThenNothing) {
	const Bytes samples = Pattern(10);
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("ten.wav", PcmFile(1, 8000, 8, samples)).c_str()), S_OK);
	BYTE buffer[6] = {};
	DWORD got = 99;
	EXPECT_EQ(wave.Read(6, buffer, &got), S_OK);
	EXPECT_EQ(got, 6u);
	EXPECT_EQ(std::memcmp(buffer, samples.data(), 6), 0);
	EXPECT_EQ(wave.Read(6, buffer, &got), S_OK);
	EXPECT_EQ(got, 4u);
	EXPECT_EQ(std::memcmp(buffer, samples.data() + 6, 4), 0);
	EXPECT_EQ(wave.Read(6, buffer, &got), S_OK);
	EXPECT_EQ(got, 0u);
	EXPECT_EQ(wave.dataChunk.cksize, 0u);
}

TEST(WaveFileRead, LongDataReadsWholeAcrossTheInputBuffer) {
	// Several times the I/O buffer, read in odd pieces that straddle refills.
	const Bytes samples = Pattern(3 * MMIO_DEFAULTBUFFER + 1001);
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("long.wav", PcmFile(1, 8000, 8, samples)).c_str()), S_OK);
	EXPECT_EQ(ReadAll(wave, 3001), samples);
}

TEST(WaveFileDamage, TruncatedDataChunkPromisesOnlyWhatIsThere) {
	Bytes file = PcmFile(1, 8000, 8, Pattern(1000));
	file.erase(file.end() - 900, file.end());
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("truncated.wav", file).c_str()), S_OK);
	EXPECT_EQ(wave.dataChunk.cksize, 100u);
	EXPECT_EQ(ReadAll(wave, 64).size(), 100u);
}

TEST(WaveFileDamage, MissingCutOrGarbageFilesFailCleanly) {
	WaveFile missing;
	EXPECT_EQ(missing.Open((ScratchFolder() / "absent.wav").string().c_str()), E_FAIL);
	DWORD got = 7;
	BYTE byte = 0;
	EXPECT_EQ(missing.Read(1, &byte, &got), E_FAIL);
	EXPECT_EQ(got, 7u);

	const Bytes whole = PcmFile(2, 44100, 16, Pattern(64));
	// Every cut that loses part of the headers fails; none may crash.
	for (size_t length = 0; length < 44; ++length) {
		WaveFile wave;
		const Bytes cut(whole.begin(), whole.begin() + static_cast<long>(length));
		EXPECT_EQ(wave.Open(WriteFile("cut.wav", cut).c_str()), E_FAIL) << length;
	}
	uint32_t seed = 12345;
	for (int round = 0; round < 200; ++round) {
		Bytes garbage = whole;
		for (int flips = 0; flips < 6; ++flips) {
			seed = seed * 1664525u + 1013904223u;
			garbage[seed % garbage.size()] = static_cast<uint8_t>(seed >> 24);
		}
		WaveFile wave;
		if (wave.Open(WriteFile("garbage.wav", garbage).c_str()) == S_OK) {
			EXPECT_LE(wave.dataChunk.cksize, garbage.size());
			ReadAll(wave, 50);
		}
	}
}

TEST(WaveFileLifetime, ReopenAndCloseTwiceAreHarmless) {
	WaveFile wave;
	ASSERT_EQ(wave.Open(WriteFile("a.wav", PcmFile(1, 8000, 8, Pattern(4))).c_str()), S_OK);
	ASSERT_EQ(wave.Open(WriteFile("b.wav", PcmFile(2, 11025, 16, Pattern(8))).c_str()), S_OK);
	EXPECT_EQ(wave.format->nSamplesPerSec, 11025u);
	EXPECT_EQ(wave.dataChunk.cksize, 8u);
	wave.Close();
	wave.Close();
	EXPECT_EQ(wave.format, nullptr);
	EXPECT_EQ(wave.file, nullptr);
}
