#pragma once

namespace vemora {

class dxStream;

class Vertex2 {
public:
    Vertex2() = default;
    Vertex2(double x_, double y_) : x(x_), y(y_) {}
    Vertex2(const Vertex2&) = default;
    Vertex2& operator=(const Vertex2&) = default;
    virtual ~Vertex2() = default;

    // x then y as IEEE 754 doubles in the stream's byte order; -5500 / -5501 on failure.
    virtual void write(dxStream& s) const;
    virtual void read(dxStream& s);

    bool operator==(const Vertex2& o) const { return x == o.x && y == o.y; }

    double x = 0.0;
    double y = 0.0;
};

class dxPoint : public Vertex2 {
public:
    using Vertex2::Vertex2;
};

class Coordinate2D {
public:
    Coordinate2D() = default;
    Coordinate2D(const Vertex2& origin_, double unitX_, double unitY_) : origin(origin_), unitX(unitX_), unitY(unitY_) {}

    // Maps a point given in the frame `from` into this frame.
    Vertex2 convert_from(const Vertex2& v, const Coordinate2D& from) const;

    Vertex2 origin;
    double unitX = 1.0;
    double unitY = 1.0;
};

} // namespace vemora
