#pragma once

#include <cstddef>

// How many engine objects (CPObject) are alive: what a game left behind
// shows here once its services are gone.
std::size_t CountLiveObjects();
