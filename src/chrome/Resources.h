#pragma once

// Registers the window bitmaps compiled into the chrome library (":/images/..."). A resource in a
// static library is linked only when something refers to it, so every program that shows a
// window calls this once before loading a picture; further calls do nothing.
void loadChromeResources();
