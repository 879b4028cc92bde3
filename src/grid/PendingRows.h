#pragma once
#include <QList>
#include <functional>
#include <set>
#include <utility>

// The rows a view was shown as pending (not read yet), so that each is repainted once it has
// come, and only those.
class PendingRows {
public:
    void add(int row) { rows_.insert(row); }
    bool contains(int row) const { return rows_.contains(row); }
    void clear() { rows_.clear(); }
    // Takes the rows `ready` says have come, as runs of consecutive rows [first, last].
    QList<std::pair<int, int>> take(const std::function<bool(int row)> &ready);

private:
    std::set<int> rows_;
};
