// Forced into every source of the layers that must build without widgets (data, updates): every
// Qt Widgets class is declared with this export macro, so including any widget header, by any
// path, stops the compiler here.
#pragma once
#pragma GCC poison Q_WIDGETS_EXPORT
