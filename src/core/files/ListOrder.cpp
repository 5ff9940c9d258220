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

std::vector<int> naturalOrder(const std::vector<ListedFile>& files) {
    std::vector<int> order = rows(files.size());
    std::stable_sort(order.begin(), order.end(), [&files](int a, int b) {
        return naturalLess(files[size_t(a)].name, files[size_t(b)].name);
    });
    return order;
}

std::vector<int> timeOrder(const std::vector<ListedFile>& files) {
    std::vector<int> order = rows(files.size());
    std::stable_sort(order.begin(), order.end(), [&files](int a, int b) {
        const ListedFile& fa = files[size_t(a)];
        const ListedFile& fb = files[size_t(b)];
        if (fa.time.isKnown() != fb.time.isKnown())
            return fa.time.isKnown();
        if (fa.time.isKnown() && fa.time.correctedMsecs() != fb.time.correctedMsecs())
            return fa.time.correctedMsecs() < fb.time.correctedMsecs();
        return naturalLess(fa.name, fb.name);
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
