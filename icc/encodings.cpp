#include "icc/encodings.h"

#include "foundation/exception.h"

namespace vemora {
namespace cms {

namespace {

[[noreturn]] void fail(long id, const char* message)
{
    throw ExceptionDebuggErrorID(id, message);
}

// Runs one stream transfer; whatever it throws (stream errors, over-limit records) becomes the
// function's own record, so a refused write leaves two console lines.
template <class F>
void wrapped(long id, const char* message, F&& f)
{
    try {
        f();
    } catch (...) {
        fail(id, message);
    }
}

} // namespace

unsigned long long remainingBytes(dxStream& s)
{
    const unsigned long long size = s.getSize();
    const long long pos = s.getPos();
    return pos < 0 || static_cast<unsigned long long>(pos) > size ? 0 : size - static_cast<unsigned long long>(pos);
}

void requireBytes(dxStream& s, unsigned long long n)
{
    if (n > remainingBytes(s)) {
        if (s.isBuffering())
            throw BufferStream::Exception{0};
        throw ExceptionDebuggErrorID(-1121, "Read byte error");
    }
}

// ---- uInt8Number ----

unsigned long read_uInt8Number(const unsigned char* p) { return p[0]; }

unsigned long read_uInt8Number(dxStream& s)
{
    unsigned char b[1];
    wrapped(-6215, "read_uInt8Number error", [&] { s.read_byte(b, 1); });
    return read_uInt8Number(b);
}

void write_uInt8Number(unsigned char* p, unsigned long v)
{
    if (v >= 256)
        fail(-6200, "write_uInt8Number over limit");
    p[0] = static_cast<unsigned char>(v);
}

void write_uInt8Number(dxStream& s, unsigned long v)
{
    wrapped(-6216, "write_uInt8Number error", [&] {
        unsigned char b[1];
        write_uInt8Number(b, v);
        s.write_byte(b, 1);
    });
}

// ---- uInt16Number ----

unsigned long read_uInt16Number(const unsigned char* p) { return (static_cast<unsigned long>(p[0]) << 8) | p[1]; }

unsigned long read_uInt16Number(dxStream& s)
{
    unsigned char b[2];
    wrapped(-6217, "read_uInt16Number error", [&] { s.read_byte(b, 2); });
    return read_uInt16Number(b);
}

void write_uInt16Number(unsigned char* p, unsigned long v)
{
    if (v >= 65536)
        fail(-6201, "write_uInt16Number over limit");
    p[0] = static_cast<unsigned char>(v >> 8);
    p[1] = static_cast<unsigned char>(v);
}

void write_uInt16Number(dxStream& s, unsigned long v)
{
    wrapped(-6218, "write_uInt16Number error", [&] {
        unsigned char b[2];
        write_uInt16Number(b, v);
        s.write_byte(b, 2);
    });
}

// ---- uInt32Number ----

unsigned long read_uInt32Number(const unsigned char* p)
{
    return (static_cast<unsigned long>(p[0]) << 24) | (static_cast<unsigned long>(p[1]) << 16) |
           (static_cast<unsigned long>(p[2]) << 8) | p[3];
}

unsigned long read_uInt32Number(dxStream& s)
{
    unsigned char b[4];
    wrapped(-6219, "read_uInt32Number error", [&] { s.read_byte(b, 4); });
    return read_uInt32Number(b);
}

void write_uInt32Number(unsigned char* p, unsigned long v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

void write_uInt32Number(dxStream& s, unsigned long v)
{
    wrapped(-6220, "write_uInt32Number error", [&] {
        unsigned char b[4];
        write_uInt32Number(b, v);
        s.write_byte(b, 4);
    });
}

// ---- u8Fixed8Number: rounds to nearest on writing ----

double read_u8Fixed8Number(const unsigned char* p) { return static_cast<double>(read_uInt16Number(p)) / 256.0; }

double read_u8Fixed8Number(dxStream& s)
{
    unsigned char b[2];
    wrapped(-6223, "read_u8Fixed8Number error", [&] { s.read_byte(b, 2); });
    return read_u8Fixed8Number(b);
}

void write_u8Fixed8Number(unsigned char* p, double x)
{
    const double v = x * 256.0 + 0.5;
    // Written so that NaN is refused too.
    if (!(v >= 0.0 && v < 65536.0))
        fail(-6203, "write_u8Fixed8Number over limit");
    write_uInt16Number(p, static_cast<unsigned long>(v));
}

void write_u8Fixed8Number(dxStream& s, double x)
{
    wrapped(-6224, "write_u8Fixed8Number error", [&] {
        unsigned char b[2];
        write_u8Fixed8Number(b, x);
        s.write_byte(b, 2);
    });
}

// ---- s15Fixed16Number: truncates toward zero on writing ----

double read_s15Fixed16Number(const unsigned char* p)
{
    const auto raw = static_cast<uint32_t>(read_uInt32Number(p));
    return static_cast<double>(static_cast<int32_t>(raw)) / 65536.0;
}

double read_s15Fixed16Number(dxStream& s)
{
    unsigned char b[4];
    wrapped(-6227, "read_s15Fixed16Number error", [&] { s.read_byte(b, 4); });
    return read_s15Fixed16Number(b);
}

void write_s15Fixed16Number(unsigned char* p, double x)
{
    const double v = x * 65536.0;
    if (!(v >= -2147483648.0 && v < 2147483648.0))
        fail(-6205, "write_s16Fixed16Number over limit");
    const auto fixed = static_cast<int32_t>(v);
    write_uInt32Number(p, static_cast<uint32_t>(fixed));
}

void write_s15Fixed16Number(dxStream& s, double x)
{
    wrapped(-6228, "write_s15Fixed16Number error", [&] {
        unsigned char b[4];
        write_s15Fixed16Number(b, x);
        s.write_byte(b, 4);
    });
}

// ---- dateTimeNumber ----

void read_dateTimeNumber(unsigned long* year, unsigned long* month, unsigned long* day, unsigned long* hours,
                         unsigned long* minutes, unsigned long* seconds, const unsigned char* p)
{
    *year = read_uInt16Number(p);
    *month = read_uInt16Number(p + 2);
    *day = read_uInt16Number(p + 4);
    *hours = read_uInt16Number(p + 6);
    *minutes = read_uInt16Number(p + 8);
    *seconds = read_uInt16Number(p + 10);
}

void read_dateTimeNumber(unsigned long* year, unsigned long* month, unsigned long* day, unsigned long* hours,
                         unsigned long* minutes, unsigned long* seconds, dxStream& s)
{
    unsigned char b[12];
    wrapped(-6243, "read_dateTimeNumber error", [&] { s.read_byte(b, 12); });
    read_dateTimeNumber(year, month, day, hours, minutes, seconds, b);
}

// ---- XYZNumber ----

void read_XYZNumber(double* x, double* y, double* z, const unsigned char* p)
{
    *x = read_s15Fixed16Number(p);
    *y = read_s15Fixed16Number(p + 4);
    *z = read_s15Fixed16Number(p + 8);
}

void read_XYZNumber(double* x, double* y, double* z, dxStream& s)
{
    unsigned char b[12];
    wrapped(-6245, "read_XYZNumber error", [&] { s.read_byte(b, 12); });
    read_XYZNumber(x, y, z, b);
}

void write_XYZNumber(unsigned char* p, double x, double y, double z)
{
    write_s15Fixed16Number(p, x);
    write_s15Fixed16Number(p + 4, y);
    write_s15Fixed16Number(p + 8, z);
}

void write_XYZNumber(dxStream& s, double x, double y, double z)
{
    wrapped(-6246, "write_XYZNumber error", [&] {
        unsigned char b[12];
        write_XYZNumber(b, x, y, z);
        s.write_byte(b, 12);
    });
}

namespace vemICC {

// ---- Signature ----

void Signature::iccWrite(dxStream& s) const
{
    wrapped(-6602, "dxICC_Signature::iccWrite error", [&] { write_uInt32Number(s, value_); });
}

void Signature::iccRead(dxStream& s)
{
    wrapped(-6603, "dxICC_Signature::iccRead error", [&] { value_ = read_uInt32Number(s); });
}

// ---- alignment and reserved bytes ----

long long writeFourByteAlignment(dxStream& s)
{
    const long long p = s.getPos();
    if (p % 4) {
        static const unsigned char zeros[4] = {0, 0, 0, 0};
        s.write_byte(zeros, static_cast<unsigned long>(4 - p % 4));
    }
    return s.getPos();
}

long long readFourByteAlignment(dxStream& s)
{
    const long long p = s.getPos();
    if (p % 4) {
        unsigned char skip[4];
        s.read_byte(skip, static_cast<unsigned long>(4 - p % 4));
    }
    return s.getPos();
}

void writeReserved(dxStream& s, unsigned long n)
{
    wrapped(-6604, "writeReserved error", [&] {
        static const unsigned char zeros[64] = {};
        while (n) {
            const unsigned long k = n < sizeof zeros ? n : sizeof zeros;
            s.write_byte(zeros, k);
            n -= k;
        }
    });
}

void readReserved(dxStream& s, unsigned long n)
{
    wrapped(-6606, "readReserved error", [&] {
        // The count may come from the data (an 'mluc' record size): refuse it before reading
        // rather than discarding byte after byte up to the end.
        requireBytes(s, n);
        unsigned char skip[64];
        while (n) {
            const unsigned long k = n < sizeof skip ? n : sizeof skip;
            s.read_byte(skip, k);
            n -= k;
        }
    });
}

// ---- MatrixPack ----

MatrixPack::MatrixPack(Version v)
    : matrix{1, 0, 0, 0, 1, 0, 0, 0, 1}, offset{0, 0, 0}, version(v)
{
}

void MatrixPack::iccWrite(dxStream& s) const
{
    wrapped(-6608, "MatrixPack::iccWrite error", [&] {
        for (double e : matrix)
            write_s15Fixed16Number(s, e);
        if (version != iccV2)
            for (double e : offset)
                write_s15Fixed16Number(s, e);
    });
}

void MatrixPack::iccRead(dxStream& s)
{
    wrapped(-6609, "MatrixPack::iccRead error", [&] {
        for (double& e : matrix)
            e = read_s15Fixed16Number(s);
        if (version != iccV2)
            for (double& e : offset)
                e = read_s15Fixed16Number(s);
    });
}

} // namespace vemICC
} // namespace cms
} // namespace vemora
