#pragma once

#include "instrument/Brisbleep.h"

#include <memory>

// Each WebAssembly instance holds one instrument: the page's, whose editor is drawn into the canvas,
// or the worklet's, which plays. The page and the worklet keep them in step through their exports.
// Created by the instance's init call; none before.
std::unique_ptr<Brisbleep>& WebInstrument();

// The exports of both modules, callable from JavaScript by these names.
#define BB_EXPORT extern "C" __attribute__((used, visibility("default")))
