#pragma once
// The byte stream of the system: a POSIX file or a growable memory buffer, with typed reads
// and writes in a per-stream byte order (big-endian unless switched).
#include "foundation/exception.h"
#include "foundation/location.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace vemora {

class BufferStream {
public:
    // 0: read past the end; 1: position outside 0..length.
    struct Exception {
        int code;
    };

    void write_byte(const void* src, unsigned long n);
    void read_byte(void* dst, unsigned long n);
    void setSize(unsigned long n);
    // Returns the previous position. Without the from-start flag the offset counts back from
    // the end.
    long setPos(long offset, bool fromStart);

    long getPos() const { return position_; }
    unsigned long getSize() const { return static_cast<unsigned long>(data_.size()); }
    const unsigned char* data() const { return data_.data(); }

private:
    int32_t position_ = 0;
    std::vector<unsigned char> data_;
};

class dxStream : public ListerException<dxStream, ExceptionDebuggErrorID> {
public:
    enum StreamSource { sourceFile = 0, sourceBuffer = 1 };
    enum Permission { readPermission = 1, writePermission = 2 };
    enum ByteOrder : int { bigEndian = 0, littleEndian = 1 };

    // Every file the system creates gets this creator code.
    static constexpr unsigned long kCreatorCode = 0x564D5258; // 'VMRX'

    explicit dxStream(StreamSource source = sourceFile);
    // A copy carries byte order, source, buffer and location but never the open file.
    dxStream(const dxStream& o);
    dxStream& operator=(const dxStream&) = delete;
    ~dxStream() override;

    bool open(const FileLocation& location, Permission permission, bool create);
    bool doOpen(const FSRef& ref, Permission permission);
    bool doOpen(const BasicUniString<unsigned short>& name, const FSRef& folder, Permission permission, bool create,
                unsigned long fileType, unsigned long creator);
    void close();
    bool isOpened() const { return isOpen_; }
    FileLocation getFileLocation() const;

    ByteOrder getByteOrder() const { return byteOrder_; }
    void setByteOrder(ByteOrder order) { byteOrder_ = order; }
    bool isBuffering() const { return source_ == sourceBuffer; }

    long long getPos();
    long long setPos(long long offset, bool fromStart);
    unsigned long long getSize();
    // Ends the stream at its position: a file rewritten with fewer bytes keeps no old tail.
    void setEOF();
    void gotoBOF() { setPos(0, true); }

    void write_byte(const unsigned char* src, unsigned long n);
    void read_byte(unsigned char* dst, unsigned long n);

    void write_bool(bool v);
    void read_bool(bool& v);
    void read_Uint1(unsigned char& v);
    void write_Uint2(unsigned short v);
    void read_Uint2(unsigned short& v);
    void write_Sint2(short v);
    void read_Sint2(short& v);
    void write_Uint4(unsigned long v);
    void read_Uint4(unsigned long& v);
    void write_Sint4(long v);
    void read_Sint4(long& v);
    void write_Uint8(unsigned long long v);
    void read_Uint8(unsigned long long& v);
    void write_Real8(double v);
    void read_Real8(double& v);
    template <class T>
    void read(T& v);

    // Copies the next n bytes of this stream to the position of dst, which must be buffering.
    void read_bufferStream(dxStream* dst, unsigned long n);
    // Decodes two bytes in memory with this stream's byte order; the stream is not touched.
    void buffer2_to_Uint2(const unsigned char* two, unsigned short* out) const;

    // The bytes of a buffering stream (null for a file stream).
    const unsigned char* getBufferData() const { return isBuffering() ? buffer_.data() : nullptr; }

private:
    void requireOpen();
    bool adoptFork(short fork, const FSRef& ref, Permission permission);
    void writeValue(unsigned long long v, int width);
    unsigned long long readValue(int width);

    bool isOpen_ = false;
    short forkRef_ = 0;
    Permission permission_ = readPermission;
    std::unique_ptr<FileLocation> location_;
    ByteOrder byteOrder_ = bigEndian;
    StreamSource source_;
    BufferStream buffer_;
};

template <>
inline void dxStream::read<unsigned long>(unsigned long& v)
{
    read_Uint4(v);
}

} // namespace vemora
