#pragma once
// What the device needs of any texture to bind it: its GL storage. Both the
// 2D and the cube texture provide it.

class GLTextureStorage;

class GLTextureBinding {
public:
	virtual const GLTextureStorage& Storage() const = 0;

protected:
	~GLTextureBinding() = default;
};
