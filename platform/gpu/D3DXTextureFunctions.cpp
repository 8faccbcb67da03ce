// D3DXCreateTexture and the texture loaders for PNG and DDS files.

#include "platform/gpu/D3DX9Tex.h"
#include "platform/gpu/DxtDecoder.h"
#include "platform/gpu/GLCubeTexture.h"
#include "platform/gpu/GLDevice.h"
#include "platform/gpu/GLTexture.h"
#include "platform/image/Image.h"
#include "platform/system/DataPath.h"

#include <algorithm>
#include <cstring>

namespace {

// Texture files are far smaller than this; a larger one is not a texture.
constexpr size_t MAX_TEXTURE_FILE_BYTES = 64u * 1024u * 1024u;

GLDevice* PlatformDevice(IDirect3DDevice9* device) {
	return device != nullptr ? dynamic_cast<GLDevice*>(device) : nullptr;
}

UINT NextPowerOfTwo(UINT value) {
	UINT power = 1;
	while (power < value && power < (1u << 30)) {
		power <<= 1;
	}
	return power;
}

D3DFORMAT FileFormat(PixelFormat format) {
	switch (format) {
	case PixelFormat::BGRA8: return D3DFMT_A8R8G8B8;
	case PixelFormat::BGRX8: return D3DFMT_X8R8G8B8;
	case PixelFormat::DXT1: return D3DFMT_DXT1;
	case PixelFormat::DXT3: return D3DFMT_DXT3;
	case PixelFormat::DXT5: return D3DFMT_DXT5;
	}
	return D3DFMT_UNKNOWN;
}

bool IsCompressed(D3DFORMAT format) {
	return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

bool IsFourByteColor(D3DFORMAT format) {
	return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 || format == D3DFMT_A8B8G8R8 ||
	       format == D3DFMT_X8B8G8R8;
}

bool LoadImageFile(LPCSTR fileName, Image& image) {
	if (fileName == nullptr) {
		return false;
	}
	std::vector<uint8_t> bytes;
	std::string why;
	if (!ReadDataFile(fileName, bytes, MAX_TEXTURE_FILE_BYTES, why)) {
		return false;
	}
	return ReadImage(bytes.data(), bytes.size(), image, why) && image.width > 0 && image.height > 0 &&
	       image.mipLevels > 0 && image.surfaces.size() == size_t(image.faces) * image.mipLevels;
}

void FillInfo(const Image& image, D3DXIMAGE_INFO* info) {
	if (info == nullptr) {
		return;
	}
	*info = D3DXIMAGE_INFO{};
	info->Width = image.width;
	info->Height = image.height;
	info->Depth = 1;
	info->MipLevels = image.mipLevels;
	info->Format = FileFormat(image.format);
	info->ResourceType = image.IsCube() ? D3DRTYPE_CUBETEXTURE : D3DRTYPE_TEXTURE;
	info->ImageFileFormat = image.fileFormat == ImageFileFormat::Dds ? D3DXIFF_DDS : D3DXIFF_PNG;
}

// Places a BGRA/BGRX level in the top-left of a width x height level in the
// wanted byte order; the rest stays transparent black. Pixels equal to the
// colour key (ARGB, when not 0) become transparent black.
std::vector<uint8_t> ConvertLevel(const ImageSurface& source, bool sourceOpaque, UINT width, UINT height,
                                  D3DFORMAT format, D3DCOLOR colorKey) {
	std::vector<uint8_t> pixels(size_t(width) * height * 4, 0);
	const bool swapRedBlue = format == D3DFMT_A8B8G8R8 || format == D3DFMT_X8B8G8R8;
	const UINT rows = std::min(height, source.height);
	const UINT columns = std::min(width, source.width);
	for (UINT y = 0; y < rows; ++y) {
		const uint8_t* in = source.bytes.data() + size_t(y) * source.width * 4;
		uint8_t* out = pixels.data() + size_t(y) * width * 4;
		for (UINT x = 0; x < columns; ++x, in += 4, out += 4) {
			const uint8_t alpha = sourceOpaque ? 0xFF : in[3];
			const D3DCOLOR argb = (D3DCOLOR(alpha) << 24) | (D3DCOLOR(in[2]) << 16) | (D3DCOLOR(in[1]) << 8) | in[0];
			if (colorKey != 0 && argb == colorKey) {
				continue;
			}
			out[0] = swapRedBlue ? in[2] : in[0];
			out[1] = in[1];
			out[2] = swapRedBlue ? in[0] : in[2];
			out[3] = alpha;
		}
	}
	return pixels;
}

bool LevelFits(const ImageSurface& surface, const GLFormat& format) {
	return surface.bytes.size() >= format.LevelBytes(surface.width, surface.height);
}

// Fills one face of storage from the image: every level the file has when
// the sizes match, the rest generated from level 0.
bool UploadFace(GLTextureStorage& storage, const Image& image, UINT face, D3DCOLOR colorKey) {
	const D3DFORMAT format = storage.Format().format;
	const bool sameSize = storage.Width(0) == image.width && storage.Height(0) == image.height;
	const UINT fileLevels = sameSize ? std::min(image.mipLevels, storage.Levels()) : 1;
	for (UINT level = 0; level < fileLevels; ++level) {
		const ImageSurface& surface = image.Surface(face, level);
		if (sameSize && (surface.width != storage.Width(level) || surface.height != storage.Height(level))) {
			return false;
		}
		if (IsCompressed(format)) {
			if (!LevelFits(surface, storage.Format()) ||
			    !storage.Upload(face, level, surface.bytes.data(), surface.bytes.size())) {
				return false;
			}
			continue;
		}
		if (surface.bytes.size() < size_t(surface.width) * surface.height * 4) {
			return false;
		}
		const bool opaque = image.format == PixelFormat::BGRX8;
		const std::vector<uint8_t> pixels =
		    ConvertLevel(surface, opaque, storage.Width(level), storage.Height(level), format, colorKey);
		if (!storage.Upload(face, level, pixels.data(), pixels.size())) {
			return false;
		}
	}
	if (fileLevels < storage.Levels()) {
		return storage.GenerateMipmaps();
	}
	return true;
}

UINT ChooseSize(UINT requested, UINT fileSize, bool compressed) {
	if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE || compressed) {
		return fileSize;
	}
	if (requested == 0 || requested == D3DX_DEFAULT) {
		return NextPowerOfTwo(fileSize);
	}
	return requested;
}

UINT ChooseLevels(UINT requested, const Image& image, UINT width, UINT height, D3DFORMAT format) {
	UINT levels = 0;  // full chain
	if (requested == D3DX_FROM_FILE) {
		levels = image.mipLevels;
	} else if (requested != D3DX_DEFAULT && requested != 0) {
		levels = requested;
	}
	const UINT fullChain = FullMipChainLength(width, height);
	if (levels == 0 || levels > fullChain) {
		levels = fullChain;
	}
	// Compressed levels cannot be generated here: keep those the file has.
	if (IsCompressed(format)) {
		levels = std::min(levels, image.mipLevels);
	}
	return std::max<UINT>(levels, 1);
}

bool CompressedTexturesSupported() { return epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc"); }

// Turns every level of a DXT image into BGRA pixels.
bool Decompress(Image& image) {
	for (ImageSurface& surface : image.surfaces) {
		std::vector<uint8_t> pixels;
		if (!DxtDecoder::Decode(image.format, surface.width, surface.height, surface.bytes, pixels)) {
			return false;
		}
		surface.bytes = std::move(pixels);
	}
	image.format = PixelFormat::BGRA8;
	return true;
}

bool CompatibleFormats(D3DFORMAT fileFormat, D3DFORMAT format) {
	if (IsCompressed(fileFormat) || IsCompressed(format)) {
		return fileFormat == format;
	}
	return IsFourByteColor(format);
}

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture) {
	if (PlatformDevice(device) == nullptr || texture == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*texture = nullptr;
	// D3DX picks 256 for an unspecified size and a full chain for unspecified levels.
	if (width == 0 || width == D3DX_DEFAULT) {
		width = 256;
	}
	if (height == 0 || height == D3DX_DEFAULT) {
		height = 256;
	}
	if (mipLevels == D3DX_DEFAULT) {
		mipLevels = 0;
	}
	if (format == D3DFMT_UNKNOWN) {
		format = D3DFMT_A8R8G8B8;
	}
	return device->CreateTexture(width, height, mipLevels, usage, format, pool, texture, nullptr);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR fileName, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD, DWORD,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* info, PALETTEENTRY*,
                                     IDirect3DTexture9** texture) {
	GLDevice* platformDevice = PlatformDevice(device);
	if (platformDevice == nullptr || texture == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*texture = nullptr;
	Image image;
	if (!LoadImageFile(fileName, image)) {
		return D3DXERR_INVALIDDATA;
	}
	D3DXIMAGE_INFO fileInfo{};
	FillInfo(image, &fileInfo);
	if (format == D3DFMT_UNKNOWN) {
		format = fileInfo.Format;
	}
	platformDevice->MakeCurrent();
	if (IsCompressed(fileInfo.Format) && (!IsCompressed(format) || !CompressedTexturesSupported())) {
		if (!Decompress(image)) {
			return D3DXERR_INVALIDDATA;
		}
		if (IsCompressed(format)) {
			format = D3DFMT_A8R8G8B8;
		}
	}
	if (!CompatibleFormats(FileFormat(image.format), format)) {
		return D3DXERR_INVALIDDATA;
	}
	const bool compressed = IsCompressed(format);
	const UINT textureWidth = ChooseSize(width, image.width, compressed);
	const UINT textureHeight = ChooseSize(height, image.height, compressed);
	const UINT levels = ChooseLevels(mipLevels, image, textureWidth, textureHeight, format);

	GLTexture* created = GLTexture::Create(*platformDevice, textureWidth, textureHeight, levels, usage, format, pool);
	if (created == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	platformDevice->MakeCurrent();
	if (!UploadFace(created->MutableStorage(), image, 0, colorKey)) {
		created->Release();
		return D3DXERR_INVALIDDATA;
	}
	if (info != nullptr) {
		*info = fileInfo;
	}
	*texture = created;
	return S_OK;
}

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR fileName, IDirect3DCubeTexture9** texture) {
	GLDevice* platformDevice = PlatformDevice(device);
	if (platformDevice == nullptr || texture == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	*texture = nullptr;
	Image image;
	if (!LoadImageFile(fileName, image) || !image.IsCube() || image.width != image.height) {
		return D3DXERR_INVALIDDATA;
	}
	platformDevice->MakeCurrent();
	if (IsCompressed(FileFormat(image.format)) && !CompressedTexturesSupported() && !Decompress(image)) {
		return D3DXERR_INVALIDDATA;
	}
	const D3DFORMAT format = FileFormat(image.format);
	const UINT levels = ChooseLevels(D3DX_DEFAULT, image, image.width, image.height, format);
	GLCubeTexture* created = GLCubeTexture::Create(*platformDevice, image.width, levels, 0, format, D3DPOOL_MANAGED);
	if (created == nullptr) {
		return D3DERR_INVALIDCALL;
	}
	platformDevice->MakeCurrent();
	for (UINT face = 0; face < 6; ++face) {
		if (!UploadFace(created->MutableStorage(), image, face, 0)) {
			created->Release();
			return D3DXERR_INVALIDDATA;
		}
	}
	*texture = created;
	return S_OK;
}
