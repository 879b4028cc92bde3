#include "grid/PendingRows.h"

QList<std::pair<int, int>> PendingRows::take(const std::function<bool(int row)> &ready) {
    QList<std::pair<int, int>> runs;
    for (auto it = rows_.begin(); it != rows_.end();) {
        const int row = *it;
        if (!ready(row)) {
            ++it;
            continue;
        }
        if (!runs.isEmpty() && runs.last().second == row - 1) runs.last().second = row;
        else runs.append({row, row});
        it = rows_.erase(it);
    }
    return runs;
}
