#include "runtime/ui/statusbar_layout.h"

#include <algorithm>
#include <climits>

std::vector<int> statusFieldEdges(const std::vector<int>& widths, int available) {
    long long fixed = 0;
    int sharing = 0;
    for (int width : widths) {
        if (width == STATUS_FIELD_SHARED)
            ++sharing;
        else
            fixed += width;
    }
    const long long share = sharing > 0 ? (available - fixed) / sharing : 0;
    std::vector<int> edges;
    edges.reserve(widths.size());
    long long edge = 0;
    for (int width : widths) {
        edge += width == STATUS_FIELD_SHARED ? share : width;
        edges.push_back(static_cast<int>(std::clamp<long long>(edge, INT_MIN, INT_MAX)));
    }
    return edges;
}
