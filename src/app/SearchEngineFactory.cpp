#include "app/SearchEngineFactory.h"

std::unique_ptr<TSearchEngineLink> CreateSearchEngine(MainThreadDispatcher&, TMainWindow&)
{
    return nullptr;
}
