#pragma once
// GL reports errors through a sticky flag: clear it before an operation whose
// success is judged by glGetError afterwards, so that an older error is not
// blamed on it.

#include <epoxy/gl.h>

inline void ClearGLErrors() {
	for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
	}
}

// True when the operations since the last ClearGLErrors raised no error.
inline bool NoGLErrors() {
	bool clean = true;
	for (int i = 0; i < 16; ++i) {
		const GLenum error = glGetError();
		if (error == GL_NO_ERROR) {
			break;
		}
		clean = false;
	}
	return clean;
}
