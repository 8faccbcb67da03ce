#pragma once
// DirectSound 8 over OpenAL Soft: devices, static sound buffers and their
// duplicates, 3D buffers and the listener, with DirectSound's names and
// behaviour where the game relies on it.
//
// Every device shares one OpenAL device and context, opened on first use, but
// keeps a 3D listener of its own: the buffers a device makes or duplicates are
// heard from that listener, whatever the other devices' listeners do.
// When no OpenAL device opens, DirectSoundCreate8 fails with DSERR_NODRIVER; objects that
// outlive the device they were made on turn into harmless no-ops.
//
// The game's frame is left-handed and OpenAL's right-handed: positions and
// orientations cross over with z negated. Buffers created with DSBCAPS_CTRL3D
// may hold stereo samples; while such a buffer is positioned (any mode but
// DS3DMODE_DISABLE) it plays a mono mix, since only mono is placed in space.
// 8- and 16-bit PCM play as they are; 24- and 32-bit PCM and 32- and 64-bit
// float are converted to 16 bits. What is written into a buffer while it
// plays is heard from its next Play. Settings asked for with DS3D_DEFERRED take
// effect on the CommitDeferredSettings of their own device's listener.

#include "platform/audio/MMSystem.h"
#include "platform/math/D3DXMath.h"
#include "platform/system/WinTypes.h"

typedef const GUID& REFIID;
typedef const GUID* LPCGUID;

// Interface identifiers for QueryInterface.
constexpr GUID IID_IDirectSoundBuffer = {0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSoundBuffer8 = {0x6825A449, 0x7524, 0x4D82, {0x92, 0x0F, 0x50, 0xE3, 0x6A, 0xB3, 0xAB, 0x1E}};
constexpr GUID IID_IDirectSound3DBuffer = {0x279AFA86, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSound3DBuffer8 = IID_IDirectSound3DBuffer;
constexpr GUID IID_IDirectSound3DListener = {0x279AFA84, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
constexpr GUID IID_IDirectSound3DListener8 = IID_IDirectSound3DListener;
constexpr GUID DS3DALG_DEFAULT = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
constexpr GUID DS3DALG_NO_VIRTUALIZATION = {0xC241333F, 0x1C1B, 0x11D2, {0x94, 0xF5, 0x00, 0xC0, 0x4F, 0xC2, 0x8A, 0xCA}};

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
	if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
		return false;
	}
	for (int i = 0; i < 8; ++i) {
		if (a.Data4[i] != b.Data4[i]) {
			return false;
		}
	}
	return true;
}

// Results.
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT DS_OK = S_OK;
constexpr HRESULT DSERR_GENERIC = E_FAIL;
constexpr HRESULT DSERR_INVALIDPARAM = E_INVALIDARG;
constexpr HRESULT DSERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DSERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DSERR_NOINTERFACE = E_NOINTERFACE;
constexpr HRESULT DSERR_CONTROLUNAVAIL = static_cast<HRESULT>(0x8878001Eu);
constexpr HRESULT DSERR_INVALIDCALL = static_cast<HRESULT>(0x88780032u);
constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);

// Cooperative levels.
constexpr DWORD DSSCL_NORMAL = 0x1;
constexpr DWORD DSSCL_PRIORITY = 0x2;
constexpr DWORD DSSCL_EXCLUSIVE = 0x3;
constexpr DWORD DSSCL_WRITEPRIMARY = 0x4;

// Buffer capabilities.
constexpr DWORD DSBCAPS_PRIMARYBUFFER = 0x00000001;
constexpr DWORD DSBCAPS_STATIC = 0x00000002;
constexpr DWORD DSBCAPS_LOCHARDWARE = 0x00000004;
constexpr DWORD DSBCAPS_LOCSOFTWARE = 0x00000008;
constexpr DWORD DSBCAPS_CTRL3D = 0x00000010;
constexpr DWORD DSBCAPS_CTRLFREQUENCY = 0x00000020;
constexpr DWORD DSBCAPS_CTRLPAN = 0x00000040;
constexpr DWORD DSBCAPS_CTRLVOLUME = 0x00000080;
constexpr DWORD DSBCAPS_CTRLPOSITIONNOTIFY = 0x00000100;
constexpr DWORD DSBCAPS_CTRLFX = 0x00000200;
constexpr DWORD DSBCAPS_STICKYFOCUS = 0x00004000;
constexpr DWORD DSBCAPS_GLOBALFOCUS = 0x00008000;
constexpr DWORD DSBCAPS_GETCURRENTPOSITION2 = 0x00010000;
constexpr DWORD DSBCAPS_MUTE3DATMAXDISTANCE = 0x00020000;

constexpr DWORD DSBSIZE_MIN = 4;
constexpr DWORD DSBSIZE_MAX = 0x0FFFFFFF;

constexpr DWORD DSBPLAY_LOOPING = 0x00000001;

constexpr DWORD DSBSTATUS_PLAYING = 0x00000001;
constexpr DWORD DSBSTATUS_BUFFERLOST = 0x00000002;
constexpr DWORD DSBSTATUS_LOOPING = 0x00000004;

constexpr DWORD DSBLOCK_FROMWRITECURSOR = 0x00000001;
constexpr DWORD DSBLOCK_ENTIREBUFFER = 0x00000002;

