#include "foundation/carbon_file.h"

#include "foundation/unistring.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vemora {
namespace nsp_MacCarbonFile {
namespace {

// ---- folder registry: (volume, id) pairs that stay stable while the program runs ----
// Inodes are not used: they are 64-bit and reused after deletion. Instead every folder path
// seen gets the next 32-bit id, and every device a small negative volume number.
struct Registry {
    std::mutex lock;
    std::map<dev_t, short> volumes;
    short nextVolume = -1;
    std::map<std::string, std::pair<short, uint32_t>> byPath;
    std::map<std::pair<short, uint32_t>, std::string> byId;
    uint32_t nextId = 16; // 1 stands for "parent of the root", 2 for the root itself
};

Registry& registry()
{
    static Registry r;
    return r;
}

bool registerNode(const std::string& path, short* volume, uint32_t* id)
{
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0)
        return false;
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto found = r.byPath.find(path);
    if (found != r.byPath.end()) {
        *volume = found->second.first;
        *id = found->second.second;
        return true;
    }
    auto vol = r.volumes.find(st.st_dev);
    if (vol == r.volumes.end()) {
        if (r.nextVolume == SHRT_MIN)
            return false;
        vol = r.volumes.emplace(st.st_dev, r.nextVolume--).first;
    }
    uint32_t newId;
    if (path == "/") {
        newId = 2;
    } else {
        if (r.nextId == UINT32_MAX)
            return false;
        newId = r.nextId++;
    }
    r.byPath.emplace(path, std::make_pair(vol->second, newId));
    r.byId.emplace(std::make_pair(vol->second, newId), path);
    *volume = vol->second;
    *id = newId;
    return true;
}

bool lookupNode(short volume, uint32_t id, std::string* path)
{
    Registry& r = registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.byId.find(std::make_pair(volume, id));
    if (it == r.byId.end())
        return false;
    *path = it->second;
    return true;
}

// ---- open files ----
struct ForkTable {
    std::mutex lock;
    std::map<short, int> fds;
};

ForkTable& forks()
{
    static ForkTable t;
    return t;
}

bool addFork(int fd, short* fork)
{
    ForkTable& t = forks();
    std::lock_guard<std::mutex> g(t.lock);
    short n = 1;
    for (const auto& e : t.fds) {
        if (e.first != n)
            break;
        if (n == SHRT_MAX)
            return false;
        ++n;
    }
    t.fds.emplace(n, fd);
    *fork = n;
    return true;
}

int forkFd(short fork)
{
    ForkTable& t = forks();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.fds.find(fork);
    return it == t.fds.end() ? -1 : it->second;
}

// ---- paths ----
std::string realPath(const std::string& path)
{
    char buf[PATH_MAX];
    if (!::realpath(path.c_str(), buf))
        return std::string();
    return buf;
}

std::string joinPath(const std::string& folder, const std::string& leaf)
{
    return folder == "/" ? "/" + leaf : folder + "/" + leaf;
}

bool isValidLeaf(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

bool nodeExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path, bool follow)
{
    struct stat st;
    const int rc = follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st);
    return rc == 0 && S_ISDIR(st.st_mode);
}

std::string homeFolder()
{
    if (const char* h = std::getenv("HOME"); h && h[0] == '/')
        return h;
    struct passwd pw, *res = nullptr;
    char buf[4096];
    if (::getpwuid_r(::getuid(), &pw, buf, sizeof buf, &res) == 0 && res && res->pw_dir)
        return res->pw_dir;
    return std::string();
}

// `leaf` in an XDG base folder: the variable when it holds an absolute path, else the default
// below home. Empty when there is no home.
std::string xdgFolder(const char* variable, const char* fallback, const char* leaf)
{
    if (const char* v = std::getenv(variable); v && v[0] == '/')
        return joinPath(v, leaf);
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/" + fallback + "/" + leaf;
}

bool makeFolders(const std::string& path)
{
    if (path.empty() || path[0] != '/')
        return false;
    std::size_t pos = 1;
    while (true) {
        pos = path.find('/', pos);
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (pos == std::string::npos)
            break;
        ++pos;
    }
    return isDirectory(path, true);
}

