#pragma once

#include <vector>

namespace kestrane {

// A plain vector path of closed polygons; the desktop layer turns it into its own path type.
struct Path {
    enum class Op { Move, Line, Close };
    struct Element {
        Op op;
        double x;
        double y;
        bool operator==(const Element&) const = default;
    };

    std::vector<Element> elements;

    void moveTo(double x, double y) { elements.push_back({ Op::Move, x, y }); }
    void lineTo(double x, double y) { elements.push_back({ Op::Line, x, y }); }
    void close() { elements.push_back({ Op::Close, 0, 0 }); }
    bool empty() const { return elements.empty(); }
    void clear() { elements.clear(); }
    bool operator==(const Path&) const = default;
};

} // namespace kestrane
