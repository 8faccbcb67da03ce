#pragma once
// Scenes for tests: each one writes what happens to it into a shared log
// and answers its Update from a script, so the manager and the main loop
// can be watched without the real scenes' resources.

#include "scene/SceneBase.h"
#include "scene/SceneManager.h"

#include <functional>
#include <string>
#include <vector>

struct SceneLog {
	std::vector<std::string> events;  // "<name>.<what>"
	int Count(const std::string& event) const {
		int count = 0;
		for (const std::string& e : events) {
			count += e == event ? 1 : 0;
		}
		return count;
	}
};

class LoggingScene : public SceneBase {
public:
	// update returns the id to go to; by default the scene stays.
	LoggingScene(SceneLog& log, std::string name, int32_t sceneId, std::function<int32_t()> update = nullptr,
	             std::function<void()> draw = nullptr)
		: log(log), name(std::move(name)), sceneId(sceneId), update(std::move(update)), draw(std::move(draw)) {
		Init();
	}
	~LoggingScene() override { log.events.push_back(name + ".destroy"); }

	void Init() override {
		id = sceneId;
		log.events.push_back(name + ".init");
	}
	int32_t Update() override {
		log.events.push_back(name + ".update");
		return update ? update() : id;
	}
	void Draw() override {
		log.events.push_back(name + ".draw");
		if (draw) {
			draw();
		}
	}
	void Uninit() override { log.events.push_back(name + ".uninit"); }

private:
	SceneLog& log;
	std::string name;
	int32_t sceneId;
	std::function<int32_t()> update;
	std::function<void()> draw;
};