int openFlags(signed char permission)
{
    return (permission == 1 ? O_RDONLY : O_RDWR) | O_CLOEXEC;
}

// Only regular files are opened: a FIFO or a device would block or never end.
bool finishOpen(int fd, short* fork)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int fl = ::fcntl(fd, F_GETFL);
    if (fl != -1)
        ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
    if (!addFork(fd, fork)) {
        ::close(fd);
        return false;
    }
    return true;
}

ChooseFileFunction& chooseFileDialog()
{
    static ChooseFileFunction f;
    return f;
}

} // namespace

void setChooseFileDialog(ChooseFileFunction f)
{
    chooseFileDialog() = std::move(f);
}

bool dialogChooseFile(std::vector<FSRef>& out, const std::vector<unsigned long>* types, unsigned long creator,
                      const FSRef* startFolder, const BasicUniString<unsigned short>* title, bool allowMultiple)
{
    if (!chooseFileDialog()) {
        std::fprintf(stderr, "veriglow: no file dialog exists without the user interface\n");
        return false;
    }
    return chooseFileDialog()(out, types, creator, startFolder, title, allowMultiple);
}

bool getFSRefByPosixPath(FSRef* out, const std::string& path)
{
    if (path.empty() || path.find('\0') != std::string::npos)
        return false;
    std::string abs = path;
    if (abs[0] != '/') {
        char cwd[PATH_MAX];
        if (!::getcwd(cwd, sizeof cwd))
            return false;
        abs = joinPath(cwd, abs);
    }
    while (abs.size() > 1 && abs.back() == '/')
        abs.pop_back();
    std::string canonical;
    const std::size_t slash = abs.rfind('/');
    const std::string leaf = abs.substr(slash + 1);
    if (abs == "/") {
        canonical = "/";
    } else if (leaf == "." || leaf == "..") {
        canonical = realPath(abs);
    } else {
        const std::string folder = realPath(slash == 0 ? "/" : abs.substr(0, slash));
        if (folder.empty())
            return false;
        canonical = joinPath(folder, leaf);
    }
    if (!nodeExists(canonical))
        return false;
    if (out)
        out->path = canonical;
    return true;
}

bool searchFSRefByFileAndFolder(FSRef* out, const BasicUniString<unsigned short>& name, const FSRef& folder)
{
    const std::string leaf = name.toUTF8();
    if (!isValidLeaf(leaf) || !isDirectory(folder.path, true))
        return false;
    const std::string base = realPath(folder.path);
    if (base.empty())
        return false;
    const std::string path = joinPath(base, leaf);
    if (path.size() >= PATH_MAX || !nodeExists(path))
        return false;
    if (out)
        out->path = path;
    return true;
}

bool openFile(short* fork, const FSRef& ref, signed char permission, FSRef* actual, bool noAliasResolution)
{
    FSRef target = ref;
    if (!noAliasResolution) {
        bool folder = false;
        if (!findActualObjectByAlias(&target, ref, &folder, nullptr) || folder)
            return false;
    }
    if (target.path.empty())
        return false;
    const int fd = ::open(target.path.c_str(),
                          openFlags(permission) | O_NONBLOCK | (noAliasResolution ? O_NOFOLLOW : 0));
    if (fd < 0 || !finishOpen(fd, fork))
        return false;
    if (actual)
        *actual = target;
    return true;
}

