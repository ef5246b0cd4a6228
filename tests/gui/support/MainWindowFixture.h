#pragma once

#include "app/MainWindow.h"
#include "app/QtMainThreadDispatcher.h"
#include "support/GuiTestApplication.h"
#include "support/ScriptedSearchEngine.h"
#include "support/TempDir.h"

#include <functional>
#include <gtest/gtest.h>
#include <memory>

// A main window on the offscreen platform with its own settings file, recorded
// message boxes and a scripted search engine whose hits go into the window's list.
class MainWindowFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // (Re)creates the window over the fixture's settings file.
    void createWindow();
    void destroyWindow();
    // Runs the event loop until done holds or timeout_ms pass; returns done().
    static bool processUntil(const std::function<bool()>& done, int timeoutMs = 10000);
    // Types the text into a box and presses Enter there.
    void typeAndEnter(QComboBox* box, const QString& text);
    // n share hits \\PC1\share\fileN.txt of N * 100 bytes.
    static std::vector<TItemRecord> ShareHits(int count);

    TempDir folder;
    QString settingsPath;
    TRecordingPrompts prompts;
    std::unique_ptr<TQtMainThreadDispatcher> dispatcher;
    std::unique_ptr<TScriptedSearchEngine> engine;
    std::unique_ptr<TMainWindow> window;
};
