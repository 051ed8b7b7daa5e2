#include "SimPty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

SimPty::~SimPty() { Close(); }

bool SimPty::Open(std::string& error)
{
    Close();
    auto fail = [&](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        Close();
        return false;
    };
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0)
        return fail("posix_openpt");
    if (grantpt(master_) != 0)
        return fail("grantpt");
    if (unlockpt(master_) != 0)
        return fail("unlockpt");
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0)
        return fail("ptsname");
    path_ = name;

    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0)
        return fail("open slave");
    termios tio{};
    if (tcgetattr(slave_, &tio) != 0)
        return fail("tcgetattr");
    cfmakeraw(&tio);
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    if (tcsetattr(slave_, TCSANOW, &tio) != 0)
        return fail("tcsetattr");

    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    return true;
}

void SimPty::Close()
{
    if (master_ >= 0)
        ::close(master_);
    if (slave_ >= 0)
        ::close(slave_);
    master_ = slave_ = -1;
}

void SimPty::WaitUntilRead(int limitMs) const
{
    // Written bytes reach the slave's queue a little later, so an empty
    // queue counts only once it has held something, or after a while.
    bool seen = false;
    for (int waited = 0; slave_ >= 0 && waited < limitMs; waited += 5) {
        int pending = 0;
        if (::ioctl(slave_, TIOCINQ, &pending) != 0)
            return;
        if (pending > 0)
            seen = true;
        else if (seen || waited >= 100)
            return;
        ::usleep(5000);
    }
}

void SimPty::ReleaseExclusive() const
{
    if (slave_ >= 0)
        ::ioctl(slave_, TIOCNXCL);
}