bool makeFile(short* fork, FSRef* made, FSSpec* spec, const FSRef& folder, const BasicUniString<unsigned short>& name,
              signed char permission, unsigned long fileType, unsigned long creator)
{
    FSRef where;
    const std::string leaf = name.toUTF8();
    if (!isValidLeaf(leaf) || !findActualObjectByAlias(&where, folder, nullptr, nullptr) ||
        !isDirectory(where.path, true))
        return false;
    const std::string base = realPath(where.path);
    if (base.empty())
        return false;
    const std::string path = joinPath(base, leaf);
    const int fd = ::open(path.c_str(), openFlags(permission) | O_CREAT | O_EXCL | O_NONBLOCK, 0666);
    if (fd < 0)
        return false;
    // Type and creator have no Linux counterpart; they are kept as extended attributes where
    // the file system allows, and nothing depends on them.
    auto code = [](unsigned long c) {
        const char s[4] = {char(c >> 24), char(c >> 16), char(c >> 8), char(c)};
        return std::string(s, 4);
    };
    const std::string creatorCode = code(creator);
    ::fsetxattr(fd, "user.creator", creatorCode.data(), creatorCode.size(), 0);
    if (fileType) {
        const std::string typeCode = code(fileType);
        ::fsetxattr(fd, "user.type", typeCode.data(), typeCode.size(), 0);
    }
    if (!finishOpen(fd, fork)) {
        ::unlink(path.c_str());
        return false;
    }
    if (made)
        made->path = path;
    if (spec) {
        short vol = 0;
        uint32_t id = 0;
        if (registerNode(base, &vol, &id)) {
            spec->vRefNum = vol;
            spec->parID = id;
        }
        spec->name = name;
    }
    return true;
}

bool getLeafNameByFSRef(BasicUniString<unsigned short>* out, const FSRef& ref)
{
    if (!nodeExists(ref.path))
        return false;
    const std::string leaf = ref.path == "/" ? "/" : ref.path.substr(ref.path.rfind('/') + 1);
    *out = BasicUniString<unsigned short>::fromUTF8(leaf);
    return true;
}

bool getNodeFSSpecByFSRef(FSSpec* out, const FSRef& ref)
{
    short vol = 0;
    uint32_t id = 0;
    if (!registerNode(ref.path, &vol, &id))
        return false;
    out->vRefNum = vol;
    out->parID = id;
    out->name.clear();
    return true;
}

bool getFSRefByFSSpec(FSRef* out, const FSSpec& spec)
{
    std::string path;
    if (spec.parID > UINT32_MAX || !lookupNode(spec.vRefNum, static_cast<uint32_t>(spec.parID), &path))
        return false;
    if (!spec.name.empty())
        return searchFSRefByFileAndFolder(out, spec.name, FSRef{path});
    // A folder that was removed or replaced by a file no longer resolves.
    if (!isDirectory(path, true) && !nodeExists(path))
        return false;
    out->path = path;
    return true;
}

bool getParent(FSRef* out, const FSRef& ref)
{
    if (ref.path.empty() || ref.path == "/" || !nodeExists(ref.path))
        return false;
    const std::size_t slash = ref.path.rfind('/');
    if (out)
        out->path = slash == 0 ? "/" : ref.path.substr(0, slash);
    return true;
}

bool getPosixPathByFSRef(dxString* out, const FSRef& ref)
{
    if (!nodeExists(ref.path) || ref.path.size() >= PATH_MAX)
        return false;
    out->assign(ref.path);
    return true;
}

bool isFolderFSRef(const FSRef& ref, bool resolveAlias)
{
    return !ref.path.empty() && isDirectory(ref.path, resolveAlias);
}

bool getSysRelativeFolder(FSRef* out, short domain, unsigned long folderType, bool create)
{
    const bool user = domain == kUserDomain || domain == kOnAppropriateDisk;
    std::string path;
    switch (folderType) {
    case kPreferencesFolderType:
        path = user ? xdgFolder("XDG_CONFIG_HOME", ".config", "veriglow") : "";
        break;
    case kApplicationSupportFolderType:
        path = user ? xdgFolder("XDG_DATA_HOME", ".local/share", "veriglow") : "";
        break;
    case kCachedDataFolderType:
        path = user ? xdgFolder("XDG_CACHE_HOME", ".cache", "veriglow") : "";
        break;
    case kColorSyncProfilesFolderType:
        if (domain == kSystemDomain)
            path = "/usr/share/color/icc";
        else if (domain == kLocalDomain)
            path = "/usr/local/share/color/icc";
        else if (domain == kNetworkDomain)
            path = "/var/lib/colord/icc";
        else if (user)
            path = xdgFolder("XDG_DATA_HOME", ".local/share", "icc");
        break;
    case kLegacyProfilesFolderType:
        if (user) {
            path = homeFolder();
            if (!path.empty())
                path += "/.color/icc";
        }
        break;
    default:
        break;
    }
    if (path.empty())
        return false;
    // Only folders in the user's home are ever created.
    if (!isDirectory(path, true) && !(create && user && makeFolders(path)))
        return false;
    return getFSRefByPosixPath(out, path);
}

