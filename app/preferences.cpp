#include "app/preferences.h"

#include "app/folders.h"
#include "app/string_table.h"
#include "documents/profile_catalogue.h"
#include "foundation/carbon_file.h"
#include "foundation/singleton.h"

namespace vemoraVeriglow {

using namespace vemora;

namespace {

using PreferenceSingleton = dxSingleton<VG_Preference, 1, false>;

// After the fixed record: 'VGFP', then the POSIX paths of the two profiles' folders as UTF-16
// strings. Folder ids mean nothing in the next run; the paths rebuild the locations there.
constexpr unsigned long kPathBlock = 0x56474650; // 'VGFP'

UniString folderPath(const FileLocation& loc)
{
    FSRef ref;
    dxString path;
    if (loc.getDir().getFSRef(&ref) && nsp_MacCarbonFile::getPosixPathByFSRef(&path, ref))
        return UniString::fromUTF8(path.str());
    return UniString();
}

void writePathBlock(dxStream& s, const FileLocation& rgb, const FileLocation& cmyk)
{
    s.write_Uint4(kPathBlock);
    folderPath(rgb).write(s);
    folderPath(cmyk).write(s);
}

// A location in the folder named by path, when that folder exists; else the location as read.
FileLocation relocate(const FileLocation& loc, const UniString& path)
{
    FSRef ref;
    DirLocation dir;
    if (path.empty() || !nsp_MacCarbonFile::getFSRefByPosixPath(&ref, path.toUTF8()) || !dir.assign(ref))
        return loc;
    return FileLocation(dir, loc.getFileName(), loc.getFileType());
}

UniString fileName() { return get_param_string_by_id(1000); }

} // namespace

bool VG_Preference::read_pref_data(dxStream& s)
{
    try {
        s.gotoBOF();
        bool f = true;
        long r = 0;
        FileLocation rgb, cmyk;
        s.read_bool(f);
        s.read_Sint4(r);
        rgb.read(s);
        cmyk.read(s);
        // The path block is optional: files without it still read.
        try {
            unsigned long magic = 0;
            s.read_Uint4(magic);
            if (magic == kPathBlock) {
                UniString rgbFolder, cmykFolder;
                rgbFolder.read(s);
                cmykFolder.read(s);
                rgb = relocate(rgb, rgbFolder);
                cmyk = relocate(cmyk, cmykFolder);
            }
        } catch (...) {
        }
        if (!is_icc_profile_by_loc(rgb) || !is_icc_profile_by_loc(cmyk))
            return false;
        flag = f;
        region = static_cast<int32_t>(r);
        rgb_profile = rgb;
        cmyk_profile = cmyk;
        return true;
    } catch (...) {
        return false;
    }
}

bool VG_Preference::write_pref_data(dxStream& s)
{
    try {
        s.gotoBOF();
        s.write_bool(true);
        s.write_Sint4(region);
        rgb_profile.write(s);
        cmyk_profile.write(s);
        writePathBlock(s, rgb_profile, cmyk_profile);
        s.setEOF();
        return true;
    } catch (...) {
        return false;
    }
}

bool VG_Preference::set_defaults()
{
    FileLocation rgb, cmyk;
    if (!get_generic_rgb_profile(&rgb) || !get_generic_cmyk_profile(&cmyk))
        return false;
    flag = true;
    region = 1;
    rgb_profile = rgb;
    cmyk_profile = cmyk;
    return true;
}

bool VG_Preference::build_default_pref_data(dxStream& s)
{
    try {
        // No file is made when the generic profiles are missing.
        if (!set_defaults())
            return false;
        if (!s.isOpened() && !open_preference_file(s, fileName(), dxStream::writePermission, true))
            return false;
        return write_pref_data(s);
    } catch (...) {
        return false;
    }
}

bool VG_Preference::read(bool writeDefaults)
{
    {
        dxStream s(dxStream::sourceFile);
        if (open_preference_file(s, fileName(), dxStream::readPermission, false) && read_pref_data(s))
            return true;
    }
    if (!writeDefaults)
        return set_defaults();
    dxStream w(dxStream::sourceFile);
    return build_default_pref_data(w);
}

bool VG_Preference::write()
{
    dxStream s(dxStream::sourceFile);
    return open_preference_file(s, fileName(), dxStream::writePermission, true) && write_pref_data(s);
}

bool open_pref_file(bool writeDefaults)
{
    PreferenceSingleton::destory();
    PreferenceSingleton guard;
    if (PreferenceSingleton::ref().read(writeDefaults))
        return true;
    PreferenceSingleton::destory();
    return false;
}

void close_pref_file() { PreferenceSingleton::destory(); }

VG_Preference* get_preference() { return PreferenceSingleton::ptr(); }

} // namespace vemoraVeriglow
