#pragma once
// A GL buffer with a CPU copy, so that Lock can hand out (and read back) any
// range; what a lock wrote reaches the GPU at Unlock. Shared by vertex and
// index buffers. The caller makes the device's context current.

#include "platform/system/WinTypes.h"

#include <epoxy/gl.h>

#include <cstdint>
#include <vector>

class GLBufferStorage {
public:
	GLBufferStorage() = default;
	GLBufferStorage(const GLBufferStorage&) = delete;
	GLBufferStorage& operator=(const GLBufferStorage&) = delete;
	~GLBufferStorage();

	// False when GL could not create the buffer.
	bool Create(UINT length, bool dynamic);
	HRESULT Lock(UINT offset, UINT size, void** data);
	// needsUpload is set when a range must be sent; then call Upload.
	HRESULT Unlock(bool& needsUpload);
	void Upload();

	GLuint Name() const { return name; }
	UINT Size() const { return UINT(bytes.size()); }

private:
	GLuint name = 0;
	std::vector<uint8_t> bytes;
	bool locked = false;
	UINT lockedOffset = 0;
	UINT lockedSize = 0;
};
