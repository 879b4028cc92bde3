#pragma once
#include <QtGlobal>
#include <random>
#include <vector>

// The generated rows' one source of chance: the same seed gives the same draws on every machine
// the same build runs on.
class Random {
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T> const T &pick(const std::vector<T> &v) { return v[below(int(v.size()))]; }

private:
    std::mt19937_64 engine_;
};
