#include "model/StopFlag.h"

std::atomic<int> StopFlag{0};
bool SearchRunning = false;