namespace {

std::string& bundleRootOverride()
{
    static std::string root;
    return root;
}

std::string bundlePrefix()
{
    if (!bundleRootOverride().empty())
        return bundleRootOverride();
    // The executable lies in <prefix>/bin (or another folder beside share/, as in the build tree).
    const std::string exe = realPath("/proc/self/exe");
    if (exe.empty())
        return std::string();
    const std::size_t slash = exe.rfind('/');
    const std::string bin = slash == 0 ? "/" : exe.substr(0, slash);
    const std::size_t up = bin.rfind('/');
    return up == std::string::npos ? std::string() : up == 0 ? "/" : bin.substr(0, up);
}

} // namespace

void setBundleRoot(const std::string& prefix)
{
    bundleRootOverride() = prefix;
}

bool getBundleResourceFolder(FSRef* out)
{
    const std::string prefix = bundlePrefix();
    return !prefix.empty() && isDirectory(joinPath(prefix, "share/veriglow"), true) &&
           getFSRefByPosixPath(out, joinPath(prefix, "share/veriglow"));
}

bool getBundleSupportFolder(FSRef* out)
{
    const std::string prefix = bundlePrefix();
    const std::string support = joinPath(prefix, "share/veriglow/support");
    return !prefix.empty() && isDirectory(support, true) && getFSRefByPosixPath(out, support);
}

std::vector<FSRef> getProfileFolders()
{
    std::vector<FSRef> folders;
    const std::pair<short, unsigned long> order[] = {
        {kSystemDomain, kColorSyncProfilesFolderType},
        {kLocalDomain, kColorSyncProfilesFolderType},
        {kNetworkDomain, kColorSyncProfilesFolderType},
        {kUserDomain, kColorSyncProfilesFolderType},
        {kUserDomain, kLegacyProfilesFolderType},
    };
    for (const auto& [domain, type] : order) {
        FSRef ref;
        if (getSysRelativeFolder(&ref, domain, type, type == kColorSyncProfilesFolderType && domain == kUserDomain))
            folders.push_back(ref);
    }
    return folders;
}

bool findActualObjectByAlias(FSRef* out, const FSRef& ref, bool* isFolder, bool* wasAlias)
{
    struct stat st;
    if (ref.path.empty() || ::lstat(ref.path.c_str(), &st) != 0)
        return false;
    FSRef target = ref;
    const bool alias = S_ISLNK(st.st_mode);
    if (alias) {
        // realpath follows whole chains and fails on a dangling link or a loop.
        target.path = realPath(ref.path);
        if (target.path.empty() || ::stat(target.path.c_str(), &st) != 0)
            return false;
    }
    if (isFolder)
        *isFolder = S_ISDIR(st.st_mode);
    if (wasAlias)
        *wasAlias = alias;
    if (out)
        *out = target;
    return true;
}

bool getObjectsByFolder(std::vector<FSRef>& out, const FSRef& folder, bool includeHidden)
{
    if (!isFolderFSRef(folder, true))
        return false;
    const std::string base = realPath(folder.path);
    DIR* dir = base.empty() ? nullptr : ::opendir(base.c_str());
    if (!dir)
        return false;
    std::vector<std::string> names;
    errno = 0;
    bool ok = true;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        if (!includeHidden && (name.empty() || name[0] == '.'))
            continue;
        names.push_back(name);
        errno = 0;
    }
    if (errno != 0)
        ok = false;
    ::closedir(dir);
    // Listed in name order, so scans and the catalogue do not depend on the file system.
    std::sort(names.begin(), names.end());
    for (const auto& n : names)
        out.push_back(FSRef{joinPath(base, n)});
    return ok;
}

