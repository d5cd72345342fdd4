#include "platform/usb/SerialPort.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct SpeedEntry {
    int baud;
    speed_t speed;
};

constexpr SpeedEntry kSpeeds[] = {
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
};

} // namespace

SerialPort::SerialPort() : state_(std::make_unique<termios>()) {}

SerialPort::~SerialPort()
{
    if (fd_ >= 0)
        ::close(fd_);
}

unsigned SerialPort::SpeedFor(int baudRate)
{
    for (const auto& entry : kSpeeds)
        if (entry.baud == baudRate)
            return static_cast<unsigned>(entry.speed);
    return 0;
}

bool SerialPort::Open(const std::string& path)
{
    if (fd_ >= 0)
        return false;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!::isatty(fd) || ::ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    haveState_ = false;
    return true;
}

bool SerialPort::Close()
{
    if (fd_ < 0)
        return true;
    (void)::ioctl(fd_, TIOCNXCL);
    const int rc = ::close(fd_);
    // Linux releases the descriptor even when close reports an error (EINTR, EIO).
    fd_ = -1;
    haveState_ = false;
    return rc == 0;
}

bool SerialPort::GetState()
{
    if (fd_ < 0 || ::tcgetattr(fd_, state_.get()) != 0)
        return false;
    haveState_ = true;
    return true;
}

bool SerialPort::SetState(int baudRate)
{
    const unsigned speed = SpeedFor(baudRate);
    if (fd_ < 0 || !haveState_ || speed == 0)
        return false;
    termios t = *state_;
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSTOPB | PARENB | CRTSCTS);
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    if (::cfsetispeed(&t, speed) != 0 || ::cfsetospeed(&t, speed) != 0)
        return false;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    *state_ = t;
    return true;
}

bool SerialPort::GetTimeouts()
{
    if (fd_ < 0)
        return false;
    return ::fcntl(fd_, F_GETFL) != -1 && ::tcgetattr(fd_, state_.get()) == 0;
}

bool SerialPort::SetImmediateReads()
{
    if (fd_ < 0)
        return false;
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags == -1 || ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK) != 0)
        return false;
    termios t = *state_;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return false;
    *state_ = t;
    return true;
}

int SerialPort::Read(void* buffer, int length)
{
    if (fd_ < 0 || buffer == nullptr || length <= 0)
        return fd_ < 0 ? -1 : 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, static_cast<size_t>(length));
        if (n >= 0)
            return static_cast<int>(n);
        if (errno == EINTR)
            continue;
        // No bytes yet; on a pseudo-terminal whose other side is closed, EIO means the same.
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EIO)
            return 0;
        return -1;
    }
}

int SerialPort::ReadWait(void* buffer, int length, int ms)
{
    if (fd_ < 0)
        return -1;
    pollfd p{fd_, POLLIN, 0};
    const int rc = ::poll(&p, 1, ms < 0 ? 0 : ms);
    if (rc < 0 && errno != EINTR)
        return -1;
    return Read(buffer, length);
}

int SerialPort::Write(const void* buffer, int length, int ms)
{
    if (fd_ < 0 || buffer == nullptr || length < 0)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    int written = 0;
    while (written < length) {
        const ssize_t n = ::write(fd_, bytes + written, static_cast<size_t>(length - written));
        if (n > 0) {
            written += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return written > 0 ? written : -1;
        // The output queue is full: wait for room, once, up to the time-out.
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, ms < 0 ? 0 : ms) <= 0)
            break;
    }
    return written;
}

bool SerialPort::Purge()
{
    return fd_ >= 0 && ::tcflush(fd_, TCIOFLUSH) == 0;
}

int SerialPort::GetBaudRate() const
{
    if (!haveState_)
        return 0;
    const speed_t speed = ::cfgetospeed(state_.get());
    for (const auto& entry : kSpeeds)
        if (entry.speed == speed)
            return entry.baud;
    return 0;
}
