#pragma once
// A serial port (a tty: an FTDI bridge under the kernel's ftdi_sio driver, another bridge, or a
// pseudo-terminal), opened exclusively and used raw with reads that return at once.
//
// The set-up is split into the same steps the transports report separately when one fails.

#include <memory>
#include <string>

struct termios;

class SerialPort {
public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens the path read-write, non-blocking, without becoming its controlling terminal, and
    // refuses further openers (TIOCEXCL).
    bool Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Closes the port; false when the system reports a failure (the port is closed anyway
    // unless the descriptor could not be released).
    bool Close();

    // Reads the port's current settings.
    bool GetState();
    // Raw 8N1 at the baud rate, no flow control; false for a rate the system cannot set.
    bool SetState(int baudRate);
    // Reads the current read behaviour (blocking flags and VMIN/VTIME).
    bool GetTimeouts();
    // Reads return at once with whatever is there.
    bool SetImmediateReads();

    // Up to length bytes that are there now; 0 when none, -1 on a failure.
    int Read(void* buffer, int length);
    // Waits up to ms for bytes, then reads what is there; 0 on time-out, -1 on a failure.
    int ReadWait(void* buffer, int length, int ms);
    // Writes everything, waiting up to ms for room; bytes written, -1 on a failure.
    int Write(const void* buffer, int length, int ms);
    // Drops unread input and unsent output.
    bool Purge();

    // The baud rate the port is set to (0 when unknown).
    int GetBaudRate() const;

    // The speed constant for a baud rate; 0 when the system has none.
    static unsigned SpeedFor(int baudRate);

private:
    int fd_ = -1;
    bool haveState_ = false;
    std::unique_ptr<termios> state_;
};
