#include "foundation/stream.h"

#include "foundation/carbon_file.h"

#include <climits>
#include <cstring>

namespace vemora {

// ---- BufferStream ----

void BufferStream::write_byte(const void* src, unsigned long n)
{
    if (n == 0)
        return;
    const unsigned long long end = static_cast<unsigned long long>(position_) + n;
    if (end > static_cast<unsigned long long>(INT32_MAX))
        throw Exception{1};
    if (end > data_.size())
        data_.resize(static_cast<std::size_t>(end), 0);
    std::memcpy(data_.data() + position_, src, n);
    position_ = static_cast<int32_t>(end);
}

void BufferStream::read_byte(void* dst, unsigned long n)
{
    if (static_cast<unsigned long long>(position_) + n > data_.size())
        throw Exception{0};
    if (n == 0)
        return;
    std::memcpy(dst, data_.data() + position_, n);
    position_ += static_cast<int32_t>(n);
}

void BufferStream::setSize(unsigned long n)
{
    if (n > static_cast<unsigned long>(INT32_MAX))
        throw Exception{1};
    data_.resize(n, 0);
    if (static_cast<unsigned long>(position_) > n)
        position_ = static_cast<int32_t>(n);
}

long BufferStream::setPos(long offset, bool fromStart)
{
    const long long size = static_cast<long long>(data_.size());
    const long long target = fromStart ? static_cast<long long>(offset) : size - static_cast<long long>(offset);
    if (target < 0 || target > size)
        throw Exception{1};
    const long previous = position_;
    position_ = static_cast<int32_t>(target);
    return previous;
}

// ---- dxStream ----

dxStream::dxStream(StreamSource source)
    : ListerException<dxStream, ExceptionDebuggErrorID>(this), location_(std::make_unique<FileLocation>()),
      source_(source)
{
}

dxStream::dxStream(const dxStream& o)
    : ListerException<dxStream, ExceptionDebuggErrorID>(this), permission_(o.permission_),
      location_(std::make_unique<FileLocation>(*o.location_)), byteOrder_(o.byteOrder_), source_(o.source_),
      buffer_(o.buffer_)
{
}

dxStream::~dxStream()
{
    if (isOpen_)
        close();
}

bool dxStream::open(const FileLocation& location, Permission permission, bool create)
{
    if (isOpen_ || isBuffering())
        return false;
    FSRef ref;
    if (location.getFSRef(&ref))
        return doOpen(ref, permission);
    if (!create)
        return false;
    FSRef folder;
    if (!location.getDir().getFSRef(&folder))
        return false;
    return doOpen(location.getFileName(), folder, permission, true, location.getFileType(), kCreatorCode);
}

bool dxStream::doOpen(const FSRef& ref, Permission permission)
{
    if (isOpen_ || isBuffering())
        return false;
    short fork = 0;
    FSRef actual;
    if (!nsp_MacCarbonFile::openFile(&fork, ref, static_cast<signed char>(permission), &actual, false))
        return false;
    return adoptFork(fork, actual, permission);
}

bool dxStream::doOpen(const BasicUniString<unsigned short>& name, const FSRef& folder, Permission permission,
                      bool create, unsigned long fileType, unsigned long creator)
{
    if (isOpen_ || isBuffering())
        return false;
    FSRef existing;
    if (nsp_MacCarbonFile::searchFSRefByFileAndFolder(&existing, name, folder))
        return doOpen(existing, permission);
    if (!create)
        return false;
    short fork = 0;
    FSRef made;
    if (!nsp_MacCarbonFile::makeFile(&fork, &made, nullptr, folder, name, static_cast<signed char>(permission),
                                     fileType, creator))
        return false;
    return adoptFork(fork, made, permission);
}

bool dxStream::adoptFork(short fork, const FSRef& ref, Permission permission)
{
    FileLocation where = *location_;
    if (!where.assign(ref)) {
        nsp_MacCarbonFile::closeFork(fork);
        return false;
    }
    *location_ = where;
    forkRef_ = fork;
    permission_ = permission;
    isOpen_ = true;
    return true;
}

void dxStream::close()
{
    if (!isOpen_)
        return;
    if (permission_ == writePermission)
        nsp_MacCarbonFile::flushFork(forkRef_);
    nsp_MacCarbonFile::closeFork(forkRef_);
    forkRef_ = 0;
    isOpen_ = false;
}

FileLocation dxStream::getFileLocation() const
{
    if (!isOpen_)
        const_cast<dxStream*>(this)->raise_error(-1181, "File no open");
    return *location_;
}

void dxStream::requireOpen()
{
    if (!isOpen_)
        raise_error(-1181, "File no open");
}

long long dxStream::getPos()
{
    if (isBuffering())
        return buffer_.getPos();
    requireOpen();
    long long pos = 0;
    if (!nsp_MacCarbonFile::getForkPosition(forkRef_, &pos))
        raise_error(-1182, "Get position error from the file");
    return pos;
}

long long dxStream::setPos(long long offset, bool fromStart)
{
    if (isBuffering()) {
        // A buffer's positions are 32-bit; an offset that does not fit is out of range rather
        // than silently cut to another position.
        if (offset < INT32_MIN || offset > INT32_MAX)
            throw BufferStream::Exception{1};
        return buffer_.setPos(static_cast<long>(offset), fromStart);
    }
    const long long previous = getPos();
    // A stream opened for reading cannot be placed beyond its end: the next read would fail
    // anyway, and a writer never seeks past what it wrote.
    unsigned long long size = 0;
    const bool sized = nsp_MacCarbonFile::getForkSize(forkRef_, &size);
    bool ok = sized;
    if (ok && permission_ == readPermission) {
        const long long target = fromStart ? offset : static_cast<long long>(size) + offset;
        ok = target >= 0 && static_cast<unsigned long long>(target) <= size;
    }
    if (!ok || !nsp_MacCarbonFile::setForkPosition(forkRef_, fromStart, offset))
        raise_error(-1183, "Set position error from the file");
    return previous;
}

unsigned long long dxStream::getSize()
{
    if (isBuffering())
        return buffer_.getSize();
    requireOpen();
    unsigned long long size = 0;
    if (!nsp_MacCarbonFile::getForkSize(forkRef_, &size))
        raise_error(-1184, "Get file size error");
    return size;
}

void dxStream::setEOF()
{
    if (isBuffering()) {
        buffer_.setSize(static_cast<unsigned long>(buffer_.getPos()));
        return;
    }
    requireOpen();
    const long long pos = getPos();
    if (!nsp_MacCarbonFile::setForkSize(forkRef_, static_cast<unsigned long long>(pos)))
        raise_error(-1185, "Set file size error");
}

void dxStream::write_byte(const unsigned char* src, unsigned long n)
{
    if (isBuffering()) {
        buffer_.write_byte(src, n);
        return;
    }
    requireOpen();
    if (n && !nsp_MacCarbonFile::writeFork(forkRef_, src, n))
        raise_error(-1120, "Write byte error");
}

void dxStream::read_byte(unsigned char* dst, unsigned long n)
{
    if (isBuffering()) {
        buffer_.read_byte(dst, n);
        return;
    }
    requireOpen();
    if (n && !nsp_MacCarbonFile::readFork(forkRef_, dst, n))
        raise_error(-1121, "Read byte error");
}

void dxStream::writeValue(unsigned long long v, int width)
{
    unsigned char b[8];
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (byteOrder_ == bigEndian ? width - 1 - i : i);
        b[i] = static_cast<unsigned char>(v >> shift);
    }
    write_byte(b, static_cast<unsigned long>(width));
}

