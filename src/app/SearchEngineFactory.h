#pragma once

#include "app/SearchEngineLink.h"

#include <memory>

class MainThreadDispatcher;
class TMainWindow;

// The search engine of the program: the engine's queue thread with the platform's
// services (SMB agents, FTP, network browse, host checks), delivering hits into the
// window's result list with their icons.
std::unique_ptr<TSearchEngineLink> CreateSearchEngine(MainThreadDispatcher& dispatcher, TMainWindow& window);
