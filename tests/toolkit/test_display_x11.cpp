// The display services against a real X server: Xvfb with two monitors side by side, each
// with its own _ICC_PROFILE property on the root window.
#include "toolkit/platform/display.h"
#include "toolkit/platform/platform.h"

#include "../support/temp_dir.h"

#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace d = vemora::nsp_MacDisplayCalibrateUtility;
namespace pf = vemora::platform;

namespace {

std::string findProgram(const char* name)
{
    for (const char* dir : {"/usr/bin/", "/usr/local/bin/", "/bin/"}) {
        std::string p = std::string(dir) + name;
        if (access(p.c_str(), X_OK) == 0)
            return p;
    }
    return std::string();
}

// An Xvfb of our own, stopped when the test ends.
class Xvfb {
public:
    bool start()
    {
        std::string exe = findProgram("Xvfb");
        if (exe.empty())
            return false;
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            // The server must not outlive the test, nor hold the test runner's output open.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 1);
            dup2(devnull, 2);
            std::string fd = std::to_string(fds[1]);
            execl(exe.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x600x24", "-noreset",
                  "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The display number and a newline, once the server runs; the pipe stays open until
        // the whole line is read (the server gives up if its write fails).
        std::string number;
        char ch = 0;
        while (read(fds[0], &ch, 1) == 1 && ch != '\n')
            number.push_back(ch);
        close(fds[0]);
        if (number.empty())
            return false;
        display_ = ":" + number;
        // Wait until it takes connections.
        for (int i = 0; i < 100; ++i) {
            xcb_connection_t* c = xcb_connect(display_.c_str(), nullptr);
            bool up = !xcb_connection_has_error(c);
            xcb_disconnect(c);
            if (up)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    ~Xvfb()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

int run(const std::string& cmd)
{
    return std::system(cmd.c_str());
}

void setRootProperty(xcb_connection_t* c, const std::string& name, const std::string& bytes)
{
    xcb_intern_atom_reply_t* a =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(name.size()), name.c_str()), nullptr);
    xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, a->atom, XCB_ATOM_CARDINAL, 8, uint32_t(bytes.size()),
                        bytes.data());
    xcb_flush(c);
    free(a);
}

std::string fakeProfile(char tag, size_t size)
{
    std::string p(size, tag);
    p[36] = 'a', p[37] = 'c', p[38] = 's', p[39] = 'p';
    return p;
}

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace

TEST(DisplayX11, TwoMonitorsWithTheirOwnProfiles)
{
    if (findProgram("Xvfb").empty() || findProgram("xrandr").empty())
        GTEST_SKIP() << "Xvfb or xrandr is not installed";
    Xvfb server;
    if (!server.start())
        GTEST_SKIP() << "Xvfb did not start";
    ASSERT_EQ(run("DISPLAY=" + server.display() + " xrandr --setmonitor LEFT 800/211x600/158+0+0 screen >/dev/null"), 0);
    ASSERT_EQ(run("DISPLAY=" + server.display() + " xrandr --setmonitor RIGHT 800/211x600/158+800+0 none >/dev/null"), 0);

    vgtest::TempDir cache;
    setenv("XDG_CACHE_HOME", cache.str().c_str(), 1);
    setenv("DISPLAY", server.display().c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);

    xcb_connection_t* c = xcb_connect(server.display().c_str(), nullptr);
    ASSERT_FALSE(xcb_connection_has_error(c));
    std::string left = fakeProfile('L', 600), right = fakeProfile('R', 900);
    setRootProperty(c, "_ICC_PROFILE", left);
    setRootProperty(c, "_ICC_PROFILE_1", right);

    {
        int argc = 1;
        char name[] = "toolkit_display_x11";
        char* argv[] = {name, nullptr};
        pf::InitPlatformApplication(argc, argv);
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));

        std::vector<d::CMDeviceInfo> list;
        ASSERT_TRUE(d::getSystemDisplayList(list));
        ASSERT_EQ(list.size(), 2u);
        uint32_t leftID = d::getDisplayIDByPoint({100, 100}, 1000);
        uint32_t rightID = d::getDisplayIDByPoint({1200, 300}, 1000);
        EXPECT_NE(leftID, 0u);
        EXPECT_NE(rightID, 0u);
        EXPECT_NE(leftID, rightID);
        EXPECT_EQ(d::getDisplayIDByPoint({799, 0}, 1000), leftID);
        EXPECT_EQ(d::getDisplayIDByPoint({800, 0}, 1000), rightID);
        EXPECT_EQ(d::getDisplayIDByPoint({1700, 100}, 1000), 0u); // outside both
        EXPECT_EQ(d::getDisplayIDByPoint({1200, 300}, 1), 0u);    // only the first display asked
        pf::Rect b;
        ASSERT_TRUE(d::getDisplayBounds(rightID, &b));
        EXPECT_EQ(b.left, 800);
        EXPECT_EQ(b.right, 1600);

        vemora::FSRef lp, rp;
        d::ProfileSource src = d::ProfileSource::None;
        ASSERT_TRUE(d::getDisplayProfileByDisplayID(&lp, leftID, &src));
        EXPECT_EQ(src, d::ProfileSource::X11Property);
        ASSERT_TRUE(d::getDisplayProfileByDisplayID(&rp, rightID, &src));
        EXPECT_EQ(src, d::ProfileSource::X11Property);
        EXPECT_EQ(slurp(lp.path), left);
        EXPECT_EQ(slurp(rp.path), right);
        EXPECT_EQ(lp.path.rfind(cache.str() + "/veriglow/", 0), 0u);

        // Asking again gives the same file; a new calibration gives a new one.
        vemora::FSRef again;
        ASSERT_TRUE(d::getDisplayProfileByDisplayID(&again, leftID));
        EXPECT_EQ(again.path, lp.path);
        std::string recalibrated = fakeProfile('N', 700);
        setRootProperty(c, "_ICC_PROFILE", recalibrated);
        vemora::FSRef changed;
        ASSERT_TRUE(d::getDisplayProfileByDisplayID(&changed, leftID));
        EXPECT_NE(changed.path, lp.path);
        EXPECT_EQ(slurp(changed.path), recalibrated);
        EXPECT_EQ(slurp(lp.path), left); // the old file is untouched

        // A property too short to be a profile falls back to the bundled sRGB.
        setRootProperty(c, "_ICC_PROFILE_1", "short");
        ASSERT_TRUE(d::getDisplayProfileByDisplayID(&rp, rightID, &src));
        EXPECT_NE(src, d::ProfileSource::X11Property);
    }
    xcb_disconnect(c);
    pf::ShutdownPlatformApplication(); // before our X server goes away
}
