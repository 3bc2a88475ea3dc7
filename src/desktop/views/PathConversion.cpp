#include "views/PathConversion.h"

namespace kestrane {

void toPainterPath(const Path& path, QPainterPath& out)
{
    out.clear();
    out.setFillRule(Qt::WindingFill);
    out.reserve(static_cast<int>(path.elements.size()));
    for (const Path::Element& element : path.elements) {
        switch (element.op) {
        case Path::Op::Move:
            out.moveTo(element.x, element.y);
            break;
        case Path::Op::Line:
            out.lineTo(element.x, element.y);
            break;
        case Path::Op::Close:
            out.closeSubpath();
            break;
        }
    }
}

QPainterPath toPainterPath(const Path& path)
{
    QPainterPath out;
    toPainterPath(path, out);
    return out;
}

} // namespace kestrane
