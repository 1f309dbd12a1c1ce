#include "foundation/location.h"

#include "foundation/exception.h"
#include "foundation/stream.h"

namespace vemora {

bool DirLocation::assign(const FSRef& ref)
{
    // A folder reached through a link is named by its target, so that every way to the same
    // folder gives the same location.
    FSRef folder;
    bool isFolder = false;
    if (!nsp_MacCarbonFile::findActualObjectByAlias(&folder, ref, &isFolder, nullptr) || !isFolder)
        return false;
    FSSpec spec;
    if (!nsp_MacCarbonFile::getNodeFSSpecByFSRef(&spec, folder))
        return false;
    setVolume(spec.vRefNum);
    setDir(spec.parID);
    return true;
}

bool DirLocation::getFSRef(FSRef* out) const
{
    if (!hasVolume_ || !hasDir_)
        return false;
    FSSpec spec;
    spec.vRefNum = volume_;
    spec.parID = dirID_;
    FSRef ref;
    if (!nsp_MacCarbonFile::getFSRefByFSSpec(&ref, spec))
        return false;
    if (out)
        *out = ref;
    return true;
}

bool DirLocation::getSubDir(DirLocation* out, const BasicUniString<unsigned short>& name) const
{
    FSRef self, child;
    if (!getFSRef(&self) || !nsp_MacCarbonFile::searchFSRefByFileAndFolder(&child, name, self))
        return false;
    return out->assign(child);
}

void DirLocation::write(dxStream& s) const
{
    try {
        s.write_Sint2(volume_);
        s.write_Uint4(dirID_);
        s.write_bool(hasVolume_);
        s.write_bool(hasDir_);
    } catch (...) {
        throw ExceptionDebuggErrorID(-7700, "DirLocation writing error");
    }
}

void DirLocation::read(dxStream& s)
{
    try {
        short v = 0;
        unsigned long id = 0;
        s.read_Sint2(v);
        volume_ = v;
        s.read_Uint4(id);
        dirID_ = static_cast<uint32_t>(id);
        s.read_bool(hasVolume_);
        s.read_bool(hasDir_);
    } catch (...) {
        throw ExceptionDebuggErrorID(-7701, "DirLocation reading error");
    }
}

bool FileLocation::assign(const FSRef& ref)
{
    FSRef parent;
    if (!nsp_MacCarbonFile::getParent(&parent, ref))
        return false;
    DirLocation dir;
    if (!dir.assign(parent))
        return false;
    BasicUniString<unsigned short> name;
    if (!nsp_MacCarbonFile::getLeafNameByFSRef(&name, ref))
        return false;
    dir_ = dir;
    fileName_ = name;
    return true;
}

bool FileLocation::getFSRef(FSRef* out) const
{
    if (fileName_.empty())
        return false;
    FSRef folder;
    if (!dir_.getFSRef(&folder))
        return false;
    FSRef ref;
    if (!nsp_MacCarbonFile::searchFSRefByFileAndFolder(&ref, fileName_, folder))
        return false;
    if (out)
        *out = ref;
    return true;
}

void FileLocation::write(dxStream& s) const
{
    try {
        dir_.write(s);
        fileName_.write(s);
        s.write_Uint4(fileType_);
    } catch (...) {
        throw ExceptionDebuggErrorID(-7800, "FileLocation writing error");
    }
}

void FileLocation::read(dxStream& s)
{
    try {
        dir_.read(s);
        fileName_.read(s);
        unsigned long type = 0;
        s.read_Uint4(type);
        fileType_ = static_cast<uint32_t>(type);
    } catch (...) {
        throw ExceptionDebuggErrorID(-7801, "FileLocation reading error");
    }
}

} // namespace vemora