unsigned long long dxStream::readValue(int width)
{
    unsigned char b[8];
    read_byte(b, static_cast<unsigned long>(width));
    unsigned long long v = 0;
    for (int i = 0; i < width; ++i) {
        const int shift = 8 * (byteOrder_ == bigEndian ? width - 1 - i : i);
        v |= static_cast<unsigned long long>(b[i]) << shift;
    }
    return v;
}

void dxStream::write_bool(bool v)
{
    const unsigned char b = v ? 1 : 0;
    write_byte(&b, 1);
}

void dxStream::read_bool(bool& v)
{
    v = readValue(1) != 0;
}

void dxStream::read_Uint1(unsigned char& v)
{
    v = static_cast<unsigned char>(readValue(1));
}

void dxStream::write_Uint2(unsigned short v) { writeValue(v, 2); }
void dxStream::read_Uint2(unsigned short& v) { v = static_cast<unsigned short>(readValue(2)); }
void dxStream::write_Sint2(short v) { writeValue(static_cast<unsigned short>(v), 2); }
void dxStream::read_Sint2(short& v) { v = static_cast<short>(static_cast<unsigned short>(readValue(2))); }
void dxStream::write_Uint4(unsigned long v) { writeValue(v & 0xFFFFFFFFUL, 4); }
void dxStream::read_Uint4(unsigned long& v) { v = static_cast<unsigned long>(readValue(4)); }
void dxStream::write_Sint4(long v) { writeValue(static_cast<uint32_t>(v), 4); }
void dxStream::read_Sint4(long& v) { v = static_cast<int32_t>(static_cast<uint32_t>(readValue(4))); }
void dxStream::write_Uint8(unsigned long long v) { writeValue(v, 8); }
void dxStream::read_Uint8(unsigned long long& v) { v = readValue(8); }

void dxStream::write_Real8(double v)
{
    unsigned long long bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    write_Uint8(bits);
}

void dxStream::read_Real8(double& v)
{
    const unsigned long long bits = readValue(8);
    std::memcpy(&v, &bits, sizeof v);
}

void dxStream::read_bufferStream(dxStream* dst, unsigned long n)
{
    if (!dst || !dst->isBuffering())
        raise_error(-1194, "Assign stream is not buffering");
    // The count usually comes from the data being read: check it against what is left before
    // allocating the temporary buffer.
    const unsigned long long left = getSize() - static_cast<unsigned long long>(getPos());
    if (n > left) {
        if (isBuffering())
            throw BufferStream::Exception{0};
        raise_error(-1121, "Read byte error");
    }
    std::vector<unsigned char> tmp(n);
    read_byte(tmp.data(), n);
    dst->write_byte(tmp.data(), n);
}

void dxStream::buffer2_to_Uint2(const unsigned char* two, unsigned short* out) const
{
    *out = byteOrder_ == bigEndian ? static_cast<unsigned short>((two[0] << 8) | two[1])
                                   : static_cast<unsigned short>((two[1] << 8) | two[0]);
}

} // namespace vemora
