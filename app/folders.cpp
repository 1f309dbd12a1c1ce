#include "app/folders.h"

#include "foundation/carbon_file.h"

namespace vemoraVeriglow {

using namespace vemora;

bool get_resource_dir(DirLocation* out)
{
    FSRef ref;
    return nsp_MacCarbonFile::getBundleResourceFolder(&ref) && out->assign(ref);
}

bool get_support_dir(DirLocation* out)
{
    FSRef ref;
    return nsp_MacCarbonFile::getBundleSupportFolder(&ref) && out->assign(ref);
}

bool get_preference_dir(DirLocation* out)
{
    FSRef ref;
    if (nsp_MacCarbonFile::getSysRelativeFolder(&ref, nsp_MacCarbonFile::kUserDomain,
                                                nsp_MacCarbonFile::kPreferencesFolderType, true) &&
        out->assign(ref))
        return true;
    return get_support_dir(out);
}

namespace {

bool openIn(bool (*folder)(DirLocation*), dxStream& stream, const UniString& name, dxStream::Permission permission,
            bool create)
{
    DirLocation dir;
    if (!folder(&dir))
        return false;
    try {
        return stream.open(FileLocation(dir, name, 0), permission, create);
    } catch (...) {
        return false;
    }
}

} // namespace

bool open_resource_file(dxStream& stream, const UniString& name, dxStream::Permission permission, bool create)
{
    return openIn(get_resource_dir, stream, name, permission, create);
}

bool open_preference_file(dxStream& stream, const UniString& name, dxStream::Permission permission, bool create)
{
    return openIn(get_preference_dir, stream, name, permission, create);
}

} // namespace vemoraVeriglow
