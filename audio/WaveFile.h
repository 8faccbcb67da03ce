#pragma once
// Reads a RIFF/WAVE file for the sound classes: the format record, then the
// sample bytes on request. Used on the stack for the length of one load.

#include "platform/audio/MMSystem.h"

class WaveFile {
public:
	WaveFile();
	~WaveFile();

	WaveFile(const WaveFile&) = delete;
	WaveFile& operator=(const WaveFile&) = delete;

	// S_OK once the format is read and the reader stands at the sample data.
	HRESULT Open(const char* fileName);
	// Copies up to sizeToRead sample bytes; sizeRead tells how many came.
	HRESULT Read(DWORD sizeToRead, BYTE* destination, DWORD* sizeRead);
	void Close();

	// 18 bytes for PCM, 18 + cbSize otherwise; null until a format was read.
	WAVEFORMATEX* format;
	HMMIO file;
	// Its size counts the sample bytes not yet read.
	MMCKINFO dataChunk;
	MMCKINFO riffChunk;

private:
	HRESULT ReadFormat();
	void FreeFormat();
};
