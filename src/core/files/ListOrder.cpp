#include "core/files/ListOrder.h"

#include "core/text/NaturalOrder.h"

#include <algorithm>
#include <numeric>

namespace {

std::vector<int> rows(size_t count) {
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

}  // namespace

std::vector<int> naturalOrder(const std::vector<Shot>& shots) {
    std::vector<int> order = rows(shots.size());
    std::stable_sort(order.begin(), order.end(), [&shots](int a, int b) {
        return naturalLess(shots[size_t(a)].first().name, shots[size_t(b)].first().name);
    });
    return order;
}

std::vector<int> timeOrder(const std::vector<Shot>& shots) {
    std::vector<int> order = rows(shots.size());
    std::vector<const ShootingTime*> times;
    times.reserve(shots.size());
    for (const Shot& shot : shots)
        times.push_back(&shotTime(shot));
    std::stable_sort(order.begin(), order.end(), [&shots, &times](int a, int b) {
        const ShootingTime& ta = *times[size_t(a)];
        const ShootingTime& tb = *times[size_t(b)];
        if (ta.isKnown() != tb.isKnown())
            return ta.isKnown();
        if (ta.isKnown() && ta.correctedMsecs() != tb.correctedMsecs())
            return ta.correctedMsecs() < tb.correctedMsecs();
        return naturalLess(shots[size_t(a)].first().name, shots[size_t(b)].first().name);
    });
    return order;
}

std::vector<int> orderMovingTo(const std::vector<bool>& selected, int destination) {
    const int count = int(selected.size());
    destination = std::clamp(destination, 0, count);
    std::vector<int> order;
    order.reserve(selected.size());
    for (int row = 0; row < destination; ++row) {
        if (!selected[size_t(row)])
            order.push_back(row);
    }
    for (int row = 0; row < count; ++row) {
        if (selected[size_t(row)])
            order.push_back(row);
    }
    for (int row = destination; row < count; ++row) {
        if (!selected[size_t(row)])
            order.push_back(row);
    }
    return order;
}

std::vector<int> orderMovingByOne(const std::vector<bool>& selected, int step) {
    std::vector<int> order = rows(selected.size());
    const int count = int(selected.size());
    if (count == 0 || (step != -1 && step != 1))
        return order;
    if (selected[step < 0 ? 0 : size_t(count - 1)])
        return order;
    // Walking towards the far end, each selected row trades places with the
    // row before it in the walk; a block of selected rows thus passes its
    // unselected neighbour as one.
    if (step < 0) {
        for (int row = 1; row < count; ++row) {
            if (selected[size_t(row)])
                std::swap(order[size_t(row) - 1], order[size_t(row)]);
        }
    } else {
        for (int row = count - 2; row >= 0; --row) {
            if (selected[size_t(row)])
                std::swap(order[size_t(row)], order[size_t(row) + 1]);
        }
    }
    return order;
}

bool isIdentity(const std::vector<int>& order) {
    for (size_t k = 0; k < order.size(); ++k) {
        if (order[k] != int(k))
            return false;
    }
    return true;
}
