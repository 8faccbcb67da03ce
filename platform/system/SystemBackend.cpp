#include "platform/system/SystemBackend.h"

#include "platform/system/SdlSystemBackend.h"
#include "platform/system/Win32.h"

namespace {

SystemBackend* activeBackend = nullptr;

SystemBackend& DesktopBackend() {
	static SdlSystemBackend desktop;
	return desktop;
}

}  // namespace

SystemBackend& ActiveSystemBackend() { return activeBackend != nullptr ? *activeBackend : DesktopBackend(); }

void SetSystemBackend(SystemBackend* backend) { activeBackend = backend; }

bool MessageBoxIsQuestion(UINT type) { return (type & MB_TYPEMASK) == MB_YESNO; }

int MessageBoxDefaultAnswer(UINT type) {
	if (!MessageBoxIsQuestion(type)) {
		return IDOK;
	}
	return (type & MB_DEFMASK) == MB_DEFBUTTON2 ? IDNO : IDYES;
}
