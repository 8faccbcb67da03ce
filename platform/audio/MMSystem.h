#pragma once
// The multimedia file I/O functions for RIFF files, and the wave format
// records. Reading only: a file is read whole (through ResolveDataPath) or
// taken from memory, and every chunk walk is checked against the bytes held,
// so a damaged file reports an error instead of reading past its end.

#include "platform/system/WinTypes.h"

// Opaque handle of an open multimedia file.
struct PlatformMmioFile;
typedef PlatformMmioFile* HMMIO;

typedef UINT MMRESULT;
typedef char* HPSTR;

inline constexpr FOURCC mmioFOURCC(char c0, char c1, char c2, char c3) {
	return static_cast<FOURCC>(static_cast<BYTE>(c0)) | (static_cast<FOURCC>(static_cast<BYTE>(c1)) << 8) |
		(static_cast<FOURCC>(static_cast<BYTE>(c2)) << 16) | (static_cast<FOURCC>(static_cast<BYTE>(c3)) << 24);
}

constexpr FOURCC FOURCC_RIFF = mmioFOURCC('R', 'I', 'F', 'F');
constexpr FOURCC FOURCC_LIST = mmioFOURCC('L', 'I', 'S', 'T');
constexpr FOURCC FOURCC_MEM = mmioFOURCC('M', 'E', 'M', ' ');
constexpr FOURCC FOURCC_DOS = mmioFOURCC('D', 'O', 'S', ' ');

// Results.
constexpr MMRESULT MMSYSERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MMIOERR_BASE = 256;
constexpr MMRESULT MMIOERR_FILENOTFOUND = MMIOERR_BASE + 1;
constexpr MMRESULT MMIOERR_OUTOFMEMORY = MMIOERR_BASE + 2;
constexpr MMRESULT MMIOERR_CANNOTOPEN = MMIOERR_BASE + 3;
constexpr MMRESULT MMIOERR_CANNOTREAD = MMIOERR_BASE + 5;
constexpr MMRESULT MMIOERR_CANNOTWRITE = MMIOERR_BASE + 6;
constexpr MMRESULT MMIOERR_CANNOTSEEK = MMIOERR_BASE + 7;
constexpr MMRESULT MMIOERR_CANNOTEXPAND = MMIOERR_BASE + 8;
constexpr MMRESULT MMIOERR_CHUNKNOTFOUND = MMIOERR_BASE + 9;
constexpr MMRESULT MMIOERR_UNBUFFERED = MMIOERR_BASE + 10;

// Open flags. Only reading is offered; a write or create request fails.
constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_WRITE = 0x00000001;
constexpr DWORD MMIO_READWRITE = 0x00000002;
constexpr DWORD MMIO_CREATE = 0x00001000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;

// mmioAdvance.
constexpr UINT MMIO_WRITEONLY_ADVANCE = 0x0001;

// mmioDescend search flags.
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMIO_FINDLIST = 0x0040;

// The buffer MMIO_ALLOCBUF allocates.
constexpr LONG MMIO_DEFAULTBUFFER = 8192;

// Seek origins, as the C library's.
#ifndef SEEK_SET
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
#endif

struct MMCKINFO {
	FOURCC ckid;
	DWORD cksize;
	FOURCC fccType;
	DWORD dwDataOffset;
	DWORD dwFlags;
};
typedef MMCKINFO* LPMMCKINFO;

// The state of a buffered file. Readers may take it with mmioGetInfo, copy
// bytes between pchNext and pchEndRead themselves, refill with mmioAdvance and
// hand the advanced pchNext back with mmioSetInfo.
struct MMIOINFO {
	DWORD dwFlags;
	FOURCC fccIOProc;
	void* pIOProc;
	UINT wErrorRet;
	HANDLE htask;
	LONG cchBuffer;
	HPSTR pchBuffer;
	HPSTR pchNext;
	HPSTR pchEndRead;
	HPSTR pchEndWrite;
	LONG lBufOffset;
	LONG lDiskOffset;
	DWORD adwInfo[3];
	DWORD dwReserved1;
	DWORD dwReserved2;
	HMMIO hmmio;
};
typedef MMIOINFO* LPMMIOINFO;

// fileName is resolved as a data file. With info->fccIOProc == FOURCC_MEM the
// file is the info->cchBuffer bytes at info->pchBuffer instead (copied) and
// fileName is ignored. On failure the result is null and info->wErrorRet says
// why.
HMMIO mmioOpenA(LPCSTR fileName, LPMMIOINFO info, DWORD openFlags);
MMRESULT mmioClose(HMMIO file, UINT flags);

// Bytes read, 0 at the end of the file, -1 on error.
LONG mmioRead(HMMIO file, HPSTR destination, LONG count);
// The new position, or -1 when it would fall outside the file.
LONG mmioSeek(HMMIO file, LONG offset, int origin);

MMRESULT mmioGetInfo(HMMIO file, LPMMIOINFO info, UINT flags);
MMRESULT mmioSetInfo(HMMIO file, const MMIOINFO* info, UINT flags);
// Refills the buffer from the file position after its last valid byte. At the
// end of the file it still succeeds, leaving pchNext equal to pchEndRead.
MMRESULT mmioAdvance(HMMIO file, LPMMIOINFO info, UINT flags);

// Reads the chunk header at the current position (and the form type of a
// RIFF or LIST chunk) and leaves the position at the chunk's data. The find
// flags skip chunks until one matches, without leaving parent.
MMRESULT mmioDescend(HMMIO file, LPMMCKINFO chunk, const MMCKINFO* parent, UINT flags);
// Moves past the end of a chunk entered with mmioDescend, with its pad byte.
MMRESULT mmioAscend(HMMIO file, LPMMCKINFO chunk, UINT flags);

// Wave formats.
constexpr WORD WAVE_FORMAT_PCM = 1;
constexpr WORD WAVE_FORMAT_ADPCM = 2;
constexpr WORD WAVE_FORMAT_IEEE_FLOAT = 3;
constexpr WORD WAVE_FORMAT_EXTENSIBLE = 0xFFFE;

#pragma pack(push, 1)
struct WAVEFORMAT {
	WORD wFormatTag;
	WORD nChannels;
	DWORD nSamplesPerSec;
	DWORD nAvgBytesPerSec;
	WORD nBlockAlign;
};

struct PCMWAVEFORMAT {
	WAVEFORMAT wf;
	WORD wBitsPerSample;
};

struct WAVEFORMATEX {
	WORD wFormatTag;
	WORD nChannels;
	DWORD nSamplesPerSec;
	DWORD nAvgBytesPerSec;
	WORD nBlockAlign;
	WORD wBitsPerSample;
	WORD cbSize;
};

// WAVE_FORMAT_EXTENSIBLE: cbSize is at least 22 and the sample kind is the
// first field of SubFormat (WAVE_FORMAT_PCM or WAVE_FORMAT_IEEE_FLOAT).
struct WAVEFORMATEXTENSIBLE {
	WAVEFORMATEX Format;
	WORD wValidBitsPerSample;
	DWORD dwChannelMask;
	GUID SubFormat;
};
#pragma pack(pop)

static_assert(sizeof(WAVEFORMAT) == 14);
static_assert(sizeof(PCMWAVEFORMAT) == 16);
static_assert(sizeof(WAVEFORMATEX) == 18);
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40);

typedef WAVEFORMATEX* LPWAVEFORMATEX;
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
