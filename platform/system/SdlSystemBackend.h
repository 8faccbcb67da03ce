#pragma once
// The desktop: SDL events become window messages, SDL's keyboard and mouse
// state answer the key queries, message boxes are SDL's.
//
// Where a hidden cursor could not be warped reliably (Wayland, some X
// servers), the backend uses SDL's relative mouse mode instead and reports
// the last position set plus the motion since, which is what a game that
// re-centres the cursor every frame reads on Windows.

#include "platform/system/SystemBackend.h"

#include <SDL.h>

class SdlSystemBackend : public SystemBackend {
public:
	void PumpMessages() override;
	bool IsKeyDown(int virtualKey) override;
	POINT CursorPosition() override;
	void SetCursorPosition(POINT position) override;
	void SetCursorVisible(bool visible) override;
	int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
	DWORD Milliseconds() override;
	void Sleep(DWORD milliseconds) override;

private:
	void HandleWindowEvent(const SDL_WindowEvent& event, bool& closePosted);
	void SetRelativeMode(bool relative);

	bool relativeMode = false;
	POINT relativeBase = {0, 0};   // the last position set, or where relative mode began
	POINT relativeMotion = {0, 0};  // motion since relativeBase
};
