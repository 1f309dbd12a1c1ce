#pragma once
// The file layer: the only code that knows POSIX paths, folders and links. A platform file
// reference (FSRef) is a canonical absolute path: the folder part has every link resolved, the
// leaf is kept as named, so a symbolic link (the system's alias) stays visible as itself.
#include "foundation/unistring.h"

#include <functional>
#include <string>
#include <vector>

namespace vemora {

class dxString;

struct FSRef {
    std::string path; // empty: no reference
    bool operator==(const FSRef& o) const { return path == o.path; }
    bool operator!=(const FSRef& o) const { return path != o.path; }
    bool operator<(const FSRef& o) const { return path < o.path; }
};

// A node named by volume, folder id and name; the pairs come from the folder registry.
struct FSSpec {
    short vRefNum = 0;
    unsigned long parID = 0;
    BasicUniString<unsigned short> name;
};

namespace nsp_MacCarbonFile {

// Folder domains and folder types of getSysRelativeFolder.
constexpr short kOnAppropriateDisk = -32767;
constexpr short kSystemDomain = -32766;
constexpr short kLocalDomain = -32765;
constexpr short kNetworkDomain = -32764;
constexpr short kUserDomain = -32763;
constexpr unsigned long kPreferencesFolderType = 0x70726566;       // 'pref'
constexpr unsigned long kColorSyncProfilesFolderType = 0x70726F66; // 'prof'
constexpr unsigned long kApplicationSupportFolderType = 0x61737570; // 'asup'
constexpr unsigned long kCachedDataFolderType = 0x63616368;        // 'cach'
// The user's older profile folder (~/.color/icc), which has no folder type of its own.
constexpr unsigned long kLegacyProfilesFolderType = 0x6C707266; // 'lprf'

// The open dialog needs the GUI; the platform layer installs it. Until then there is none.
using ChooseFileFunction = std::function<bool(std::vector<FSRef>& out, const std::vector<unsigned long>* types,
                                              unsigned long creator, const FSRef* startFolder,
                                              const BasicUniString<unsigned short>* title, bool allowMultiple)>;
void setChooseFileDialog(ChooseFileFunction f);

bool dialogChooseFile(std::vector<FSRef>& out, const std::vector<unsigned long>* types, unsigned long creator,
                      const FSRef* startFolder, const BasicUniString<unsigned short>* title, bool allowMultiple);

// A reference to an existing node named by a POSIX path (relative paths count from the
// working folder).
bool getFSRefByPosixPath(FSRef* out, const std::string& path);

bool searchFSRefByFileAndFolder(FSRef* out, const BasicUniString<unsigned short>& name, const FSRef& folder);
bool openFile(short* fork, const FSRef& ref, signed char permission, FSRef* actual, bool noAliasResolution);
bool makeFile(short* fork, FSRef* made, FSSpec* spec, const FSRef& folder, const BasicUniString<unsigned short>& name,
              signed char permission, unsigned long fileType, unsigned long creator);
bool getLeafNameByFSRef(BasicUniString<unsigned short>* out, const FSRef& ref);
bool getNodeFSSpecByFSRef(FSSpec* out, const FSRef& ref);
bool getFSRefByFSSpec(FSRef* out, const FSSpec& spec);
bool getParent(FSRef* out, const FSRef& ref);
// At most PATH_MAX bytes.
bool getPosixPathByFSRef(dxString* out, const FSRef& ref);
bool isFolderFSRef(const FSRef& ref, bool resolveAlias);
bool getSysRelativeFolder(FSRef* out, short domain, unsigned long folderType, bool create);
bool findActualObjectByAlias(FSRef* out, const FSRef& ref, bool* isFolder, bool* wasAlias);
bool getObjectsByFolder(std::vector<FSRef>& out, const FSRef& folder, bool includeHidden);
bool retrieveActualObjectsByFSRefArray(std::vector<FSRef>& out, const std::vector<FSRef>& in, bool files,
                                       bool folders);
bool getDeepActualObjectByFolder(std::vector<FSRef>& out, const FSRef& folder, bool files, bool folders,
                                 bool includeHidden);

// The bundle is the install prefix (or the build tree): bin/ holds the executables,
// share/veriglow/ the resources, share/veriglow/support/ the support files. It is found from
// the running executable's own path; setBundleRoot overrides that (tests use it).
bool getBundleResourceFolder(FSRef* out);
bool getBundleSupportFolder(FSRef* out);
void setBundleRoot(const std::string& prefix);

// The profile folders of the catalogue, from most general to most specific: the shared
// system folders, then the user's. Missing system folders are left out; the user's first
// folder is created.
std::vector<FSRef> getProfileFolders();

// Open files ("forks"): small positive numbers standing for open descriptors.
bool closeFork(short fork);
bool readFork(short fork, void* dst, unsigned long n);
bool writeFork(short fork, const void* src, unsigned long n);
bool getForkPosition(short fork, long long* pos);
bool setForkPosition(short fork, bool fromStart, long long offset);
bool getForkSize(short fork, unsigned long long* size);
// Cuts or extends the file to `size` bytes; the position stays.
bool setForkSize(short fork, unsigned long long size);
bool flushFork(short fork);

} // namespace nsp_MacCarbonFile
} // namespace vemora
