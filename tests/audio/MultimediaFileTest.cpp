#include "platform/audio/MMSystem.h"
#include "tests/audio/WavBuilder.h"

#include <gtest/gtest.h>

using namespace wav;

namespace {

HMMIO OpenMemory(Bytes& bytes, DWORD flags = MMIO_ALLOCBUF) {
	MMIOINFO info{};
	info.fccIOProc = FOURCC_MEM;
	info.pchBuffer = reinterpret_cast<HPSTR>(bytes.data());
	info.cchBuffer = static_cast<LONG>(bytes.size());
	return mmioOpenA(nullptr, &info, flags);
}

// RIFF "TEST" { "aaaa"(3 bytes, padded), LIST "SUBS" { "bbbb"(2) } }, then a
// stray "cccc" after the RIFF chunk.
Bytes NestedFile() {
	Bytes list = Id("SUBS");
	Append(list, Chunk("bbbb", {5, 6}));
	Bytes file = Riff({Chunk("aaaa", {1, 2, 3}), Chunk("LIST", list)}, "TEST");
	Append(file, Chunk("cccc", {7, 8}));
	return file;
}

} // namespace

TEST(MultimediaFile, DescendFindsChunksByIdAndFormTypeInsideTheirParent) {
	Bytes file = NestedFile();
	HMMIO h = OpenMemory(file);
	ASSERT_NE(h, nullptr);
	MMCKINFO riff{};
	riff.fccType = mmioFOURCC('T', 'E', 'S', 'T');
	ASSERT_EQ(mmioDescend(h, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
	EXPECT_EQ(riff.dwDataOffset, 8u);
	EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12);

	MMCKINFO list{};
	list.fccType = mmioFOURCC('S', 'U', 'B', 'S');
	ASSERT_EQ(mmioDescend(h, &list, &riff, MMIO_FINDLIST), MMSYSERR_NOERROR);
	MMCKINFO inner{};
	inner.ckid = mmioFOURCC('b', 'b', 'b', 'b');
	ASSERT_EQ(mmioDescend(h, &inner, &list, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
	char bytes[2] = {};
	EXPECT_EQ(mmioRead(h, bytes, 2), 2);
	EXPECT_EQ(bytes[0], 5);
	EXPECT_EQ(bytes[1], 6);
	EXPECT_EQ(mmioAscend(h, &inner, 0), MMSYSERR_NOERROR);

	// "cccc" lies after the RIFF chunk: a search inside it must not reach it.
	EXPECT_EQ(mmioSeek(h, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET), 12);
	MMCKINFO stray{};
	stray.ckid = mmioFOURCC('c', 'c', 'c', 'c');
	EXPECT_EQ(mmioDescend(h, &stray, &riff, MMIO_FINDCHUNK), MMIOERR_CHUNKNOTFOUND);
	// Without a parent the whole file is searched.
	EXPECT_EQ(mmioSeek(h, 0, SEEK_SET), 0);
	EXPECT_EQ(mmioDescend(h, &stray, nullptr, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
	EXPECT_EQ(stray.cksize, 2u);
	mmioClose(h, 0);
}

TEST(MultimediaFile, AscendSkipsThePadByteOfOddChunks) {
	Bytes file = NestedFile();
	HMMIO h = OpenMemory(file);
	MMCKINFO riff{};
	ASSERT_EQ(mmioDescend(h, &riff, nullptr, 0), MMSYSERR_NOERROR);
	MMCKINFO odd{};
	ASSERT_EQ(mmioDescend(h, &odd, &riff, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(odd.ckid, mmioFOURCC('a', 'a', 'a', 'a'));
	EXPECT_EQ(odd.cksize, 3u);
	ASSERT_EQ(mmioAscend(h, &odd, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), 12 + 8 + 4);
	MMCKINFO next{};
	ASSERT_EQ(mmioDescend(h, &next, &riff, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(next.ckid, FOURCC_LIST);
	mmioClose(h, 0);
}

TEST(MultimediaFile, SeeksAndReadsStayInsideTheFile) {
	Bytes file = {1, 2, 3, 4, 5};
	HMMIO h = OpenMemory(file);
	EXPECT_EQ(mmioSeek(h, 6, SEEK_SET), -1);
	EXPECT_EQ(mmioSeek(h, -1, SEEK_SET), -1);
	EXPECT_EQ(mmioSeek(h, -2, SEEK_END), 3);
	char bytes[8] = {};
	EXPECT_EQ(mmioRead(h, bytes, 8), 2);
	EXPECT_EQ(bytes[0], 4);
	EXPECT_EQ(mmioRead(h, bytes, 8), 0);
	EXPECT_EQ(mmioRead(h, bytes, -1), -1);
	// A chunk header claiming more than the file cannot be ascended from.
	MMCKINFO huge{mmioFOURCC('b', 'i', 'g', ' '), 0xFFFFFFF0u, 0, 8, 0};
	EXPECT_EQ(mmioAscend(h, &huge, 0), MMIOERR_CANNOTSEEK);
	mmioClose(h, 0);
}

TEST(MultimediaFile, BufferAdvancesThroughTheFileAndReportsItsEnd) {
	Bytes file(MMIO_DEFAULTBUFFER + 10);
	for (size_t i = 0; i < file.size(); ++i) {
		file[i] = static_cast<uint8_t>(i * 13);
	}
	HMMIO h = OpenMemory(file);
	MMIOINFO info{};
	ASSERT_EQ(mmioGetInfo(h, &info, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(info.pchNext, info.pchEndRead);
	ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
	ASSERT_EQ(info.pchEndRead - info.pchNext, MMIO_DEFAULTBUFFER);
	EXPECT_EQ(static_cast<uint8_t>(info.pchNext[1]), file[1]);
	info.pchNext = info.pchEndRead;
	ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
	ASSERT_EQ(info.pchEndRead - info.pchNext, 10);
	EXPECT_EQ(static_cast<uint8_t>(info.pchNext[0]), file[MMIO_DEFAULTBUFFER]);
	info.pchNext += 4;
	ASSERT_EQ(mmioSetInfo(h, &info, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(mmioSeek(h, 0, SEEK_CUR), MMIO_DEFAULTBUFFER + 4);
	ASSERT_EQ(mmioAdvance(h, &info, MMIO_READ), MMSYSERR_NOERROR);
	EXPECT_EQ(info.pchNext, info.pchEndRead);

	// A read pointer outside the valid bytes is refused.
	MMIOINFO wild = info;
	wild.pchNext = info.pchEndRead + 1;
	EXPECT_NE(mmioSetInfo(h, &wild, 0), MMSYSERR_NOERROR);
	mmioClose(h, 0);
}

TEST(MultimediaFile, UnbufferedFilesReadButCannotAdvance) {
	Bytes file = {1, 2, 3};
	HMMIO h = OpenMemory(file, MMIO_READ);
	ASSERT_NE(h, nullptr);
	char bytes[3] = {};
	EXPECT_EQ(mmioRead(h, bytes, 3), 3);
	EXPECT_EQ(bytes[2], 3);
	MMIOINFO info{};
	EXPECT_EQ(mmioAdvance(h, &info, MMIO_READ), MMIOERR_UNBUFFERED);
	mmioClose(h, 0);
}

TEST(MultimediaFile, OpenRefusesWritingAndMissingFiles) {
	MMIOINFO info{};
	EXPECT_EQ(mmioOpenA((ScratchFolder() / "none.wav").string().c_str(), &info, MMIO_ALLOCBUF), nullptr);
	EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
	const std::string path = WriteFile("exists.bin", {1, 2});
	EXPECT_EQ(mmioOpenA(path.c_str(), nullptr, MMIO_WRITE), nullptr);
	EXPECT_EQ(mmioOpenA(path.c_str(), nullptr, MMIO_CREATE | MMIO_READWRITE), nullptr);
	HMMIO h = mmioOpenA(path.c_str(), nullptr, MMIO_READ);
	ASSERT_NE(h, nullptr);
	EXPECT_EQ(mmioSeek(h, 0, SEEK_END), 2);
	EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
	EXPECT_EQ(mmioClose(nullptr, 0), MMSYSERR_INVALHANDLE);
}
