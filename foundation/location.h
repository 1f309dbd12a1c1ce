#pragma once
// Value types naming folders and files: totally ordered (map keys), serialisable into streams,
// and turned into platform references when the file is needed.
#include "foundation/carbon_file.h"
#include "foundation/unistring.h"

#include <cstdint>

namespace vemora {

class dxStream;

class DirLocation {
public:
    DirLocation() = default;
    explicit DirLocation(const FSRef& ref) { assign(ref); }

    void setVolume(short v)
    {
        volume_ = v;
        hasVolume_ = true;
    }
    void setDir(unsigned long id)
    {
        dirID_ = static_cast<uint32_t>(id);
        hasDir_ = true;
    }
    short getVolume() const { return volume_; }
    unsigned long getDirID() const { return dirID_; }
    bool hasVolume() const { return hasVolume_; }
    bool hasDir() const { return hasDir_; }

    bool assign(const FSRef& ref);
    bool getFSRef(FSRef* out) const;
    bool getSubDir(DirLocation* out, const BasicUniString<unsigned short>& name) const;

    // Volume and folder id; the flags are not compared.
    bool operator==(const DirLocation& o) const { return volume_ == o.volume_ && dirID_ == o.dirID_; }
    bool operator!=(const DirLocation& o) const { return !(*this == o); }
    bool operator<(const DirLocation& o) const
    {
        return volume_ != o.volume_ ? volume_ < o.volume_ : dirID_ < o.dirID_;
    }

    // 8 bytes: volume (2, signed), folder id (4), hasVolume (1), hasDir (1).
    void write(dxStream& s) const;
    void read(dxStream& s);

private:
    short volume_ = 0;
    uint32_t dirID_ = 0;
    bool hasVolume_ = false;
    bool hasDir_ = false;
};

class FileLocation {
public:
    FileLocation() = default;
    explicit FileLocation(const FSRef& ref) { assign(ref); }
    FileLocation(const DirLocation& dir, const BasicUniString<unsigned short>& name, unsigned long fileType)
        : dir_(dir), fileName_(name), fileType_(static_cast<uint32_t>(fileType))
    {
    }

    const DirLocation& getDir() const { return dir_; }
    short getVolume() const { return dir_.getVolume(); }
    const BasicUniString<unsigned short>& getFileName() const { return fileName_; }
    unsigned long getFileType() const { return fileType_; }

    // Folder and leaf name of the referenced file; the file type stays as it was.
    bool assign(const FSRef& ref);
    bool getFSRef(FSRef* out) const;
    bool isExist() const { return getFSRef(nullptr); }

    bool operator==(const FileLocation& o) const
    {
        return dir_ == o.dir_ && fileName_ == o.fileName_ && fileType_ == o.fileType_;
    }
    bool operator!=(const FileLocation& o) const { return !(*this == o); }
    bool operator<(const FileLocation& o) const
    {
        if (dir_ != o.dir_)
            return dir_ < o.dir_;
        if (fileName_ != o.fileName_)
            return fileName_ < o.fileName_;
        return fileType_ < o.fileType_;
    }

    // The folder record, the name (4-byte count, 2 bytes a unit), then the 4-byte type.
    void write(dxStream& s) const;
    void read(dxStream& s);

private:
    DirLocation dir_;
    BasicUniString<unsigned short> fileName_;
    uint32_t fileType_ = 0;
};

} // namespace vemora