constexpr DWORD DSBFREQUENCY_ORIGINAL = 0;
constexpr DWORD DSBFREQUENCY_MIN = 100;
constexpr DWORD DSBFREQUENCY_MAX = 200000;

constexpr LONG DSBVOLUME_MIN = -10000;
constexpr LONG DSBVOLUME_MAX = 0;

// 3D.
constexpr DWORD DS3D_IMMEDIATE = 0x00000000;
constexpr DWORD DS3D_DEFERRED = 0x00000001;

constexpr DWORD DS3DMODE_NORMAL = 0x00000000;
constexpr DWORD DS3DMODE_HEADRELATIVE = 0x00000001;
constexpr DWORD DS3DMODE_DISABLE = 0x00000002;

constexpr float DS3D_DEFAULTMINDISTANCE = 1.0f;
constexpr float DS3D_DEFAULTMAXDISTANCE = 1000000000.0f;
constexpr float DS3D_MINROLLOFFFACTOR = 0.0f;
constexpr float DS3D_MAXROLLOFFFACTOR = 10.0f;
constexpr float DS3D_DEFAULTROLLOFFFACTOR = 1.0f;

struct DSBUFFERDESC {
	DWORD dwSize;
	DWORD dwFlags;
	DWORD dwBufferBytes;
	DWORD dwReserved;
	LPWAVEFORMATEX lpwfxFormat;
	GUID guid3DAlgorithm;
};
typedef const DSBUFFERDESC* LPCDSBUFFERDESC;

struct IDirectSoundBuffer : public IUnknown {
	virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
	virtual HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) = 0;
	virtual HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) = 0;
	virtual HRESULT GetVolume(LONG* volume) = 0;
	virtual HRESULT GetFrequency(DWORD* frequency) = 0;
	virtual HRESULT GetStatus(DWORD* status) = 0;
	virtual HRESULT Lock(DWORD offset, DWORD bytes, void** part1, DWORD* bytes1, void** part2, DWORD* bytes2, DWORD flags) = 0;
	virtual HRESULT Play(DWORD reserved1, DWORD priority, DWORD flags) = 0;
	virtual HRESULT SetCurrentPosition(DWORD position) = 0;
	virtual HRESULT SetFormat(LPCWAVEFORMATEX format) = 0;
	virtual HRESULT SetVolume(LONG volume) = 0;
	virtual HRESULT SetFrequency(DWORD frequency) = 0;
	// Pauses: the position is kept for the next Play.
	virtual HRESULT Stop() = 0;
	virtual HRESULT Unlock(void* part1, DWORD bytes1, void* part2, DWORD bytes2) = 0;
	virtual HRESULT Restore() = 0;
};
typedef IDirectSoundBuffer* LPDIRECTSOUNDBUFFER;

struct IDirectSoundBuffer8 : public IDirectSoundBuffer {};
typedef IDirectSoundBuffer8* LPDIRECTSOUNDBUFFER8;

struct IDirectSound3DBuffer8 : public IUnknown {
	virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
	virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
	virtual HRESULT SetPosition(float x, float y, float z, DWORD apply) = 0;
	virtual HRESULT GetMode(DWORD* mode) = 0;
	virtual HRESULT SetMode(DWORD mode, DWORD apply) = 0;
	virtual HRESULT GetMinDistance(float* distance) = 0;
	virtual HRESULT SetMinDistance(float distance, DWORD apply) = 0;
	virtual HRESULT GetMaxDistance(float* distance) = 0;
	virtual HRESULT SetMaxDistance(float distance, DWORD apply) = 0;
};
typedef IDirectSound3DBuffer8 IDirectSound3DBuffer;
typedef IDirectSound3DBuffer8* LPDIRECTSOUND3DBUFFER8;

struct IDirectSound3DListener8 : public IUnknown {
	virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
	virtual HRESULT GetPosition(D3DVECTOR* position) = 0;
	virtual HRESULT SetPosition(float x, float y, float z, DWORD apply) = 0;
	virtual HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) = 0;
	virtual HRESULT SetOrientation(float frontX, float frontY, float frontZ, float topX, float topY, float topZ, DWORD apply) = 0;
	virtual HRESULT GetRolloffFactor(float* rolloff) = 0;
	virtual HRESULT SetRolloffFactor(float rolloff, DWORD apply) = 0;
	virtual HRESULT CommitDeferredSettings() = 0;
};
typedef IDirectSound3DListener8 IDirectSound3DListener;
typedef IDirectSound3DListener8* LPDIRECTSOUND3DLISTENER8;

struct IDirectSound8 : public IUnknown {
	virtual HRESULT CreateSoundBuffer(LPCDSBUFFERDESC description, IDirectSoundBuffer** buffer, IUnknown* outer) = 0;
	// The duplicate shares the original's samples and has its own position,
	// frequency, volume and 3D settings.
	virtual HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* original, IDirectSoundBuffer** duplicate) = 0;
	virtual HRESULT SetCooperativeLevel(HWND window, DWORD level) = 0;
};
typedef IDirectSound8* LPDIRECTSOUND8;

// device must be null (the default device).
HRESULT DirectSoundCreate8(LPCGUID device, IDirectSound8** directSound, IUnknown* outer);
