#pragma once

#include <functional>

class QQmlApplicationEngine;
class QUrl;

// Process-wide set-up that must happen before the application object exists.
void prepareProcess();
// The application's identity, once the application object exists.
void nameApplication();
// Before the first window: Qt Quick's own software renderer where OpenGL has no GPU behind it.
void chooseSceneGraph();

// The whole life of the process: prepares Qt, builds the shell objects and the modules,
// loads the main document and runs the event loop. Returns the exit code (-1 when the
// main document cannot be created). `loaded` lets a benchmark watch the loaded engine.
int runKestro(int &argc, char **argv, const QUrl &mainUrl,
              const std::function<void(QQmlApplicationEngine &)> &loaded = {});
