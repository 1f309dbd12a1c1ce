#pragma once
// The number types of the ICC profile format (ICC.1:2010 section 4), the four-character
// signature, reserved and alignment bytes, and the 3x3(+3) matrix of the LUT types. All ICC
// numbers are big-endian, whatever byte order the stream is set to.
#include "foundation/stream.h"

namespace vemora {
namespace cms {

unsigned long read_uInt8Number(const unsigned char* p);
unsigned long read_uInt8Number(dxStream& s);
void write_uInt8Number(unsigned char* p, unsigned long v);
void write_uInt8Number(dxStream& s, unsigned long v);

unsigned long read_uInt16Number(const unsigned char* p);
unsigned long read_uInt16Number(dxStream& s);
void write_uInt16Number(unsigned char* p, unsigned long v);
void write_uInt16Number(dxStream& s, unsigned long v);

unsigned long read_uInt32Number(const unsigned char* p);
unsigned long read_uInt32Number(dxStream& s);
void write_uInt32Number(unsigned char* p, unsigned long v);
void write_uInt32Number(dxStream& s, unsigned long v);

double read_u8Fixed8Number(const unsigned char* p);
double read_u8Fixed8Number(dxStream& s);
void write_u8Fixed8Number(unsigned char* p, double x);
void write_u8Fixed8Number(dxStream& s, double x);

double read_s15Fixed16Number(const unsigned char* p);
double read_s15Fixed16Number(dxStream& s);
void write_s15Fixed16Number(unsigned char* p, double x);
void write_s15Fixed16Number(dxStream& s, double x);

void read_dateTimeNumber(unsigned long* year, unsigned long* month, unsigned long* day, unsigned long* hours,
                         unsigned long* minutes, unsigned long* seconds, const unsigned char* p);
void read_dateTimeNumber(unsigned long* year, unsigned long* month, unsigned long* day, unsigned long* hours,
                         unsigned long* minutes, unsigned long* seconds, dxStream& s);

void read_XYZNumber(double* x, double* y, double* z, const unsigned char* p);
void read_XYZNumber(double* x, double* y, double* z, dxStream& s);
void write_XYZNumber(unsigned char* p, double x, double y, double z);
void write_XYZNumber(dxStream& s, double x, double y, double z);

// Bytes left between the stream's position and its end.
unsigned long long remainingBytes(dxStream& s);
// Counts and sizes read from a profile are checked with this before anything is allocated or
// read for them: it fails like a read past the end when fewer than n bytes are left.
void requireBytes(dxStream& s, unsigned long long n);

namespace vemICC {

// Generation of the LUT encodings: 'mft1'/'mft2' tables (3x3 matrix, legacy 16-bit Lab) or
// 'mAB '/'mBA ' tables (3x3 matrix and offsets).
enum Version : unsigned long { iccV2 = 0x02000000, iccV4 = 0x04000000 };

class Signature {
public:
    Signature(unsigned long v = 0) : value_(v & 0xFFFFFFFFUL) {}
    void set(unsigned long v) { value_ = v & 0xFFFFFFFFUL; }
    unsigned long get() const { return value_; }
    bool operator!=(const Signature& o) const { return value_ != o.value_; }
    void iccWrite(dxStream& s) const;
    void iccRead(dxStream& s);

private:
    unsigned long value_;
};

// Four-character code as a 32-bit value, first character in the most significant byte.
constexpr unsigned long sig(const char (&c)[5])
{
    return (static_cast<unsigned long>(static_cast<unsigned char>(c[0])) << 24) |
           (static_cast<unsigned long>(static_cast<unsigned char>(c[1])) << 16) |
           (static_cast<unsigned long>(static_cast<unsigned char>(c[2])) << 8) |
           static_cast<unsigned long>(static_cast<unsigned char>(c[3]));
}

long long writeFourByteAlignment(dxStream& s);
long long readFourByteAlignment(dxStream& s);
void writeReserved(dxStream& s, unsigned long n);
void readReserved(dxStream& s, unsigned long n);

struct MatrixPack {
    explicit MatrixPack(Version v = iccV2);
    void iccWrite(dxStream& s) const;
    void iccRead(dxStream& s);

    double matrix[9];
    double offset[3];
    Version version;
};

} // namespace vemICC
} // namespace cms
} // namespace vemora