bool retrieveActualObjectsByFSRefArray(std::vector<FSRef>& out, const std::vector<FSRef>& in, bool files,
                                       bool folders)
{
    std::set<std::string> seen;
    for (const auto& r : out)
        seen.insert(r.path);
    for (const auto& ref : in) {
        FSRef target;
        bool folder = false;
        if (!findActualObjectByAlias(&target, ref, &folder, nullptr))
            continue;
        if (seen.count(target.path))
            continue;
        if ((folder && folders) || (!folder && files)) {
            seen.insert(target.path);
            out.push_back(target);
        }
    }
    return true;
}

bool getDeepActualObjectByFolder(std::vector<FSRef>& out, const FSRef& folder, bool files, bool folders,
                                 bool includeHidden)
{
    if (!isFolderFSRef(folder, true))
        return false;
    // Breadth first; a folder reached a second time (through a link that leads back up, or
    // two links to one folder) is not scanned again, so the scan always ends.
    std::deque<FSRef> work{folder};
    std::set<std::string> visited;
    while (!work.empty()) {
        const FSRef current = work.front();
        work.pop_front();
        const std::string canonical = realPath(current.path);
        if (canonical.empty() || !visited.insert(canonical).second)
            continue;
        std::vector<FSRef> children;
        getObjectsByFolder(children, current, includeHidden);
        std::vector<FSRef> wanted;
        retrieveActualObjectsByFSRefArray(wanted, children, files, folders);
        out.insert(out.end(), wanted.begin(), wanted.end());
        std::vector<FSRef> sub;
        retrieveActualObjectsByFSRefArray(sub, children, false, true);
        work.insert(work.end(), sub.begin(), sub.end());
    }
    return true;
}

bool closeFork(short fork)
{
    ForkTable& t = forks();
    int fd;
    {
        std::lock_guard<std::mutex> g(t.lock);
        auto it = t.fds.find(fork);
        if (it == t.fds.end())
            return false;
        fd = it->second;
        t.fds.erase(it);
    }
    return ::close(fd) == 0;
}

bool readFork(short fork, void* dst, unsigned long n)
{
    const int fd = forkFd(fork);
    if (fd < 0)
        return false;
    const off_t start = ::lseek(fd, 0, SEEK_CUR);
    unsigned long done = 0;
    auto* p = static_cast<unsigned char*>(dst);
    while (done < n) {
        const ssize_t r = ::read(fd, p + done, n - done);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            break;
        done += static_cast<unsigned long>(r);
    }
    if (done == n)
        return true;
    // A short read leaves the position where it was.
    if (start >= 0)
        ::lseek(fd, start, SEEK_SET);
    return false;
}

bool writeFork(short fork, const void* src, unsigned long n)
{
    const int fd = forkFd(fork);
    if (fd < 0)
        return false;
    unsigned long done = 0;
    const auto* p = static_cast<const unsigned char*>(src);
    while (done < n) {
        const ssize_t w = ::write(fd, p + done, n - done);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        done += static_cast<unsigned long>(w);
    }
    return true;
}

bool getForkPosition(short fork, long long* pos)
{
    const int fd = forkFd(fork);
    if (fd < 0)
        return false;
    const off_t p = ::lseek(fd, 0, SEEK_CUR);
    if (p < 0)
        return false;
    *pos = p;
    return true;
}

bool setForkPosition(short fork, bool fromStart, long long offset)
{
    const int fd = forkFd(fork);
    return fd >= 0 && ::lseek(fd, static_cast<off_t>(offset), fromStart ? SEEK_SET : SEEK_END) >= 0;
}

bool getForkSize(short fork, unsigned long long* size)
{
    const int fd = forkFd(fork);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return false;
    *size = static_cast<unsigned long long>(st.st_size);
    return true;
}

bool setForkSize(short fork, unsigned long long size)
{
    const int fd = forkFd(fork);
    return fd >= 0 && size <= static_cast<unsigned long long>(INT64_MAX) && ::ftruncate(fd, static_cast<off_t>(size)) == 0;
}

bool flushFork(short fork)
{
    const int fd = forkFd(fork);
    return fd >= 0 && ::fsync(fd) == 0;
}

} // namespace nsp_MacCarbonFile
} // namespace vemora
