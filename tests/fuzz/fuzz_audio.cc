// Walks arbitrary bytes as a RIFF/WAVE file with the multimedia file calls,
// the way the wave reader does, and converts whatever format and samples it
// finds; any crash, overread or sanitizer report is a fault.

#include "platform/audio/MMSystem.h"
#include "platform/audio/PcmConversion.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void Check(bool condition) {
	if (!condition) {
		__builtin_trap();
	}
}

void Walk(HMMIO file, LONG size) {
	MMCKINFO riff{};
	if (mmioDescend(file, &riff, nullptr, 0) != MMSYSERR_NOERROR) {
		return;
	}
	MMCKINFO format{};
	format.ckid = mmioFOURCC('f', 'm', 't', ' ');
	std::vector<uint8_t> formatBytes(sizeof(WAVEFORMATEXTENSIBLE), 0);
	if (mmioDescend(file, &format, &riff, MMIO_FINDCHUNK) == MMSYSERR_NOERROR) {
		const LONG wanted = static_cast<LONG>(std::min<DWORD>(format.cksize, sizeof(WAVEFORMATEXTENSIBLE)));
		const LONG got = mmioRead(file, reinterpret_cast<HPSTR>(formatBytes.data()), wanted);
		Check(got >= 0 && got <= wanted);
		mmioAscend(file, &format, 0);
	}
	Check(mmioSeek(file, 0, SEEK_CUR) <= size);
	MMCKINFO data{};
	data.ckid = mmioFOURCC('d', 'a', 't', 'a');
	if (mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET) == -1 ||
		mmioDescend(file, &data, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
		return;
	}
	std::vector<uint8_t> samples;
	MMIOINFO info{};
	Check(mmioGetInfo(file, &info, 0) == MMSYSERR_NOERROR);
	while (samples.size() < data.cksize) {
		if (info.pchNext == info.pchEndRead) {
			Check(mmioAdvance(file, &info, MMIO_READ) == MMSYSERR_NOERROR);
			if (info.pchNext == info.pchEndRead) {
				break;
			}
		}
		samples.push_back(static_cast<uint8_t>(*info.pchNext++));
	}
	Check(mmioSetInfo(file, &info, 0) == MMSYSERR_NOERROR);
	Check(samples.size() <= static_cast<size_t>(size));

	WAVEFORMATEX& wave = *reinterpret_cast<WAVEFORMATEX*>(formatBytes.data());
	if (wave.cbSize > sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX)) {
		wave.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
	}
	for (bool mono : {false, true}) {
		PlayableSamples playable;
		if (ConvertToPlayable(wave, samples.data(), samples.size(), mono, playable)) {
			Check(playable.bytes.size() == playable.frames * playable.channels * (playable.bitsPerSample / 8));
		}
	}
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
	if (size > 1u << 20) {
		return 0;
	}
	MMIOINFO info{};
	info.fccIOProc = FOURCC_MEM;
	info.pchBuffer = reinterpret_cast<HPSTR>(const_cast<uint8_t*>(data));
	info.cchBuffer = static_cast<LONG>(size);
	HMMIO file = mmioOpenA(nullptr, &info, MMIO_ALLOCBUF);
	Check(file != nullptr);
	Walk(file, static_cast<LONG>(size));
	mmioClose(file, 0);
	return 0;
}
