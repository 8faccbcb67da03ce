#include "platform/audio/MMSystem.h"

#include "platform/system/DataPath.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

// The file is held whole; the I/O buffer is a window over it, refilled as
// reads and mmioAdvance move past its end. Positions are 32-bit, as the
// handle's offsets are, so files are limited to what a LONG can address.
struct PlatformMmioFile {
	std::vector<uint8_t> bytes;
	std::vector<char> buffer;
	MMIOINFO info{};
	LONG unbufferedPosition = 0;
};

namespace {

constexpr size_t MAX_MMIO_FILE_BYTES = 0x7FFFFFFFu;

LONG FileSize(const PlatformMmioFile& file) { return static_cast<LONG>(file.bytes.size()); }

bool IsBuffered(const PlatformMmioFile& file) { return file.info.cchBuffer > 0; }

LONG Position(const PlatformMmioFile& file) {
	if (!IsBuffered(file)) {
		return file.unbufferedPosition;
	}
	return file.info.lBufOffset + static_cast<LONG>(file.info.pchNext - file.info.pchBuffer);
}

// Fills the buffer with the file's bytes from offset on.
void FillBuffer(PlatformMmioFile& file, LONG offset) {
	MMIOINFO& info = file.info;
	const LONG available = std::max<LONG>(0, FileSize(file) - offset);
	const LONG count = std::min(available, info.cchBuffer);
	if (count > 0) {
		std::memcpy(info.pchBuffer, file.bytes.data() + offset, static_cast<size_t>(count));
	}
	info.lBufOffset = offset;
	info.pchNext = info.pchBuffer;
	info.pchEndRead = info.pchBuffer + count;
	info.lDiskOffset = offset + count;
}

void SetPosition(PlatformMmioFile& file, LONG position) {
	if (!IsBuffered(file)) {
		file.unbufferedPosition = position;
		return;
	}
	MMIOINFO& info = file.info;
	const LONG validBytes = static_cast<LONG>(info.pchEndRead - info.pchBuffer);
	if (position >= info.lBufOffset && position <= info.lBufOffset + validBytes) {
		info.pchNext = info.pchBuffer + (position - info.lBufOffset);
		return;
	}
	// Outside the window: start an empty one there, filled on the next read.
	info.lBufOffset = position;
	info.pchNext = info.pchBuffer;
	info.pchEndRead = info.pchBuffer;
	info.lDiskOffset = position;
}

bool ReadExactly(PlatformMmioFile* file, void* destination, LONG count) {
	return mmioRead(file, static_cast<HPSTR>(destination), count) == count;
}

bool ReadChunkHeader(PlatformMmioFile* file, MMCKINFO& chunk) {
	const LONG start = Position(*file);
	DWORD header[2];
	if (!ReadExactly(file, header, sizeof(header))) {
		return false;
	}
	chunk.ckid = header[0];
	chunk.cksize = header[1];
	chunk.fccType = 0;
	chunk.dwDataOffset = static_cast<DWORD>(start) + 8;
	chunk.dwFlags = 0;
	if (chunk.ckid == FOURCC_RIFF || chunk.ckid == FOURCC_LIST) {
		return ReadExactly(file, &chunk.fccType, sizeof(chunk.fccType));
	}
	return true;
}

// Where the chunk's data ends, with the pad byte that keeps chunks even.
uint64_t PaddedChunkEnd(const MMCKINFO& chunk) {
	return static_cast<uint64_t>(chunk.dwDataOffset) + chunk.cksize + (chunk.cksize & 1u);
}

bool Matches(const MMCKINFO& found, const MMCKINFO& wanted, UINT flags) {
	if (flags & MMIO_FINDRIFF) {
		return found.ckid == FOURCC_RIFF && found.fccType == wanted.fccType;
	}
	if (flags & MMIO_FINDLIST) {
		return found.ckid == FOURCC_LIST && found.fccType == wanted.fccType;
	}
	if (flags & MMIO_FINDCHUNK) {
		return found.ckid == wanted.ckid;
	}
	return true;
}

PlatformMmioFile* OpenFailure(LPMMIOINFO info, MMRESULT error) {
	if (info != nullptr) {
		info->wErrorRet = error;
	}
	return nullptr;
}

} // namespace

HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD openFlags) {
	if (openFlags & (MMIO_WRITE | MMIO_READWRITE | MMIO_CREATE)) {
		return OpenFailure(info, MMIOERR_CANNOTWRITE);
	}
	PlatformMmioFile* file = new (std::nothrow) PlatformMmioFile;
	if (file == nullptr) {
		return OpenFailure(info, MMIOERR_OUTOFMEMORY);
	}
	const bool fromMemory = info != nullptr && info->fccIOProc == FOURCC_MEM;
	if (fromMemory) {
		if (info->cchBuffer < 0 || (info->cchBuffer > 0 && info->pchBuffer == nullptr)) {
			delete file;
			return OpenFailure(info, MMSYSERR_INVALPARAM);
		}
		file->bytes.assign(info->pchBuffer, info->pchBuffer + info->cchBuffer);
	} else {
		std::string why;
		if (fileName == nullptr || !ReadDataFile(fileName, file->bytes, std::min(MAX_DATA_FILE_BYTES, MAX_MMIO_FILE_BYTES), why)) {
			delete file;
			return OpenFailure(info, MMIOERR_FILENOTFOUND);
		}
	}

	LONG bufferSize = 0;
	if (openFlags & MMIO_ALLOCBUF) {
		bufferSize = (info != nullptr && !fromMemory && info->cchBuffer > 0) ? info->cchBuffer : MMIO_DEFAULTBUFFER;
	}
	file->buffer.resize(static_cast<size_t>(bufferSize));
	file->info.dwFlags = openFlags;
	file->info.fccIOProc = fromMemory ? FOURCC_MEM : FOURCC_DOS;
	file->info.cchBuffer = bufferSize;
	file->info.pchBuffer = bufferSize > 0 ? file->buffer.data() : nullptr;
	file->info.pchNext = file->info.pchBuffer;
	file->info.pchEndRead = file->info.pchBuffer;
	file->info.pchEndWrite = file->info.pchBuffer + bufferSize;
	file->info.hmmio = file;
	if (info != nullptr) {
		info->wErrorRet = MMSYSERR_NOERROR;
	}
	return file;
}

