#include "platform/usb/PseudoTerminal.h"

#include "platform/usb/SerialPort.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

PseudoTerminal::~PseudoTerminal()
{
    Destroy();
}

bool PseudoTerminal::Create()
{
    Destroy();
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return false;
    char name[128];
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, name, sizeof(name)) != 0) {
        ::close(master);
        return false;
    }
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        ::close(master);
        return false;
    }
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
        ::cfmakeraw(&t);
        (void)::tcsetattr(slave, TCSANOW, &t);
    }
    const int flags = ::fcntl(master, F_GETFL);
    (void)::fcntl(master, F_SETFL, flags | O_NONBLOCK);
    master_ = master;
    slave_ = slave;
    slavePath_ = name;
    return true;
}

void PseudoTerminal::Destroy()
{
    if (slave_ >= 0)
        ::close(slave_);
    if (master_ >= 0)
        ::close(master_);
    slave_ = master_ = -1;
    slavePath_.clear();
}

int PseudoTerminal::Read(void* buffer, int length, int ms)
{
    if (master_ < 0 || buffer == nullptr || length <= 0)
        return -1;
    pollfd p{master_, POLLIN, 0};
    const int rc = ::poll(&p, 1, ms < 0 ? 0 : ms);
    if (rc <= 0)
        return rc < 0 && errno != EINTR ? -1 : 0;
    const ssize_t n = ::read(master_, buffer, static_cast<size_t>(length));
    if (n >= 0)
        return static_cast<int>(n);
    return errno == EAGAIN || errno == EINTR || errno == EIO ? 0 : -1;
}

int PseudoTerminal::Write(const void* buffer, int length)
{
    if (master_ < 0 || buffer == nullptr || length < 0)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(master_, bytes + written, static_cast<size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p{master_, POLLOUT, 0};
            if (::poll(&p, 1, 100) > 0)
                continue;
        }
        break;
    }
    return written;
}

int PseudoTerminal::SlaveBaudRate() const
{
    termios t{};
    if (slave_ < 0 || ::tcgetattr(slave_, &t) != 0)
        return 0;
    const speed_t speed = ::cfgetospeed(&t);
    for (int rate : {115200, 1000000, 2000000, 9600, 19200, 38400, 57600, 230400, 460800, 921600})
        if (SerialPort::SpeedFor(rate) == static_cast<unsigned>(speed))
            return rate;
    return 0;
}
