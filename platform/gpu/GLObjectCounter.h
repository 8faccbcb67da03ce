#pragma once
// Live GL object names the platform has made and not yet deleted, by kind,
// so long runs can show that nothing piles up between battles.

#include <array>
#include <cstddef>

enum class GLObjectKind { Texture, Renderbuffer, Buffer, Program, Framebuffer, VertexArray, Count };

class GLObjectCounter {
public:
	static void Made(GLObjectKind kind) { ++live[Index(kind)]; }
	static void Deleted(GLObjectKind kind) { --live[Index(kind)]; }
	static int Live(GLObjectKind kind) { return live[Index(kind)]; }

private:
	static size_t Index(GLObjectKind kind) { return static_cast<size_t>(kind); }

	static inline std::array<int, static_cast<size_t>(GLObjectKind::Count)> live{};
};
