#include "audio/Sound.h"

#include "app/Application.h"
#include "audio/WaveFile.h"
#include "platform/math/D3DXMath.h"
#include "platform/system/Win32.h"

#include <algorithm>

namespace {

constexpr DWORD PRIMARY_BUFFER_FLAGS = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME;
constexpr DWORD SAMPLE_BUFFER_FLAGS =
	DSBCAPS_CTRL3D | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
constexpr float LISTENER_ROLLOFF = 0.3f;
constexpr float DEGREES_TO_RADIANS = 0.017453292f;

// Kept inside what a buffer accepts, so the other key can always bring the
// pitch back instead of first undoing steps that were refused.
DWORD ScaledFrequency(DWORD frequency, float factor) {
	const DWORD scaled = static_cast<DWORD>(static_cast<float>(frequency) * factor);
	return std::clamp(scaled, DSBFREQUENCY_MIN, DSBFREQUENCY_MAX);
}

} // namespace

Sound::Sound()
	: device(nullptr), frequency(0), listener(nullptr), primaryBuffer(nullptr), buffer(nullptr), buffer3D(nullptr) {}

Sound::~Sound() { ReleaseSound(); }

bool Sound::SetUpDevice() {
	if (FAILED(DirectSoundCreate8(nullptr, &device, nullptr))) {
		device = nullptr;
		return false;
	}
	device->SetCooperativeLevel(Application::Get().window, DSSCL_PRIORITY);

	DSBUFFERDESC description{};
	description.dwSize = sizeof(description);
	description.dwFlags = PRIMARY_BUFFER_FLAGS;
	if (FAILED(device->CreateSoundBuffer(&description, &primaryBuffer, nullptr))) {
		primaryBuffer = nullptr;
		return false;
	}
	const WAVEFORMATEX mixFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
	primaryBuffer->SetFormat(&mixFormat);
	return true;
}

bool Sound::LoadSample(const char* fileName, IDirectSoundBuffer8*& destination, IDirectSound3DBuffer8*& destination3D) {
	destination = nullptr;
	destination3D = nullptr;
	if (device == nullptr) {
		return false;
	}
	WaveFile wave;
	if (FAILED(wave.Open(fileName)) || wave.format == nullptr) {
		return false;
	}

	DSBUFFERDESC description{};
	description.dwSize = sizeof(description);
	description.dwFlags = SAMPLE_BUFFER_FLAGS;
	description.dwBufferBytes = wave.dataChunk.cksize;
	description.lpwfxFormat = wave.format;
	description.guid3DAlgorithm = DS3DALG_NO_VIRTUALIZATION;
	IDirectSoundBuffer* created = nullptr;
	if (FAILED(device->CreateSoundBuffer(&description, &created, nullptr))) {
		return false;
	}
	created->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(&destination));
	created->Release();
	if (destination == nullptr) {
		return false;
	}

	void* part1 = nullptr;
	void* part2 = nullptr;
	DWORD bytes1 = 0;
	DWORD bytes2 = 0;
	HRESULT locked = destination->Lock(0, description.dwBufferBytes, &part1, &bytes1, &part2, &bytes2, 0);
	if (locked == DSERR_BUFFERLOST) {
		destination->Restore();
		locked = destination->Lock(0, description.dwBufferBytes, &part1, &bytes1, &part2, &bytes2, 0);
	}
	if (SUCCEEDED(locked)) {
		DWORD bytesRead = 0;
		wave.Read(bytes1, static_cast<BYTE*>(part1), &bytesRead);
		if (part2 != nullptr) {
			wave.Read(bytes2, static_cast<BYTE*>(part2), &bytesRead);
		}
		destination->Unlock(part1, bytes1, part2, bytes2);
	}
	destination->QueryInterface(IID_IDirectSound3DBuffer8, reinterpret_cast<void**>(&destination3D));
	wave.Close();
	return true;
}

bool Sound::QueryListener() {
	if (primaryBuffer == nullptr ||
		FAILED(primaryBuffer->QueryInterface(IID_IDirectSound3DListener, reinterpret_cast<void**>(&listener)))) {
		listener = nullptr;
		return false;
	}
	listener->SetRolloffFactor(LISTENER_ROLLOFF, DS3D_IMMEDIATE);
	return true;
}

bool Sound::Load(const char* fileName) {
	ReleaseSound();
	if (!SetUpDevice()) {
		return false;
	}
	const bool loaded = LoadSample(fileName, buffer, buffer3D);
	QueryListener();
	if (!loaded) {
		return false;
	}
	buffer->GetFrequency(&frequency);
	if (buffer3D != nullptr) {
		buffer3D->SetMode(DS3DMODE_DISABLE, DS3D_IMMEDIATE);
	}
	buffer->Play(0, 0, DSBPLAY_LOOPING);
	return true;
}

void Sound::Update() {
	if (buffer != nullptr) {
		if (IsKeyDown('F')) {
			buffer->Stop();
		}
		if (IsKeyDown('G')) {
			buffer->SetCurrentPosition(0);
		}
		if (IsKeyDown('H')) {
			frequency = ScaledFrequency(frequency, 1.01f);
			buffer->SetFrequency(frequency);
		}
		if (IsKeyDown('J')) {
			frequency = ScaledFrequency(frequency, 0.99f);
			buffer->SetFrequency(frequency);
		}
	}
	FollowView();
}

// The listener stands at the camera and faces along the view angles; the
// title also takes the facing as its camera target.
void Sound::FollowView() {
	Application& application = Application::Get();
	D3DXMATRIX rotation;
	D3DXMatrixRotationYawPitchRoll(&rotation, application.viewYaw * DEGREES_TO_RADIANS, application.viewPitch * DEGREES_TO_RADIANS, 0.0f);
	const D3DXVECTOR3 forward(0.0f, 0.0f, 1.0f);
	const D3DXVECTOR3 up(0.0f, 1.0f, 0.0f);
	D3DXVECTOR3 front;
	D3DXVECTOR3 top;
	D3DXVec3TransformNormal(&front, &forward, &rotation);
	D3DXVec3TransformNormal(&top, &up, &rotation);
	application.cameraTarget = front;
	if (listener == nullptr) {
		return;
	}
	const D3DXVECTOR3& eye = application.cameraEye;
	listener->SetPosition(eye.x, eye.y, eye.z, DS3D_IMMEDIATE);
	listener->SetOrientation(front.x, front.y, front.z, top.x, top.y, top.z, DS3D_IMMEDIATE);
}

void Sound::Stop() {
	if (buffer != nullptr) {
		buffer->Stop();
	}
}

void Sound::Release() { ReleaseSound(); }

void Sound::ReleaseSound() {
	SafeRelease(buffer);
	SafeRelease(buffer3D);
	ReleaseDevice();
}

void Sound::ReleaseDevice() {
	SafeRelease(listener);
	SafeRelease(primaryBuffer);
	SafeRelease(device);
}
