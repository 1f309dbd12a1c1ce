#include "foundation/vertex.h"

#include "foundation/exception.h"
#include "foundation/stream.h"

namespace vemora {

void Vertex2::write(dxStream& s) const
{
    try {
        s.write_Real8(x);
        s.write_Real8(y);
    } catch (...) {
        throw ExceptionDebuggErrorID(-5500, "Vertex2 write error");
    }
}

void Vertex2::read(dxStream& s)
{
    try {
        double nx = 0, ny = 0;
        s.read_Real8(nx);
        s.read_Real8(ny);
        x = nx;
        y = ny;
    } catch (...) {
        throw ExceptionDebuggErrorID(-5501, "Vertex2 read error");
    }
}

Vertex2 Coordinate2D::convert_from(const Vertex2& v, const Coordinate2D& from) const
{
    return Vertex2(origin.x + unitX * (v.x - from.origin.x) / from.unitX,
                   origin.y + unitY * (v.y - from.origin.y) / from.unitY);
}

} // namespace vemora
