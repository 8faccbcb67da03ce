#include "audio/WaveFile.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr FOURCC WAVE_FORM = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC FORMAT_CHUNK = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC DATA_CHUNK = mmioFOURCC('d', 'a', 't', 'a');

} // namespace

WaveFile::WaveFile() : format(nullptr), file(nullptr), dataChunk{}, riffChunk{} {}

WaveFile::~WaveFile() { Close(); }

HRESULT WaveFile::Open(const char* fileName) {
	FreeFormat();
	if (file != nullptr) {
		mmioClose(file, 0);
		file = nullptr;
	}
	file = mmioOpenA(fileName, nullptr, MMIO_ALLOCBUF);
	if (file == nullptr) {
		return E_FAIL;
	}
	if (FAILED(ReadFormat())) {
		mmioClose(file, 0);
		file = nullptr;
		return E_FAIL;
	}
	if (mmioSeek(file, static_cast<LONG>(riffChunk.dwDataOffset + 4), SEEK_SET) == -1) {
		return E_FAIL;
	}
	dataChunk.ckid = DATA_CHUNK;
	if (mmioDescend(file, &dataChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
		return E_FAIL;
	}
	// A truncated file plays what it holds: its header may not promise more.
	const LONG here = mmioSeek(file, 0, SEEK_CUR);
	const LONG end = mmioSeek(file, 0, SEEK_END);
	if (here == -1 || end == -1 || mmioSeek(file, here, SEEK_SET) == -1) {
		return E_FAIL;
	}
	dataChunk.cksize = std::min<DWORD>(dataChunk.cksize, static_cast<DWORD>(end - here));
	return S_OK;
}

HRESULT WaveFile::ReadFormat() {
	format = nullptr;
	if (mmioDescend(file, &riffChunk, nullptr, 0) != MMSYSERR_NOERROR) {
		return E_FAIL;
	}
	if (riffChunk.ckid != FOURCC_RIFF || riffChunk.fccType != WAVE_FORM) {
		return E_FAIL;
	}
	MMCKINFO formatChunk{};
	formatChunk.ckid = FORMAT_CHUNK;
	if (mmioDescend(file, &formatChunk, &riffChunk, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) {
		return E_FAIL;
	}
	if (formatChunk.cksize < sizeof(PCMWAVEFORMAT)) {
		return E_FAIL;
	}
	PCMWAVEFORMAT pcmFormat;
	if (mmioRead(file, reinterpret_cast<HPSTR>(&pcmFormat), sizeof(pcmFormat)) != sizeof(pcmFormat)) {
		return E_FAIL;
	}

	if (pcmFormat.wf.wFormatTag == WAVE_FORMAT_PCM) {
		format = static_cast<WAVEFORMATEX*>(std::malloc(sizeof(WAVEFORMATEX)));
		if (format == nullptr) {
			return E_FAIL;
		}
		std::memcpy(format, &pcmFormat, sizeof(pcmFormat));
		format->cbSize = 0;
	} else {
		// A 16-byte chunk has no room for the count: it means no extra bytes.
		// A count reaching past the chunk would read its neighbour's bytes.
		WORD extraBytes = 0;
		if (formatChunk.cksize >= sizeof(WAVEFORMATEX)) {
			if (mmioRead(file, reinterpret_cast<HPSTR>(&extraBytes), sizeof(extraBytes)) != sizeof(extraBytes)) {
				return E_FAIL;
			}
			if (extraBytes > formatChunk.cksize - sizeof(WAVEFORMATEX)) {
				return E_FAIL;
			}
		}
		format = static_cast<WAVEFORMATEX*>(std::malloc(sizeof(WAVEFORMATEX) + extraBytes));
		if (format == nullptr) {
			return E_FAIL;
		}
		std::memcpy(format, &pcmFormat, sizeof(pcmFormat));
		format->cbSize = extraBytes;
		HPSTR extra = reinterpret_cast<HPSTR>(format) + sizeof(WAVEFORMATEX);
		if (mmioRead(file, extra, extraBytes) != extraBytes) {
			FreeFormat();
			return E_FAIL;
		}
	}

	if (mmioAscend(file, &formatChunk, 0) != MMSYSERR_NOERROR) {
		FreeFormat();
		return E_FAIL;
	}
	return S_OK;
}

HRESULT WaveFile::Read(DWORD sizeToRead, BYTE* destination, DWORD* sizeRead) {
	if (sizeRead == nullptr || file == nullptr) {
		return E_FAIL;
	}
	*sizeRead = 0;
	MMIOINFO info;
	if (mmioGetInfo(file, &info, 0) != MMSYSERR_NOERROR) {
		return E_FAIL;
	}
	const DWORD count = std::min(sizeToRead, dataChunk.cksize);
	if (count > 0 && destination == nullptr) {
		return E_FAIL;
	}
	dataChunk.cksize -= count;
	for (DWORD copied = 0; copied < count;) {
		if (info.pchNext == info.pchEndRead) {
			if (mmioAdvance(file, &info, 0) != MMSYSERR_NOERROR || info.pchNext == info.pchEndRead) {
				return E_FAIL;
			}
		}
		const DWORD run = std::min<DWORD>(count - copied, static_cast<DWORD>(info.pchEndRead - info.pchNext));
		std::memcpy(destination + copied, info.pchNext, run);
		info.pchNext += run;
		copied += run;
	}
	if (mmioSetInfo(file, &info, 0) != MMSYSERR_NOERROR) {
		return E_FAIL;
	}
	*sizeRead = count;
	return S_OK;
}

void WaveFile::Close() {
	if (file != nullptr) {
		mmioClose(file, 0);
		file = nullptr;
	}
	FreeFormat();
}

void WaveFile::FreeFormat() {
	std::free(format);
	format = nullptr;
}
