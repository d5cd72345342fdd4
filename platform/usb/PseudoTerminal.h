#pragma once
// A pseudo-terminal pair for serving the virtual instrument on a tty: the server keeps the
// master side, a transport opens the slave path as it would a /dev/ttyUSB port. The server
// also holds the slave open (in raw mode), so the pair survives the transport closing and
// reopening it, and nothing typed is ever echoed back.

#include <string>

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Create();
    void Destroy();
    bool IsCreated() const { return master_ >= 0; }
    // The slave's path, e.g. /dev/pts/3.
    const std::string& SlavePath() const { return slavePath_; }

    // Waits up to ms for bytes from the transport; bytes read, 0 when none, -1 on a failure.
    int Read(void* buffer, int length, int ms);
    // Writes to the transport; bytes written, -1 on a failure.
    int Write(const void* buffer, int length);

    // The baud rate the transport set on the slave (0 when it is none of the known rates).
    int SlaveBaudRate() const;

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};
