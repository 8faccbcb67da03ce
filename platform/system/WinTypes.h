#pragma once
// The handful of Windows base types the game code is written against.
// Only plain data lives here; behaviour is in Win32.h.

#include <cstdint>

typedef int32_t  BOOL;
typedef uint8_t  BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t  LONG;
typedef uint32_t ULONG;
typedef uint32_t UINT;
typedef int32_t  INT;
typedef int16_t  SHORT;
typedef int32_t  HRESULT;
typedef char*       LPSTR;
typedef const char* LPCSTR;
typedef void*       LPVOID;
typedef void*       HANDLE;
typedef intptr_t    WPARAM;
typedef intptr_t    LPARAM;
typedef intptr_t    LRESULT;
typedef uint32_t    FOURCC;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);

inline constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
inline constexpr bool FAILED(HRESULT hr) { return hr < 0; }

struct RECT {
	LONG left;
	LONG top;
	LONG right;
	LONG bottom;
};

struct POINT {
	LONG x;
	LONG y;
};

struct GUID {
	uint32_t Data1;
	uint16_t Data2;
	uint16_t Data3;
	uint8_t  Data4[8];
};

// Opaque handles. A window handle points at the platform's window record.
struct PlatformWindow;
typedef PlatformWindow* HWND;
struct PlatformModule;
typedef PlatformModule* HINSTANCE;
struct PlatformIcon;
typedef PlatformIcon* HICON;
struct PlatformCursor;
typedef PlatformCursor* HCURSOR;
struct PlatformBrush;
typedef PlatformBrush* HBRUSH;
struct PlatformMenu;
typedef PlatformMenu* HMENU;

// Base of every reference-counted platform object, as COM's IUnknown.
// AddRef returns the new count; Release frees the object when it reaches 0.
struct IUnknown {
	virtual ULONG AddRef() = 0;
	virtual ULONG Release() = 0;

protected:
	virtual ~IUnknown() = default;
};

// Releases a COM-style pointer and nulls it; harmless on null.
template <typename T>
inline void SafeRelease(T*& object) {
	if (object != nullptr) {
		object->Release();
		object = nullptr;
	}
}
