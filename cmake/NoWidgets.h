// First in every source of the layers and tools that must build without widgets (data, search,
// export, updates, rates, the command-line tools), as the first header of their precompiled
// headers or forced in: every Qt Widgets class is declared with this export macro, so including
// any widget header, by any path, stops the compiler here.
#pragma once
#pragma GCC poison Q_WIDGETS_EXPORT
