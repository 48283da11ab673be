#pragma once

#include <string>

// Socket error codes as Windows Sockets numbers them, so the messages read the same on every
// platform ("10061:Connection refused").
namespace quorvel::socketerr {

inline constexpr int kWouldBlock = 10035;

// The standard description of a Windows Sockets code, or an empty string for an unknown code.
const char* Description(int code);

// "code:description", or "Unknown Error No. code" when the code has no description.
std::string ErrorText(int code);

// The Windows Sockets code of a POSIX errno value; an errno without counterpart is returned as is.
int FromErrno(int err);

// The code of the last socket call on this thread (WSAGetLastError or errno, mapped).
int LastError();

}  // namespace quorvel::socketerr
