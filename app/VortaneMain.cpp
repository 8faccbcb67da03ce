// VORTANE: the game. No arguments; the exit code is always 0.

#include "app/Application.h"

int main() {
	Application& application = Application::Get();
	if (application.InitWindow(GetModuleHandleA(nullptr), 1280, 720)) {
		application.Run();
		application.Shutdown();
	}
	return 0;
}