MMRESULT mmioClose(HMMIO file, UINT) {
	if (file == nullptr) {
		return MMSYSERR_INVALHANDLE;
	}
	delete file;
	return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO file, HPSTR destination, LONG count) {
	if (file == nullptr || count < 0 || (count > 0 && destination == nullptr)) {
		return -1;
	}
	if (!IsBuffered(*file)) {
		const LONG available = std::max<LONG>(0, FileSize(*file) - file->unbufferedPosition);
		const LONG n = std::min(count, available);
		if (n > 0) {
			std::memcpy(destination, file->bytes.data() + file->unbufferedPosition, static_cast<size_t>(n));
		}
		file->unbufferedPosition += n;
		return n;
	}
	MMIOINFO& info = file->info;
	LONG copied = 0;
	while (copied < count) {
		if (info.pchNext == info.pchEndRead) {
			FillBuffer(*file, Position(*file));
			if (info.pchNext == info.pchEndRead) {
				break;
			}
		}
		const LONG n = std::min(count - copied, static_cast<LONG>(info.pchEndRead - info.pchNext));
		std::memcpy(destination + copied, info.pchNext, static_cast<size_t>(n));
		info.pchNext += n;
		copied += n;
	}
	return copied;
}

LONG mmioSeek(HMMIO file, LONG offset, int origin) {
	if (file == nullptr) {
		return -1;
	}
	int64_t base = 0;
	switch (origin) {
	case SEEK_SET: base = 0; break;
	case SEEK_CUR: base = Position(*file); break;
	case SEEK_END: base = FileSize(*file); break;
	default: return -1;
	}
	const int64_t target = base + offset;
	if (target < 0 || target > FileSize(*file)) {
		return -1;
	}
	SetPosition(*file, static_cast<LONG>(target));
	return static_cast<LONG>(target);
}

MMRESULT mmioGetInfo(HMMIO file, LPMMIOINFO info, UINT) {
	if (file == nullptr || info == nullptr) {
		return MMSYSERR_INVALPARAM;
	}
	*info = file->info;
	return MMSYSERR_NOERROR;
}

MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT) {
	if (file == nullptr || info == nullptr) {
		return MMSYSERR_INVALPARAM;
	}
	// Only the read pointer may move, and only inside the valid bytes.
	if (info->pchBuffer != file->info.pchBuffer || info->pchEndRead != file->info.pchEndRead ||
		info->pchNext < file->info.pchBuffer || info->pchNext > file->info.pchEndRead) {
		return MMSYSERR_INVALPARAM;
	}
	file->info.pchNext = info->pchNext;
	return MMSYSERR_NOERROR;
}

MMRESULT mmioAdvance(HMMIO file, LPMMIOINFO info, UINT flags) {
	if (file == nullptr || flags == MMIO_WRITEONLY_ADVANCE) {
		return MMSYSERR_INVALPARAM;
	}
	if (!IsBuffered(*file)) {
		return MMIOERR_UNBUFFERED;
	}
	FillBuffer(*file, file->info.lDiskOffset);
	if (info != nullptr) {
		*info = file->info;
	}
	return MMSYSERR_NOERROR;
}

MMRESULT mmioDescend(HMMIO file, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags) {
	if (file == nullptr || chunk == nullptr) {
		return MMSYSERR_INVALPARAM;
	}
	const uint64_t limit = parent != nullptr
		? std::min<uint64_t>(static_cast<uint64_t>(parent->dwDataOffset) + parent->cksize, static_cast<uint64_t>(FileSize(*file)))
		: static_cast<uint64_t>(FileSize(*file));
	const MMCKINFO wanted = *chunk;
	for (;;) {
		const LONG start = Position(*file);
		if (static_cast<uint64_t>(start) + 8 > limit) {
			return MMIOERR_CHUNKNOTFOUND;
		}
		MMCKINFO found;
		if (!ReadChunkHeader(file, found)) {
			return MMIOERR_CHUNKNOTFOUND;
		}
		if (Matches(found, wanted, flags)) {
			*chunk = found;
			return MMSYSERR_NOERROR;
		}
		const uint64_t next = PaddedChunkEnd(found);
		if (next >= limit) {
			return MMIOERR_CHUNKNOTFOUND;
		}
		SetPosition(*file, static_cast<LONG>(next));
	}
}

MMRESULT mmioAscend(HMMIO file, LPMMCKINFO chunk, UINT) {
	if (file == nullptr || chunk == nullptr) {
		return MMSYSERR_INVALPARAM;
	}
	const uint64_t end = static_cast<uint64_t>(chunk->dwDataOffset) + chunk->cksize;
	const uint64_t size = static_cast<uint64_t>(FileSize(*file));
	if (end > size) {
		return MMIOERR_CANNOTSEEK;
	}
	// A last chunk of odd size may lack its pad byte.
	SetPosition(*file, static_cast<LONG>(std::min(PaddedChunkEnd(*chunk), size)));
	return MMSYSERR_NOERROR;
}
